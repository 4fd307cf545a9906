// The emulated Windows machine of the native build: a prefix directory with its drives, its
// Windows and System directories and its registry, and the facts the system reports about
// itself. The host program and the tests start a machine before any Windows API is called.
#pragma once

#include <functional>
#include <string>

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
    std::string language;          // three-letter abbreviation; empty: from the host locale
    unsigned lockWaitSeconds = 30; // how long to wait for a prefix another run holds
    // How long to wait for a Wine server that runs on the prefix to end; 0: refuse at once.
    unsigned wineServerWaitSeconds = 0;
};

// Why StartMachine failed.
enum class StartFailure {
    None,
    Unusable,          // the prefix or the medium cannot be made or used
    WineServerRunning, // Wine runs on the prefix and would write over the registry files
};

// Parses the names of the command line ("win95", "nt31", "nt35", "nt351", "nt4"; "pcat",
// "pc98"; "cdrom", "removable", "fixed", "remote"). FALSE for an unknown name.
bool ParseOsKind(const std::string& name, OsKind& kind);
bool ParsePcKind(const std::string& name, PcKind& kind);
bool ParseDriveType(const std::string& name, unsigned& type);

// The prefix used when none is given: $VELTRIX_PREFIX, else $WINEPREFIX (the prefix Wine
// uses), else ~/.local/share/veltrix-setup/machine.
std::string DefaultPrefix();

// Starts the machine: creates or opens the prefix, maps the drives and takes the prefix's
// lock, so that two runs never write one prefix at once. FALSE with a message in error when
// the prefix cannot be made or used, the medium does not exist, or a Wine server runs on the
// prefix (LastStartFailure tells which); the prefix is then unchanged.
//
// The medium goes into the drive letter asked for when the prefix has no mapping of its own
// there (or one to the medium itself), else into the first free letter after it; the machine's
// stop takes it out again, so that the prefix keeps exactly the drives it had.
bool StartMachine(const MachineOptions& options, std::string& error);
StartFailure LastStartFailure();
// Releases the prefix: flushes what the registry holds, takes the medium's drive out and drops
// the lock.
void StopMachine();
bool MachineStarted();

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
// The language the host's locale settings (LC_ALL, LC_MESSAGES, LANG) name; "ENU" when they
// name none that the machine knows.
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
// The prefix's host directory.
const std::string& PrefixDir();
// The directory of the Wine server that runs on the prefix directory, or empty when none does.
std::string RunningWineServer(const std::string& prefix);

} // namespace host
