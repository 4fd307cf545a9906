// The kernel of the emulated machine (platform/kernel): what kind of machine it is (OS version,
// PC type, locale and code pages), its prefix directory and drives, Windows paths mapped to host
// paths, files and directories, the profile reader, time, memory, modules and their resources.
// It stands for the system's kernel library and uses nothing but the C++ library and the host's
// system calls; every other subsystem builds on it. This header holds the machine's facts; the
// host program (host/Machine.h) starts and stops the machine that they describe.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace host {

enum class OsKind { Win95, Nt31, Nt35, Nt351, Nt4 };
enum class PcKind { PcAt, Pc98 };

struct MachineOptions {
    std::string prefix;                    // host directory of the prefix; created when missing
    std::string mediaDir;                  // host directory of the installation medium
    unsigned mediaType = 5;                // drive type of the medium's drive (DRIVE_CDROM)
    char mediaDrive = 'D';                 // drive letter of the medium
    std::string programName = "SETUP.EXE"; // the program's file name on the medium
    OsKind os = OsKind::Nt4;
    PcKind pc = PcKind::PcAt;
    std::string language; // three-letter abbreviation; empty: from the host locale
    // The system (ANSI) code page, 932 or 1252. It is the machine's, not the user's: a
    // Japanese system by default, whatever the language, since the installer's own texts and
    // its media's names are Japanese.
    unsigned codePage = 932;
    unsigned lockWaitSeconds = 30; // how long to wait for a prefix another run holds
    // How long to wait for a Wine server that runs on the prefix to end; 0: refuse at once.
    unsigned wineServerWaitSeconds = 0;
};

bool MachineStarted();

// A directory the running machine's program moved files into (MoveFileExA, as an installer
// puts each finished file in place), with how many.
struct PlacedDirectory {
    std::string windowsDir; // "C:\APP"
    std::string hostDir;
    unsigned files = 0;
};
// The directories files were placed in since the machine started, in the order first used.
const std::vector<PlacedDirectory>& PlacedDirectories();

// The last file the program asked about that did not exist (OpenFile with OF_EXIST, as an
// installer looks for the next source file); count goes up with each such question.
struct MissingFile {
    std::string windowsPath; // full, in the ANSI code page
    unsigned count = 0;
};
const MissingFile& LastMissingFile();

// Puts another directory into the drive of a Windows path, as a person swaps a disk.
bool InsertMedium(char driveLetter, const std::string& hostDir);
// Makes the drive letter a link to hostDir and records its drive type (a DRIVE_ value) in the
// prefix, replacing what the letter was before.
bool MapDrive(char letter, const std::string& hostDir, unsigned type);

// The program on the medium as Windows names it, such as "D:\SETUP.EXE", and the medium's
// root directory ("D:\").
std::string ProgramWindowsPath();
std::string MediaDirWindows();
// The three-letter abbreviation of the machine's user language ("JPN", "ENU", ...).
std::string LanguageAbbreviation();
// The language the host's locale settings (LC_ALL, LC_MESSAGES, LANG) name: "JPN" for the C
// and POSIX locales (and when none is set), "ENU" when they name one the machine does not know.
std::string LanguageFromHostLocale();

// Runs when StopMachine releases the prefix, before the lock is dropped: the place for other
// services of the machine to write back what they hold in memory.
void AddMachineStopHandler(std::function<void()> handler);
// A handle that CloseHandle accepts, for kernel objects that other services of the machine
// hand out (such as access tokens); onClose runs when it is closed.
void* NewHandle(std::function<void()> onClose);

// Conversions at the edges of the emulated machine.
std::string AnsiToUtf8(const std::string& ansi);
std::string Utf8ToAnsi(const std::string& utf8);
// The host path a Windows path maps to; empty when it lies on no drive.
std::string HostPathOf(const std::string& windowsPath);
// A file opened for reading on the host, as open() gives it; -1 when it is on no drive or
// cannot be opened.
int OpenToRead(const std::string& windowsPath);
// The prefix's host directory.
const std::string& PrefixDir();

} // namespace host
