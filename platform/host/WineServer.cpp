// Finding a Wine server that runs on a prefix. While one runs, Wine holds the prefix's registry
// in memory and writes it back over system.reg when it saves, so that whatever another program
// wrote to the files meanwhile is lost.
//
// The server keeps its socket and its lock file in a directory server-DEV-INODE (the prefix
// directory's device and inode numbers in hex) under a folder of its user: /tmp/.wine-UID
// upstream, or a folder /tmp/wine-XXXXXX whose name Debian's Wine records in the prefix's file
// "wineserver". The server holds a write lock on the lock file for as long as it runs.
#include <host/Machine.h>

#include <dirent.h>
#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace host {
namespace {

bool LockIsHeld(const std::string& lockPath) {
    int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    bool held = fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
    close(fd);
    return held;
}

// A server that answers on its socket runs, even where the lock cannot be seen.
bool SocketAnswers(const std::string& socketPath) {
    sockaddr_un address{};
    if (socketPath.size() >= sizeof address.sun_path)
        return false;
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, socketPath.c_str(), socketPath.size() + 1);
    int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    bool answers = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return answers;
}

// The folders a server of this user may keep its directories in.
std::vector<std::string> ServerFolders(const std::string& prefix) {
    std::vector<std::string> folders;
    std::vector<std::string> temporaries{"/tmp"};
    if (const char* tmp = std::getenv("TMPDIR"); tmp && *tmp && std::string(tmp) != "/tmp")
        temporaries.push_back(tmp);
    std::ifstream recorded(prefix + "/wineserver");
    std::string name;
    if (std::getline(recorded, name) && !name.empty()) {
        if (name[0] == '/') {
            folders.push_back(name);
        } else {
            for (const auto& temporary : temporaries)
                folders.push_back(temporary + "/" + name);
        }
    }
    for (const auto& temporary : temporaries) {
        folders.push_back(temporary + "/.wine-" + std::to_string(getuid()));
        // The record may be missing or stale: look through the other folders of this kind too.
        if (DIR* dir = opendir(temporary.c_str())) {
            while (dirent* entry = readdir(dir)) {
                if (std::strncmp(entry->d_name, "wine-", 5) == 0)
                    folders.push_back(temporary + "/" + entry->d_name);
            }
            closedir(dir);
        }
    }
    return folders;
}

} // namespace

std::string RunningWineServer(const std::string& prefix) {
    struct stat info;
    if (stat(prefix.c_str(), &info) != 0)
        return std::string();
    char name[64];
    std::snprintf(name, sizeof name, "server-%llx-%llx",
                  static_cast<unsigned long long>(info.st_dev),
                  static_cast<unsigned long long>(info.st_ino));
    for (const auto& folder : ServerFolders(prefix)) {
        std::string dir = folder + "/" + name;
        if (LockIsHeld(dir + "/lock") || SocketAnswers(dir + "/socket"))
            return dir;
    }
    return std::string();
}

} // namespace host
