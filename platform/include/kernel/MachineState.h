// What the running machine is, shared by the services of the native platform layer.
#pragma once

#include <kernel/Machine.h>
#include <windows.h>

#include <sys/stat.h>

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace host::detail {

struct Machine {
    bool started = false;
    MachineOptions options;
    std::string prefix; // absolute host path
    int lockFd = -1;
    // A 64-bit machine's prefix (its system.reg says #arch=win64): the installer runs as a
    // 32-bit program under WOW64, and its System directory is syswow64 on disk.
    bool wow64 = false;
    // The medium's drive link as the prefix had it before the run: the run puts it back.
    char mediaLinkLetter = 0;
    bool mediaLinkExisted = false;
    std::string mediaLinkTarget;
    std::string language = "ENU";
    LCID lcid = 0x0409;       // the user's locale: the language
    LCID systemLcid = 0x0409; // the system's locale: the one of the code page
    UINT codePage = 1252;
    std::string currentDir;              // Windows form: "D:\" or "C:\DIR"
    std::map<char, unsigned> driveTypes; // recorded types by upper-case letter
    std::vector<PlacedDirectory> placed; // where files were moved into place, in order
    MissingFile lastMissing;
};

Machine& TheMachine();

// The ANSI code page in force: the machine's, 1252 while no machine runs.
UINT AnsiCodePage();
bool IsLeadByte(UINT codePage, unsigned char byte);
inline bool IsAnsiLeadByte(unsigned char byte) {
    // No code page has a lead byte below 0x81; names are mostly ASCII, tested byte by byte.
    return byte >= 0x81 && IsLeadByte(AnsiCodePage(), byte);
}

// Strict conversions between a code page and UTF-8: FALSE when a character has no
// counterpart, so that a name is never silently changed.
bool ToUtf8(UINT codePage, const std::string& text, std::string& utf8);
bool FromUtf8(UINT codePage, const std::string& utf8, std::string& text);
// Appends one character in UTF-8, the encoding of the terminal and of host file names.
void AppendUtf8(char32_t code, std::string& out);

// Locale facts (Nls.cpp).
struct LocaleFacts {
    const char* abbreviation;
    LCID lcid;
    const char* posixLanguage;  // "ja", "en", ...
    const char* posixTerritory; // "" for any
    UINT ansiCodePage;
    UINT oemCodePage;
    const char* dateOrder; // LOCALE_IDATE
    const char* shortDate; // LOCALE_SSHORTDATE
    const char* englishName;
    const char* countryAbbreviation;
};
const LocaleFacts* FindLocaleByAbbreviation(const std::string& abbreviation);
// The system locale of a machine with this ANSI code page and user locale: the user's own when
// it uses that code page, else the code page's main one (932 Japanese, 1252 English).
LCID SystemLocaleFor(UINT codePage, LCID userLcid);

// Drive facts (Drives.cpp). Letters are upper case.
std::string DosDevicesDir();
// The real host directory of a drive's root; empty when the letter maps nowhere.
std::string DriveRootHost(char letter);
// The root and type of a drive at one look at its link; FALSE when the letter has no
// directory behind it. The root's status is read into rootInfo; without it, the root is
// taken as the link leads, unchecked.
bool ResolveDrive(char letter, std::string& root, unsigned& type, struct stat* rootInfo);
unsigned DriveType(char letter);
std::string LinkPathOf(char letter);

// FILETIME and host time (Time.cpp).
FILETIME FileTimeFromHost(const timespec& time);
timespec HostFromFileTime(const FILETIME& time);

// Counts a file moved into place, by its directory (Windows and host form): what a run
// installed ends up where the installer moved it (MachineState.cpp).
void NotePlacedFile(const std::string& windowsDir, const std::string& hostDir);

// Remembers the last file a program asked about (OpenFile with OF_EXIST) that was not there,
// so that a front end can name the file a disk prompt waits for (MachineState.cpp).
void NoteMissingFile(const std::string& windowsPath);

// A copy of this many bytes is about to keep the thread busy (LZCopy): the front end may show
// its screen first, since nothing else will until the copy is done (MachineState.cpp).
void NoteLongOperation(uint64_t bytes);
void SetLongOperationHandler(std::function<void(uint64_t bytes)> handler);

// Lets each service write back what it holds, when the machine stops (MachineState.cpp).
void RunMachineStopHandlers();

// Releases every handle of the files layer (Files).
void CloseAllFileHandles();

// Copies text with its terminating zero into buffer when it fits; returns what the Windows
// string getters return: the length without the zero on success, else the size needed.
DWORD CopyOut(const std::string& text, LPSTR buffer, DWORD size);

} // namespace host::detail

namespace host::detail {
// Conversions between a code page (CP_ACP, CP_OEMCP, 932, 1252, CP_UTF8) and UTF-16.
bool MultiByteToWide(UINT codePage, const std::string& text, std::u16string& wide);
bool WideToMultiByte(UINT codePage, const std::u16string& wide, std::string& text);
bool IsSupportedCodePage(UINT codePage);
} // namespace host::detail
