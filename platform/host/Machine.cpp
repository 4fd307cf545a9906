// Starting and stopping the emulated machine: the prefix with its directories and drive links,
// the prefix lock, and the machine's language.
#include "FrontendInternal.h"

#include <host/Machine.h>
#include <kernel/MachineState.h>
#include <registry/Registry.h>
#include <user/Input.h>

#include <fcntl.h>
#include <pwd.h>
#include <strings.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace host::detail {

// Drives.cpp keeps the recorded drive types in the prefix.
void LoadDriveTypes();
bool RecordDriveType(char letter, unsigned type);
void NoteDriveType(char letter, unsigned type);
bool PointDriveLink(char letter, const std::string& target, std::string& error);

} // namespace host::detail

namespace host {
namespace {

using detail::TheMachine;

StartFailure g_lastStartFailure = StartFailure::None;

std::string SystemError(int error) {
    return std::strerror(error);
}

// A directory of the prefix, found without regard to case as Windows finds it (a prefix made
// by Wine says "windows", one made by hand may say "Windows"), else created as named.
bool FindOrMakeDirectory(const std::string& parent, const std::string& name, std::string& path,
                         std::string& error) {
    if (DIR* dir = opendir(parent.c_str())) {
        while (dirent* entry = readdir(dir)) {
            if (strcasecmp(entry->d_name, name.c_str()) == 0) {
                path = parent + "/" + entry->d_name;
                closedir(dir);
                struct stat info;
                if (stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
                    return true;
                error = "cannot use " + path + " in the prefix: it is not a directory";
                return false;
            }
        }
        closedir(dir);
    }
    path = parent + "/" + name;
    if (mkdir(path.c_str(), 0777) != 0 && errno != EEXIST) {
        error = "cannot create " + path + " in the prefix: " + SystemError(errno);
        return false;
    }
    return true;
}

// The lock is held on the prefix directory itself, so that no lock file is left in it and
// the lock ends with the process, however it ends.
bool TakeLock(const std::string& prefix, unsigned waitSeconds, int& fd, std::string& error) {
    fd = open(prefix.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        error = "cannot open the prefix " + prefix + ": " + SystemError(errno);
        return false;
    }
    // Poll rather than block, so that the wait has an end.
    for (unsigned tries = 0;; ++tries) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno != EWOULDBLOCK && errno != EINTR) {
            error = "cannot lock the prefix " + prefix + ": " + SystemError(errno);
            break;
        }
        if (tries >= waitSeconds * 10) {
            error = "the prefix " + prefix + " is in use by another run (waited " +
                    std::to_string(waitSeconds) + " s for it)";
            break;
        }
        usleep(100 * 1000);
    }
    close(fd);
    fd = -1;
    return false;
}

// Waits up to waitSeconds for a Wine server on the prefix to end; FALSE while one still runs.
bool WaitForWineServer(const std::string& prefix, unsigned waitSeconds, std::string& error) {
    for (unsigned tries = 0;; ++tries) {
        std::string server = RunningWineServer(prefix);
        if (server.empty())
            return true;
        if (tries >= waitSeconds * 10) {
            error = "Wine is running on the prefix " + prefix + " (its server " + server +
                    "); end it first (wineserver -k) or wait for it with --wine-wait SECONDS: "
                    "Wine would write its own registry over what this run writes";
            return false;
        }
        usleep(100 * 1000);
    }
}

// Whether the prefix's system.reg is a 64-bit machine's: its header says #arch=win64.
bool PrefixIsWin64(const std::string& prefix) {
    int fd = open((prefix + "/system.reg").c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    char head[4096];
    ssize_t got = read(fd, head, sizeof head - 1);
    close(fd);
    if (got <= 0)
        return false;
    std::string text(head, static_cast<size_t>(got));
    size_t firstKey = text.find("\n[");
    size_t arch = text.find("\n#arch=win64");
    return arch != std::string::npos && arch < firstKey;
}

bool MakePrefix(const MachineOptions& options, const std::string& prefix, std::string& error) {
    std::string driveC, windows, system;
    if (!FindOrMakeDirectory(prefix, "drive_c", driveC, error) ||
        !FindOrMakeDirectory(driveC, "windows", windows, error) ||
        !FindOrMakeDirectory(windows, options.os == OsKind::Win95 ? "system" : "system32", system,
                             error))
        return false;
    // On a 64-bit machine the installer's System directory lies in syswow64.
    if (TheMachine().wow64 && !FindOrMakeDirectory(windows, "syswow64", system, error))
        return false;
    std::string dosDevices;
    if (!FindOrMakeDirectory(prefix, "dosdevices", dosDevices, error))
        return false;
    // C: is the prefix's own drive; an existing link (a Wine prefix's) is kept as it is.
    std::string linkC = detail::LinkPathOf('C');
    struct stat info;
    if (lstat(linkC.c_str(), &info) != 0 && symlink("../drive_c", linkC.c_str()) != 0) {
        error = "cannot create " + linkC + ": " + SystemError(errno);
        return false;
    }
    return true;
}

bool LinkExists(char letter) {
    struct stat info;
    std::string link = detail::LinkPathOf(letter);
    // Wine's raw-device entry ("d::") claims the letter as well.
    return lstat(link.c_str(), &info) == 0 || lstat((link + ":").c_str(), &info) == 0;
}

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX];
    ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length < 0 ? std::string() : std::string(target, static_cast<size_t>(length));
}

