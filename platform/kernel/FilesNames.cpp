// Operations on files and directories by name: attributes, deleting, moving and copying,
// directories, the current directory and full path names.
#include "kernel/FilesHandles.h"
#include "kernel/MachineState.h"
#include "PathMap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <vector>

using namespace host::detail;

namespace {

BOOL Fail(DWORD error) {
    SetLastError(error);
    return FALSE;
}

bool IsReadOnly(const struct stat& info) {
    return !(info.st_mode & S_IWUSR);
}

DWORD AttributesOf(const struct stat& info) {
    if (S_ISDIR(info.st_mode))
        return FILE_ATTRIBUTE_DIRECTORY | (IsReadOnly(info) ? FILE_ATTRIBUTE_READONLY : 0);
    return FILE_ATTRIBUTE_ARCHIVE | (IsReadOnly(info) ? FILE_ATTRIBUTE_READONLY : 0);
}

// Resolves a name that must denote an existing object.
DWORD ResolveExisting(LPCSTR name, WindowsPath& parsed, HostPath& path) {
    if (DWORD error = ResolvePath(name, NameRule::Strict, parsed, path))
        return error;
    if (!path.exists)
        return ERROR_FILE_NOT_FOUND;
    if (parsed.trailingSeparator && !path.IsDirectory())
        return ERROR_INVALID_NAME;
    return 0;
}

void SyncDirectoryOf(const std::string& host) {
    std::string directory = host.substr(0, host.find_last_of('/'));
    int fd = open(directory.empty() ? "/" : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

// Copies a file's contents, mode and times; removes a partial copy on failure.
DWORD CopyContents(const std::string& from, const std::string& to, bool sync) {
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return ErrorFromErrno(errno);
    struct stat info;
    fstat(in, &info);
    int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0) {
        DWORD error = ErrorFromErrno(errno);
        close(in);
        return error;
    }
    std::vector<char> buffer(1 << 16);
    DWORD error = 0;
    for (;;) {
        ssize_t got = read(in, buffer.data(), buffer.size());
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = ERROR_READ_FAULT;
            break;
        }
        if (got == 0)
            break;
        for (ssize_t done = 0; done < got;) {
            ssize_t put = write(out, buffer.data() + done, static_cast<size_t>(got - done));
            if (put < 0 && errno == EINTR)
                continue;
            if (put <= 0) {
                int cause = put < 0 ? errno : ENOSPC;
                error = cause == ENOSPC || cause == EDQUOT || cause == EFBIG ? ERROR_DISK_FULL
                                                                             : ERROR_WRITE_FAULT;
                break;
            }
            done += put;
        }
        if (error)
            break;
    }
    close(in);
    if (!error) {
        timespec times[2] = {info.st_atim, info.st_mtim};
        futimens(out, times);
        fchmod(out, info.st_mode & 07777);
        if (sync && fsync(out) != 0)
            error = ERROR_WRITE_FAULT;
    }
    if (close(out) != 0 && !error)
        error = ERROR_DISK_FULL;
    if (error)
        unlink(to.c_str());
    return error;
}

bool IsEmptyDirectory(const std::string& host) {
    DIR* dir = opendir(host.c_str());
    if (!dir)
        return false;
    bool empty = true;
    while (dirent* entry = readdir(dir))
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            empty = false;
            break;
        }
    closedir(dir);
    return empty;
}

bool IsSameOrInside(const WindowsPath& outer, const WindowsPath& inner) {
    if (outer.drive != inner.drive || inner.parts.size() < outer.parts.size())
        return false;
    for (size_t i = 0; i < outer.parts.size(); ++i)
        if (!SameName(outer.parts[i], inner.parts[i]))
            return false;
    return true;
}

} // namespace

DWORD WINAPI GetFileAttributesA(LPCSTR fileName) {
    WindowsPath parsed;
    HostPath path;
    if (DWORD error = ResolveExisting(fileName, parsed, path)) {
        SetLastError(error);
        return INVALID_FILE_ATTRIBUTES;
    }
    return AttributesOf(path.info);
}

