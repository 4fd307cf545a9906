// Windows paths of the emulated machine and the host paths they map to.
//
// A Windows path is made full against the emulated current directory, its "." and ".."
// components are resolved by name (".." at a drive root stays at the root), and each component
// is then looked up in the drive's host directory without regard to ASCII case, converted from
// the ANSI code page to UTF-8. Nothing leaves a drive's root: a link inside a drive that
// points outside it is refused.
#pragma once

#include <windows.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

namespace host::detail {

struct WindowsPath {
    char drive = 0;                 // upper case
    std::vector<std::string> parts; // ANSI components, without "." and ".."
    bool trailingSeparator = false; // the path ended with a separator

    bool IsRoot() const { return parts.empty(); }
    // "C:\A\B", the root as "C:\"; withTrailing adds the separator the path was written with.
    std::string Text(bool withTrailing = false) const;
};

enum class NameRule {
    Strict,          // names of files that exist or are created: no wildcard, no bad character
    WildcardsInLast, // a search pattern: '*' and '?' in the last component
    Any              // only the form matters, as GetFullPathNameA takes it
};

// Makes a Windows path full and normal. 0 or the Windows error code.
DWORD ParseWindowsPath(LPCSTR path, NameRule rule, WindowsPath& result);

// A known folder held open, so that calls on its entries start there and the host walks one
// name instead of the whole path. Closed when the last path found through it goes.
struct FolderHandle {
    explicit FolderHandle(int descriptor) : fd(descriptor) {}
    FolderHandle(const FolderHandle&) = delete;
    FolderHandle& operator=(const FolderHandle&) = delete;
    ~FolderHandle();
    const int fd;
};

struct HostPath {
    std::string host;      // the host path; for a missing last component, where it would be
    bool exists = false;   // the last component exists
    struct stat info = {}; // its status, links followed, when it exists
    unsigned driveType = 0;
    std::string root;       // the drive's real root directory
    std::string entryName;  // the last component's own name in its host directory
    bool statusRead = true; // info was read; else only its type is known (LastStatus)
    // The open folder of the last component, when the lookup came through one and the
    // component is no link: host is then the folder's path and entryName (or, when it is
    // missing, the name it would have).
    std::shared_ptr<const FolderHandle> folder;

    bool IsDirectory() const { return exists && S_ISDIR(info.st_mode); }
};

enum class LastStatus {
    Read,      // the last component's status is read (info)
    LeftToOpen // a plain file's status is left to the caller, who opens it with O_NOFOLLOW
               // and falls back to a lookup with Read when that fails
};

// Looks the path up on the host: every component but the last must exist as a directory
// (else ERROR_PATH_NOT_FOUND); the last one may be missing. 0 or the Windows error code.
DWORD MapToHost(const WindowsPath& path, HostPath& result,
                LastStatus lastStatus = LastStatus::Read);
// ParseWindowsPath and MapToHost together.
DWORD ResolvePath(LPCSTR path, NameRule rule, WindowsPath& parsed, HostPath& result,
                  LastStatus lastStatus = LastStatus::Read);

// open(), faccessat() and lstat() of the path's last component, started from its open folder when
// it has one.
int OpenLastComponent(const HostPath& path, int flags, mode_t mode = 0);
int AccessLastComponent(const HostPath& path, int mode, int flags);
int LstatLastComponent(const HostPath& path, struct stat& info);

// Finds a name in a host directory as Windows would: the exact UTF-8 name first, else any
// entry whose name in the ANSI code page equals ansiName without regard to ASCII case.
// The directory's entries are read once and kept, indexed by FoldedName, for as long as the
// directory's status (directoryInfo, read just before) shows no change.
// type, when given, receives the entry's type as the directory was read (DT_REG, DT_LNK...,
// DT_UNKNOWN when the host did not tell).
bool FindEntry(const std::string& directory, const struct stat& directoryInfo,
               const std::string& ansiName, const std::string& utf8Name, std::string& found,
               unsigned char* type = nullptr);
// An ANSI name with its ASCII letters in lower case; the bytes of double-byte characters,
// trail bytes that look like letters among them, stay as they are.
std::string FoldedName(const std::string& ansi);
// This program's own changes to a directory's entries, given by the entry's host path: they
// keep the directory's index valid without reading the directory again.
void NoteEntryCreated(const std::string& host);
void NoteEntryRemoved(const std::string& host);
void NoteEntryMoved(const std::string& from, const std::string& to);
void NoteDirectoryRemoved(const std::string& host);
void ForgetIndexOf(const std::string& directory);
// Whether a host path (links resolved) lies inside root.
bool IsInside(const std::string& root, const std::string& path);
// ASCII-case-insensitive, double-byte aware equality of two ANSI names.
bool SameName(const std::string& a, const std::string& b);
// Whether a byte of an ANSI name is a character Windows refuses in file names.
bool IsBadNameChar(unsigned char c);

// The Windows error for a failed host call's errno.
DWORD ErrorFromErrno(int error);

} // namespace host::detail