// The letter the medium goes into: the one asked for unless the prefix maps it elsewhere,
// else the first free letter after it. 0 when every letter is taken.
char ChooseMediaLetter(char wanted, const std::string& media) {
    for (char letter = wanted; letter <= 'Z'; ++letter) {
        if (letter == 'C')
            continue;
        if (!LinkExists(letter))
            return letter;
        std::string link = detail::LinkPathOf(letter);
        char resolved[PATH_MAX];
        if (letter == wanted && realpath(link.c_str(), resolved) && media == resolved)
            return letter;
    }
    return 0;
}

// What a signal that ends the run needs to put the medium's drive back, kept in fixed buffers
// so that the handler only makes system calls that are safe there.
struct DriveUndo {
    volatile sig_atomic_t armed = 0;
    bool existed = false;
    char link[PATH_MAX] = {};
    char temporary[PATH_MAX] = {};
    char target[PATH_MAX] = {};
};
DriveUndo g_driveUndo;
const int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};
bool g_handlersInstalled = false;

void UndoDriveNow() {
    if (!g_driveUndo.armed)
        return;
    g_driveUndo.armed = 0;
    if (!g_driveUndo.existed) {
        unlink(g_driveUndo.link);
    } else {
        unlink(g_driveUndo.temporary);
        if (symlink(g_driveUndo.target, g_driveUndo.temporary) == 0)
            rename(g_driveUndo.temporary, g_driveUndo.link);
    }
}

void OnEndingSignal(int signal) {
    UndoDriveNow();
    ::signal(signal, SIG_DFL);
    raise(signal);
}

