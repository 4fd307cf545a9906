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
bool PointDriveLink(char letter, const std::string& target, std::string& error);

} // namespace host::detail

namespace host {
namespace {

using detail::TheMachine;

const char kLockFileName[] = "veltrix.lock";

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

bool TakeLock(const std::string& prefix, unsigned waitSeconds, int& fd, std::string& error) {
    std::string lockPath = prefix + "/" + kLockFileName;
    fd = open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0) {
        error = "cannot open the lock file of the prefix " + prefix + ": " + SystemError(errno);
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

bool MakePrefix(const MachineOptions& options, const std::string& prefix, std::string& error) {
    std::string driveC, windows, system;
    if (!FindOrMakeDirectory(prefix, "drive_c", driveC, error) ||
        !FindOrMakeDirectory(driveC, "windows", windows, error) ||
        !FindOrMakeDirectory(windows, options.os == OsKind::Win95 ? "system" : "system32", system,
                             error))
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
    const char* home = std::getenv("HOME");
    std::string homeDir = home && *home ? home : "";
    if (homeDir.empty())
        if (const passwd* user = getpwuid(getuid()))
            homeDir = user->pw_dir ? user->pw_dir : "";
    if (homeDir.empty())
        homeDir = "/tmp";
    return homeDir + "/.local/share/veltrix-setup/machine";
}

bool StartMachine(const MachineOptions& options, std::string& error) {
    if (MachineStarted())
        StopMachine();
    error.clear();

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

    if (!MakePrefix(options, prefix, error) ||
        !detail::PointDriveLink(mediaDrive, media.string(), error)) {
        close(lockFd);
        machine = detail::Machine();
        return false;
    }
    detail::LoadDriveTypes();
    detail::RecordDriveType(mediaDrive, options.mediaType);

    // The code page is the system's, set apart from the user's language as on Windows: a
    // language library's texts are converted into it.
    machine.codePage = options.codePage;
    machine.systemLcid = detail::SystemLocaleFor(machine.codePage, machine.lcid);
    machine.currentDir = MediaDirWindows();
    machine.started = true;
    InstallFrontendHooks();
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
    // A machine started later in the same process begins with an empty message queue, not
    // with the quit that ended this one's last loop.
    ResetMessageQueue();
    if (machine.lockFd >= 0)
        close(machine.lockFd);
    machine = detail::Machine();
}

} // namespace host
