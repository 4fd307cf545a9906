// Drive letters: one link per letter in the prefix's dosdevices directory, as Wine keeps them,
// and the drive types recorded beside them in the prefix file "veltrix-drives".
#include "HostWatch.h"
#include "kernel/MachineState.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>

namespace fs = std::filesystem;

namespace host::detail {
namespace {

const char kDriveTypesFile[] = "veltrix-drives";

const char* const kTypeNames[] = {"unknown", "norootdir", "removable", "fixed",
                                  "remote",  "cdrom",     "ramdisk"};

bool ParseRecordedType(const std::string& word, unsigned& type) {
    for (unsigned i = 0; i < sizeof kTypeNames / sizeof kTypeNames[0]; ++i)
        if (word == kTypeNames[i]) {
            type = i;
            return true;
        }
    if (word.size() == 1 && word[0] >= '0' && word[0] <= '6') {
        type = static_cast<unsigned>(word[0] - '0');
        return true;
    }
    return false;
}

char NormalLetter(char letter) {
    char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    return upper >= 'A' && upper <= 'Z' ? upper : 0;
}

bool SaveDriveTypes() {
    Machine& machine = TheMachine();
    std::string path = machine.prefix + "/" + kDriveTypesFile;
    std::string temporary = path + ".new";
    {
        std::ofstream out(temporary, std::ios::trunc);
        out << "# Drive types of the letters in dosdevices (unknown, norootdir, removable, "
               "fixed, remote, cdrom, ramdisk)\n";
        for (const auto& [letter, type] : machine.driveTypes)
            if (letter != machine.mediaLinkLetter)
                out << static_cast<char>(std::tolower(letter)) << ": " << kTypeNames[type] << "\n";
        if (!out.flush())
            return false;
    }
    return std::rename(temporary.c_str(), path.c_str()) == 0;
}

} // namespace

std::string DosDevicesDir() {
    return TheMachine().prefix + "/dosdevices";
}

std::string LinkPathOf(char letter) {
    return DosDevicesDir() + "/" +
           static_cast<char>(std::tolower(static_cast<unsigned char>(letter))) + ":";
}

namespace {

// A drive's root as its link resolved, kept while the link is the same link: the links to
// a drive's root are followed once per run, not at every lookup. A remapped drive (a disk
// put in, a medium mapped) has a new link, and PointDriveLink forgets the old one at once.
// The link's status and the root's are read again only when the host reports a change in
// the links' directory or on the way to the root.
struct ResolvedRoot {
    std::string prefix;
    std::string link;
    dev_t device = 0;
    ino_t inode = 0;
    timespec changed = {};
    std::string root; // empty when the link leads nowhere
    WatchStamp linkRead;
    WatchStamp rootRead; // empty while rootInfo was not read
    struct stat rootInfo = {};
};

std::mutex g_rootsLock;
std::map<char, ResolvedRoot> g_roots;

bool SameLink(const ResolvedRoot& known, const std::string& link, const struct stat& info) {
    return known.link == link && known.device == info.st_dev && known.inode == info.st_ino &&
           known.changed.tv_sec == info.st_ctim.tv_sec &&
           known.changed.tv_nsec == info.st_ctim.tv_nsec;
}

// The root of a letter as last found, when nothing was reported changed since.
bool KnownRoot(char letter, std::string& root, struct stat* rootInfo) {
    std::lock_guard<std::mutex> guard(g_rootsLock);
    auto known = g_roots.find(letter);
    // A link that led nowhere is followed again: its target may appear, as a disk does.
    if (known == g_roots.end() || known->second.root.empty() ||
        known->second.prefix != TheMachine().prefix || !Unchanged(known->second.linkRead) ||
        (rootInfo && !Unchanged(known->second.rootRead)))
        return false;
    root = known->second.root;
    if (rootInfo)
        *rootInfo = known->second.rootInfo;
    return true;
}

// The resolved root of a letter whose link has the status linkInfo, read at linkRead.
std::string RootOfLink(char letter, const std::string& link, const struct stat& linkInfo,
                       const WatchStamp& linkRead) {
    std::lock_guard<std::mutex> guard(g_rootsLock);
    auto known = g_roots.find(letter);
    if (known != g_roots.end() && SameLink(known->second, link, linkInfo) &&
        !known->second.root.empty()) {
        known->second.linkRead = linkRead;
        return known->second.root;
    }
    ResolvedRoot fresh;
    fresh.prefix = TheMachine().prefix;
    fresh.link = link;
    fresh.device = linkInfo.st_dev;
    fresh.inode = linkInfo.st_ino;
    fresh.changed = linkInfo.st_ctim;
    fresh.linkRead = linkRead;
    char resolved[PATH_MAX];
    if (realpath(link.c_str(), resolved))
        fresh.root = resolved;
    g_roots[letter] = fresh;
    return fresh.root;
}

// The root's status, read now, kept for KnownRoot while the root is the letter's.
bool ReadRootStatus(char letter, const std::string& root, struct stat& info) {
    WatchStamp read = WatchDirectory(root);
    if (stat(root.c_str(), &info) != 0 || !S_ISDIR(info.st_mode))
        return false;
    std::lock_guard<std::mutex> guard(g_rootsLock);
    auto known = g_roots.find(letter);
    if (known != g_roots.end() && known->second.root == root) {
        known->second.rootRead = read;
        known->second.rootInfo = info;
    }
    return true;
}

void ForgetRoot(char letter) {
    std::lock_guard<std::mutex> guard(g_rootsLock);
    g_roots.erase(letter);
}

} // namespace

bool ResolveDrive(char letter, std::string& root, unsigned& type, struct stat* rootInfo) {
    root.clear();
    type = DRIVE_NO_ROOT_DIR;
    letter = NormalLetter(letter);
    if (!letter || TheMachine().prefix.empty())
        return false;
    if (!KnownRoot(letter, root, rootInfo)) {
        WatchStamp linkRead = WatchDirectory(DosDevicesDir());
        std::string link = LinkPathOf(letter);
        struct stat linkInfo;
        if (lstat(link.c_str(), &linkInfo) != 0)
            return false;
        std::string resolved = RootOfLink(letter, link, linkInfo, linkRead);
        if (!rootInfo || (!resolved.empty() && ReadRootStatus(letter, resolved, *rootInfo)))
            root = resolved;
    }
    if (!TheMachine().started)
        return !root.empty();
    // A recorded drive keeps its type without a medium in it, as an empty floppy drive does.
    auto recorded = TheMachine().driveTypes.find(letter);
    if (letter != 'C' && recorded != TheMachine().driveTypes.end())
        type = recorded->second;
    else
        type = root.empty() ? DRIVE_NO_ROOT_DIR : DRIVE_FIXED;
    return !root.empty();
}

std::string DriveRootHost(char letter) {
    std::string root;
    unsigned type = 0;
    struct stat info;
    ResolveDrive(letter, root, type, &info);
    return root;
}

unsigned DriveType(char letter) {
    std::string root;
    unsigned type = DRIVE_NO_ROOT_DIR;
    struct stat info;
    ResolveDrive(letter, root, type, &info);
    return type;
}

void LoadDriveTypes() {
    Machine& machine = TheMachine();
    machine.driveTypes.clear();
    std::ifstream in(machine.prefix + "/" + kDriveTypesFile);
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream words(line);
        std::string drive, typeName;
        unsigned type = 0;
        if (!(words >> drive >> typeName) || drive.size() != 2 || drive[1] != ':')
            continue;
        char letter = NormalLetter(drive[0]);
        if (letter && letter != 'C' && ParseRecordedType(typeName, type))
            machine.driveTypes[letter] = type;
    }
}