// A run ended by a signal still leaves the prefix's drives as they were. Only signals nobody
// else handles are taken: a front end that handles them gives the prefix back through
// StopMachine.
void ArmDriveUndo(char letter) {
    detail::Machine& machine = TheMachine();
    std::string link = detail::LinkPathOf(letter);
    std::string temporary = link + ".new";
    if (link.size() >= PATH_MAX || temporary.size() >= PATH_MAX ||
        machine.mediaLinkTarget.size() >= PATH_MAX)
        return;
    std::strcpy(g_driveUndo.link, link.c_str());
    std::strcpy(g_driveUndo.temporary, temporary.c_str());
    std::strcpy(g_driveUndo.target, machine.mediaLinkTarget.c_str());
    g_driveUndo.existed = machine.mediaLinkExisted;
    g_driveUndo.armed = 1;
    if (g_handlersInstalled)
        return;
    for (size_t i = 0; i < 3; ++i) {
        struct sigaction current {};
        if (sigaction(kEndingSignals[i], nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
            continue;
        struct sigaction action {};
        action.sa_handler = OnEndingSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kEndingSignals[i], &action, nullptr);
    }
    g_handlersInstalled = true;
}

// Puts the medium's drive back as the prefix had it: removed when the run made it, else
// pointing where it pointed (a disk change may have moved it).
void RestoreMediaDrive() {
    detail::Machine& machine = TheMachine();
    g_driveUndo.armed = 0;
    if (!machine.mediaLinkLetter)
        return;
    std::string link = detail::LinkPathOf(machine.mediaLinkLetter);
    if (!machine.mediaLinkExisted) {
        unlink(link.c_str());
    } else if (LinkTarget(link) != machine.mediaLinkTarget) {
        std::string error;
        detail::PointDriveLink(machine.mediaLinkLetter, machine.mediaLinkTarget, error);
    }
    machine.mediaLinkLetter = 0;
}

} // namespace

bool ParseOsKind(const std::string& name, OsKind& kind) {
    static const struct {
        const char* name;
        OsKind kind;
    } kNames[] = {{"win95", OsKind::Win95},
                  {"nt31", OsKind::Nt31},
                  {"nt35", OsKind::Nt35},
                  {"nt351", OsKind::Nt351},
                  {"nt4", OsKind::Nt4}};
    for (const auto& entry : kNames)
        if (name == entry.name) {
            kind = entry.kind;
            return true;
        }
    return false;
}

bool ParsePcKind(const std::string& name, PcKind& kind) {
    if (name == "pcat")
        kind = PcKind::PcAt;
    else if (name == "pc98")
        kind = PcKind::Pc98;
    else
        return false;
    return true;
}

bool ParseDriveType(const std::string& name, unsigned& type) {
    if (name == "cdrom")
        type = 5;
    else if (name == "removable")
        type = 2;
    else if (name == "fixed")
        type = 3;
    else if (name == "remote")
        type = 4;
    else
        return false;
    return true;
}

std::string DefaultPrefix() {
    const char* prefix = std::getenv("VELTRIX_PREFIX");
    if (prefix && *prefix)
        return prefix;
    const char* winePrefix = std::getenv("WINEPREFIX");
    if (winePrefix && *winePrefix)
        return winePrefix;
    const char* home = std::getenv("HOME");
    std::string homeDir = home && *home ? home : "";
    if (homeDir.empty())
        if (const passwd* user = getpwuid(getuid()))
            homeDir = user->pw_dir ? user->pw_dir : "";
    if (homeDir.empty())
        homeDir = "/tmp";
    return homeDir + "/.local/share/veltrix-setup/machine";
}

StartFailure LastStartFailure() {
    return g_lastStartFailure;
}