BOOL WINAPI SetFileAttributesA(LPCSTR fileName, DWORD attributes) {
    WindowsPath parsed;
    HostPath path;
    if (DWORD error = ResolveExisting(fileName, parsed, path))
        return Fail(error);
    if (path.driveType == DRIVE_CDROM)
        return Fail(ERROR_ACCESS_DENIED);
    mode_t mode = path.info.st_mode & 07777;
    if (attributes & FILE_ATTRIBUTE_READONLY)
        mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
    else if (IsReadOnly(path.info))
        mode |= S_IWUSR;
    if (mode != (path.info.st_mode & 07777) && chmod(path.host.c_str(), mode) != 0)
        return Fail(ErrorFromErrno(errno));
    return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
    WindowsPath parsed;
    HostPath path;
    if (DWORD error = ResolveExisting(fileName, parsed, path))
        return Fail(error);
    if (path.IsDirectory() || path.driveType == DRIVE_CDROM || IsReadOnly(path.info))
        return Fail(ERROR_ACCESS_DENIED);
    if (DeleteConflict(path.info.st_dev, path.info.st_ino))
        return Fail(ERROR_SHARING_VIOLATION);
    if (unlink(path.host.c_str()) != 0)
        return Fail(ErrorFromErrno(errno));
    NoteEntryRemoved(path.host);
    return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags) {
    if (flags & ~(MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH))
        return Fail(ERROR_INVALID_PARAMETER);
    WindowsPath fromParsed, toParsed;
    HostPath from, to;
    if (DWORD error = ResolveExisting(existing, fromParsed, from))
        return Fail(error);
    if (fromParsed.IsRoot())
        return Fail(ERROR_ACCESS_DENIED);
    if (DWORD error = ResolvePath(newName, NameRule::Strict, toParsed, to))
        return Fail(error);
    if (toParsed.IsRoot() || from.driveType == DRIVE_CDROM || to.driveType == DRIVE_CDROM)
        return Fail(ERROR_ACCESS_DENIED);
    if (DeleteConflict(from.info.st_dev, from.info.st_ino))
        return Fail(ERROR_SHARING_VIOLATION);
    bool sameObject =
        to.exists && to.info.st_dev == from.info.st_dev && to.info.st_ino == from.info.st_ino;
    if (from.IsDirectory() && !sameObject && IsSameOrInside(fromParsed, toParsed))
        return Fail(ERROR_ACCESS_DENIED); // a directory cannot move into itself
    if (to.exists && !sameObject) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING))
            return Fail(ERROR_ALREADY_EXISTS);
        if (to.IsDirectory() || IsReadOnly(to.info))
            return Fail(ERROR_ACCESS_DENIED);
        if (DeleteConflict(to.info.st_dev, to.info.st_ino))
            return Fail(ERROR_SHARING_VIOLATION);
    }
    if (sameObject) {
        // A change of case only: the new name is taken as written.
        std::string utf8;
        if (!ToUtf8(CP_ACP, toParsed.parts.back(), utf8))
            return Fail(ERROR_INVALID_NAME);
        to.host = to.host.substr(0, to.host.find_last_of('/') + 1) + utf8;
    }
    if (rename(from.host.c_str(), to.host.c_str()) != 0) {
        if (errno != EXDEV)
            return Fail(ErrorFromErrno(errno));
        if (!S_ISREG(from.info.st_mode) || !(flags & MOVEFILE_COPY_ALLOWED))
            return Fail(ERROR_NOT_SAME_DEVICE);
        if (DWORD error = CopyContents(from.host, to.host, flags & MOVEFILE_WRITE_THROUGH))
            return Fail(error);
        if (unlink(from.host.c_str()) == 0)
            NoteEntryRemoved(from.host);
        NoteEntryCreated(to.host);
    } else {
        if (from.IsDirectory())
            ForgetIndexOf(from.host);
        NoteEntryMoved(from.host, to.host);
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        SyncDirectoryOf(to.host);
        SyncDirectoryOf(from.host);
    }
    if (!to.IsDirectory() && !toParsed.IsRoot()) {
        WindowsPath directory = toParsed;
        directory.parts.pop_back();
        NotePlacedFile(directory.Text(), to.host.substr(0, to.host.find_last_of('/')));
    }
    return TRUE;
}

BOOL WINAPI MoveFileA(LPCSTR existing, LPCSTR newName) {
    return MoveFileExA(existing, newName, MOVEFILE_COPY_ALLOWED);
}