bool RecordDriveType(char letter, unsigned type) {
    letter = NormalLetter(letter);
    if (!letter || letter == 'C' || type > DRIVE_RAMDISK)
        return false;
    TheMachine().driveTypes[letter] = type;
    return SaveDriveTypes();
}

void NoteDriveType(char letter, unsigned type) {
    letter = NormalLetter(letter);
    if (letter && letter != 'C' && type <= DRIVE_RAMDISK)
        TheMachine().driveTypes[letter] = type;
}

bool PointDriveLink(char letter, const std::string& target, std::string& error) {
    std::string link = LinkPathOf(letter);
    struct stat info;
    if (lstat(link.c_str(), &info) == 0) {
        if (!S_ISLNK(info.st_mode)) {
            error = "cannot map drive " + std::string(1, letter) + ": " + link + " is not a link";
            return false;
        }
    }
    ForgetRoot(NormalLetter(letter));
    // Replace through a new link and a rename, so that the letter is never missing.
    std::string temporary = link + ".new";
    unlink(temporary.c_str());
    if (symlink(target.c_str(), temporary.c_str()) != 0 ||
        std::rename(temporary.c_str(), link.c_str()) != 0) {
        error = "cannot map drive " + std::string(1, letter) + " to " + target;
        unlink(temporary.c_str());
        return false;
    }
    return true;
}

} // namespace host::detail

namespace host {

bool MapDrive(char letter, const std::string& hostDir, unsigned type) {
    letter = detail::NormalLetter(letter);
    if (!MachineStarted() || !letter || letter == 'C' || type > DRIVE_RAMDISK || hostDir.empty())
        return false;
    std::error_code failure;
    fs::path target = fs::absolute(hostDir, failure);
    if (failure)
        return false;
    std::string error;
    return detail::PointDriveLink(letter, target.lexically_normal().string(), error) &&
           detail::RecordDriveType(letter, type);
}

bool InsertMedium(char driveLetter, const std::string& hostDir) {
    char letter = detail::NormalLetter(driveLetter);
    if (!MachineStarted() || !letter || letter == 'C')
        return false;
    std::error_code failure;
    fs::path target = fs::canonical(hostDir, failure);
    if (failure || !fs::is_directory(target, failure))
        return false;
    std::string error;
    return detail::PointDriveLink(letter, target.string(), error);
}

} // namespace host

using namespace host::detail;

UINT WINAPI GetDriveTypeA(LPCSTR rootPath) {
    std::string root;
    if (!rootPath) {
        const std::string& current = TheMachine().currentDir;
        if (current.empty())
            return DRIVE_NO_ROOT_DIR;
        root = current.substr(0, 3);
    } else {
        root = rootPath;
    }
    bool wellFormed =
        (root.size() == 2 || (root.size() == 3 && (root[2] == '\\' || root[2] == '/'))) &&
        root[1] == ':' && std::isalpha(static_cast<unsigned char>(root[0]));
    if (!wellFormed)
        return DRIVE_UNKNOWN;
    return DriveType(root[0]);
}

DWORD WINAPI GetLogicalDrives() {
    DWORD drives = 0;
    for (char letter = 'A'; letter <= 'Z'; ++letter)
        if (DriveType(letter) != DRIVE_NO_ROOT_DIR)
            drives |= 1u << (letter - 'A');
    return drives;
}