bool StartMachine(const MachineOptions& options, std::string& error) {
    if (MachineStarted())
        StopMachine();
    error.clear();
    g_lastStartFailure = StartFailure::Unusable;

    char mediaDrive =
        static_cast<char>(std::toupper(static_cast<unsigned char>(options.mediaDrive)));
    if (mediaDrive < 'A' || mediaDrive > 'Z' || mediaDrive == 'C') {
        error = std::string("the medium cannot be drive ") + options.mediaDrive +
                ": (a letter from A to Z other than C is needed)";
        return false;
    }
    if (options.mediaType > 6) {
        error = "unknown drive type " + std::to_string(options.mediaType) + " for the medium";
        return false;
    }
    if (options.codePage != 932 && options.codePage != 1252) {
        error = "unknown system code page " + std::to_string(options.codePage) + " (932 or 1252)";
        return false;
    }
    std::string language = options.language.empty() ? LanguageFromHostLocale() : options.language;
    const detail::LocaleFacts* locale = detail::FindLocaleByAbbreviation(language);
    if (!locale) {
        error = "unknown language abbreviation \"" + language + "\"";
        return false;
    }

    std::error_code failure;
    std::string mediaHost = options.mediaDir.empty() ? "." : options.mediaDir;
    fs::path media = fs::canonical(mediaHost, failure);
    if (failure || !fs::is_directory(media, failure)) {
        error = "the medium directory " + mediaHost + " does not exist";
        return false;
    }

    std::string prefixName = options.prefix.empty() ? DefaultPrefix() : options.prefix;
    fs::path prefixPath = fs::absolute(prefixName, failure);
    if (!failure)
        fs::create_directories(prefixPath, failure);
    if (failure || !fs::is_directory(prefixPath)) {
        error = "cannot create the prefix " + prefixName + ": " +
                (failure ? failure.message() : std::string("not a directory"));
        return false;
    }
    std::string prefix = prefixPath.lexically_normal().string();
    if (prefix.size() > 1 && prefix.back() == '/')
        prefix.pop_back();

    // Nothing of the prefix changes while Wine runs on it.
    if (!WaitForWineServer(prefix, options.wineServerWaitSeconds, error)) {
        g_lastStartFailure = StartFailure::WineServerRunning;
        return false;
    }
    int lockFd = -1;
    if (!TakeLock(prefix, options.lockWaitSeconds, lockFd, error))
        return false;

    detail::Machine& machine = TheMachine();
    machine = detail::Machine();
    machine.options = options;
    machine.options.mediaDrive = mediaDrive;
    machine.options.mediaDir = media.string();
    machine.prefix = prefix;
    machine.lockFd = lockFd;
    machine.language = locale->abbreviation;
    machine.lcid = locale->lcid;
    machine.wow64 = PrefixIsWin64(prefix);

    if (!MakePrefix(options, prefix, error)) {
        close(lockFd);
        machine = detail::Machine();
        return false;
    }
    char letter = ChooseMediaLetter(mediaDrive, media.string());
    if (!letter) {
        error = "no free drive letter for the medium in the prefix " + prefix;
        close(lockFd);
        machine = detail::Machine();
        return false;
    }
    mediaDrive = letter;
    machine.options.mediaDrive = letter;
    machine.mediaLinkExisted = LinkExists(letter);
    machine.mediaLinkTarget = LinkTarget(detail::LinkPathOf(letter));
    if (!detail::PointDriveLink(mediaDrive, media.string(), error)) {
        close(lockFd);
        machine = detail::Machine();
        return false;
    }
    machine.mediaLinkLetter = letter;
    ArmDriveUndo(letter);
    detail::LoadDriveTypes();
    // The medium's drive type lives as long as the run: the prefix keeps its own records.
    detail::NoteDriveType(mediaDrive, options.mediaType);

    // The code page is the system's, set apart from the user's language as on Windows: a
    // language library's texts are converted into it.
    machine.codePage = options.codePage;
    machine.systemLcid = detail::SystemLocaleFor(machine.codePage, machine.lcid);
    machine.currentDir = MediaDirWindows();
    machine.started = true;
    InstallFrontendHooks();
    g_lastStartFailure = StartFailure::None;
    // A new prefix gets the keys of a freshly installed system now, not at the first use.
    LoadRegistry();
    return true;
}

void StopMachine() {
    detail::Machine& machine = TheMachine();
    if (!machine.started)
        return;
    detail::RunMachineStopHandlers();
    detail::CloseAllFileHandles();
    RestoreMediaDrive();
    // A machine started later in the same process begins with an empty message queue, not
    // with the quit that ended this one's last loop.
    ResetMessageQueue();
    if (machine.lockFd >= 0)
        close(machine.lockFd);
    machine = detail::Machine();
}

} // namespace host
