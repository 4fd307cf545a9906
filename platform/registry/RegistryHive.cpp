#include "RegistryHive.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace host::detail {

namespace {

bool ReadWholeFile(const std::string& path, std::string& bytes, int& error) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return false;
    }
    bytes.clear();
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0) {
            error = errno;
            ::close(fd);
            return false;
        }
        if (got == 0)
            break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

const char kNewFileMark[] = ".new-";
const size_t kNewFileSuffixLength = 6; // the XXXXXX of mkstemp

// Removes the new files that a run stopped between writing and renaming them left beside path.
void RemoveLeftovers(const std::string& path) {
    std::string directory = DirectoryOf(path);
    std::string stem = path.substr(path.rfind('/') + 1) + kNewFileMark;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir)
        return;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name.size() == stem.size() + kNewFileSuffixLength &&
            name.compare(0, stem.size(), stem) == 0)
            ::unlink((directory + "/" + name).c_str());
    }
    ::closedir(dir);
}

} // namespace

bool ReplaceFileAtomically(const std::string& path, const std::string& bytes, std::string& error) {
    std::string temp = path + kNewFileMark + std::string(kNewFileSuffixLength, 'X');
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    auto fail = [&](int code) {
        error = std::strerror(code);
        if (fd >= 0)
            ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    // The new file takes the old one's permissions, or those of a file made the usual way.
    struct stat old {};
    mode_t mode = 0644;
    if (::stat(path.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    if (::fchmod(fd, mode) != 0)
        return fail(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t wrote = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR)
            continue;
        if (wrote <= 0)
            return fail(wrote < 0 ? errno : ENOSPC);
        done += static_cast<size_t>(wrote);
    }
    if (::fsync(fd) != 0)
        return fail(errno);
    int closeResult = ::close(fd);
    fd = -1;
    if (closeResult != 0)
        return fail(errno);
    if (::rename(temp.c_str(), path.c_str()) != 0)
        return fail(errno);
    // The rename itself must reach the disk before the old contents are gone for good.
    int dirFd = ::open(DirectoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return true;
}

RegHive::RegHive(std::string hostPath, std::string relativeTo, RegName rootName)
    : m_hostPath(std::move(hostPath)), m_root(std::make_shared<RegKey>()) {
    m_header.relativeTo = std::move(relativeTo);
    m_root->name = std::move(rootName);
    m_root->hive = this;
}

void RegHive::Load() {
    RemoveLeftovers(m_hostPath);
    std::string bytes;
    int error = 0;
    if (!ReadWholeFile(m_hostPath, bytes, error)) {
        if (error == ENOENT) {
            m_bNew = true;
            m_root->modified = RegNow();
            return;
        }
        m_bDamaged = true;
        std::fprintf(stderr,
                     "The registry file %s cannot be read (%s): its keys are unavailable and the "
                     "file is left as it is.\n",
                     m_hostPath.c_str(), std::strerror(error));
        return;
    }
    RegFileHeader header;
    int line = 0;
    std::string reason;
    if (!ParseRegistryFile(bytes, *m_root, header, line, reason)) {
        m_bDamaged = true;
        m_root->subkeys.clear();
        m_root->values.clear();
        std::fprintf(stderr,
                     "The registry file %s is damaged at line %d (%s): its keys are unavailable "
                     "and the file is left as it is.\n",
                     m_hostPath.c_str(), line, reason.c_str());
        return;
    }
    // The header keeps the root path we write; what the file had for its machine kind stays.
    m_header.arch = header.arch.empty() ? "win32" : header.arch;
    m_header.fileText = std::move(header.fileText);
}

bool RegHive::Save() {
    if (m_bDamaged || !m_bDirty)
        return !m_bDamaged;
    std::string error;
    // A file the user made read-only is kept as one, even where the directory would let a
    // new file take its place (and even for the superuser, whom the mode does not stop).
    struct stat info {};
    if (::stat(m_hostPath.c_str(), &info) == 0 && (info.st_mode & 0222) == 0) {
        std::fprintf(stderr, "The registry file %s could not be written (%s); it is unchanged.\n",
                     m_hostPath.c_str(), std::strerror(EACCES));
        return false;
    }
    if (!ReplaceFileAtomically(m_hostPath, FormatRegistryFile(*m_root, m_header), error)) {
        std::fprintf(stderr, "The registry file %s could not be written (%s); it is unchanged.\n",
                     m_hostPath.c_str(), error.c_str());
        return false;
    }
    m_bDirty = false;
    m_bNew = false;
    return true;
}

} // namespace host::detail