BOOL WINAPI CopyFileA(LPCSTR existing, LPCSTR newName, BOOL failIfExists) {
    WindowsPath fromParsed, toParsed;
    HostPath from, to;
    if (DWORD error = ResolveExisting(existing, fromParsed, from))
        return Fail(error);
    // Only a file has an end; a device or pipe would be copied forever.
    if (!S_ISREG(from.info.st_mode))
        return Fail(ERROR_ACCESS_DENIED);
    if (ShareConflict(from.info.st_dev, from.info.st_ino, true, false, FILE_SHARE_READ))
        return Fail(ERROR_SHARING_VIOLATION);
    if (DWORD error = ResolvePath(newName, NameRule::Strict, toParsed, to))
        return Fail(error);
    if (toParsed.IsRoot() || to.IsDirectory() || to.driveType == DRIVE_CDROM)
        return Fail(ERROR_ACCESS_DENIED);
    if (to.exists) {
        if (failIfExists)
            return Fail(ERROR_FILE_EXISTS);
        if (to.info.st_dev == from.info.st_dev && to.info.st_ino == from.info.st_ino)
            return Fail(ERROR_SHARING_VIOLATION);
        if (IsReadOnly(to.info))
            return Fail(ERROR_ACCESS_DENIED);
        if (ShareConflict(to.info.st_dev, to.info.st_ino, false, true, 0))
            return Fail(ERROR_SHARING_VIOLATION);
    }
    if (DWORD error = CopyContents(from.host, to.host, false))
        return Fail(error);
    NoteEntryCreated(to.host);
    return TRUE;
}

BOOL WINAPI CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security) {
    (void)security;
    WindowsPath parsed;
    HostPath host;
    if (DWORD error = ResolvePath(path, NameRule::Strict, parsed, host))
        return Fail(error);
    if (parsed.IsRoot() || host.exists)
        return Fail(ERROR_ALREADY_EXISTS);
    if (host.driveType == DRIVE_CDROM)
        return Fail(ERROR_ACCESS_DENIED);
    if (mkdir(host.host.c_str(), 0777) != 0)
        return Fail(ErrorFromErrno(errno));
    NoteEntryCreated(host.host);
    return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR path) {
    WindowsPath parsed;
    HostPath host;
    if (DWORD error = ResolveExisting(path, parsed, host))
        return Fail(error);
    if (!host.IsDirectory())
        return Fail(ERROR_DIRECTORY);
    if (parsed.IsRoot() || host.driveType == DRIVE_CDROM)
        return Fail(ERROR_ACCESS_DENIED);
    WindowsPath current;
    if (ParseWindowsPath(TheMachine().currentDir.c_str(), NameRule::Any, current) == 0 &&
        IsSameOrInside(parsed, current))
        return Fail(ERROR_SHARING_VIOLATION); // the process is using it
    if (!IsEmptyDirectory(host.host))
        return Fail(ERROR_DIR_NOT_EMPTY);
    if (rmdir(host.host.c_str()) != 0)
        return Fail(ErrorFromErrno(errno));
    NoteDirectoryRemoved(host.host);
    return TRUE;
}

DWORD WINAPI GetCurrentDirectoryA(DWORD bufferLength, LPSTR buffer) {
    const std::string& current = TheMachine().currentDir;
    if (current.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return 0;
    }
    return CopyOut(current, buffer, bufferLength);
}

BOOL WINAPI SetCurrentDirectoryA(LPCSTR path) {
    WindowsPath parsed;
    HostPath host;
    if (DWORD error = ResolveExisting(path, parsed, host))
        return Fail(error);
    if (!host.IsDirectory())
        return Fail(ERROR_DIRECTORY);
    TheMachine().currentDir = parsed.Text();
    return TRUE;
}

DWORD WINAPI GetFullPathNameA(LPCSTR fileName, DWORD bufferLength, LPSTR buffer, LPSTR* filePart) {
    if (filePart)
        *filePart = nullptr;
    WindowsPath parsed;
    if (DWORD error = ParseWindowsPath(fileName, NameRule::Any, parsed)) {
        SetLastError(error);
        return 0;
    }
    std::string full = parsed.Text(true);
    DWORD result = CopyOut(full, buffer, bufferLength);
    if (result == full.size() && filePart && !parsed.IsRoot() && !parsed.trailingSeparator)
        *filePart = buffer + (full.size() - parsed.parts.back().size());
    return result;
}
