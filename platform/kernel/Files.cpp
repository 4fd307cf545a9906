// Opening, reading and writing files through handles.
#include "kernel/FilesHandles.h"
#include "kernel/MachineState.h"
#include "PathMap.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

using namespace host::detail;

namespace {

const DWORD kReadRights = GENERIC_READ | 0x10000000 /* GENERIC_ALL */ | 0x0001 /* FILE_READ_DATA */;
const DWORD kWriteRights =
    GENERIC_WRITE | 0x10000000 | 0x0002 /* FILE_WRITE_DATA */ | 0x0004 /* FILE_APPEND_DATA */;

bool IsReadOnly(const struct stat& info) {
    // The machine runs as root, for whom the host never refuses a write: the write bit alone
    // says whether the file is read-only.
    return !(info.st_mode & S_IWUSR);
}

HANDLE Fail(DWORD error) {
    SetLastError(error);
    return INVALID_HANDLE_VALUE;
}

BOOL FailBool(DWORD error) {
    SetLastError(error);
    return FALSE;
}

std::shared_ptr<FileObject> FileOf(HANDLE handle) {
    std::shared_ptr<FileObject> file = LookUp<FileObject>(handle);
    if (!file)
        SetLastError(ERROR_INVALID_HANDLE);
    return file;
}

} // namespace

namespace {

// CreateFileA, which also gives the type of the drive the file was found on: OpenFile records
// it, and a file just opened needs no second look at its drive.
HANDLE OpenOnDrive(LPCSTR fileName, DWORD access, DWORD shareMode, DWORD creation, DWORD flags,
                   unsigned& driveType) {
    if (creation < CREATE_NEW || creation > TRUNCATE_EXISTING)
        return Fail(ERROR_INVALID_PARAMETER);
    bool read = (access & kReadRights) != 0;
    bool write = (access & kWriteRights) != 0;
    if (creation == TRUNCATE_EXISTING && !write)
        return Fail(ERROR_INVALID_PARAMETER);

    WindowsPath parsed;
    HostPath path;
    // A file only to be read that the folder's index knows for a plain file is opened at once
    // and its status read from the open file, not looked at by name first.
    bool plainRead = !write && creation == OPEN_EXISTING;
    if (DWORD error = ResolvePath(fileName, NameRule::Strict, parsed, path,
                                  plainRead ? LastStatus::LeftToOpen : LastStatus::Read))
        return Fail(error);
    int fd = -1;
    struct stat opened;
    if (!path.statusRead) {
        if (!parsed.trailingSeparator)
            fd = OpenLastComponent(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fd >= 0 && (fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode))) {
            close(fd);
            fd = -1;
        }
        if (fd >= 0) {
            path.info = opened;
        } else if (DWORD error = ResolvePath(fileName, NameRule::Strict, parsed, path)) {
            // It went or became something else since the folder was read: look again.
            return Fail(error);
        }
    }
    auto failOpened = [&fd](DWORD error) {
        if (fd >= 0)
            close(fd);
        return Fail(error);
    };
    driveType = path.driveType;
    if (parsed.IsRoot() || path.IsDirectory())
        return failOpened(ERROR_ACCESS_DENIED);
    if (parsed.trailingSeparator)
        return failOpened(path.exists ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND);

    bool cdrom = path.driveType == DRIVE_CDROM;
    int mode = read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    DWORD successError = ERROR_SUCCESS;
    bool statusOfOpened = fd >= 0;
    if (path.exists) {
        if (creation == CREATE_NEW)
            return Fail(ERROR_FILE_EXISTS);
        bool truncate = creation == CREATE_ALWAYS || creation == TRUNCATE_EXISTING;
        if ((write || truncate) && (IsReadOnly(path.info) || cdrom))
            return Fail(ERROR_ACCESS_DENIED);
        if (ShareConflict(path.info.st_dev, path.info.st_ino, read, write, shareMode))
            return failOpened(ERROR_SHARING_VIOLATION);
        if (truncate && mode == O_RDONLY)
            mode = O_RDWR;
        // Not blocking while opening: a pipe in a drive must not hang the machine. A plain
        // file never blocks, and most opens are of plain files.
        bool regular = S_ISREG(path.info.st_mode);
        if (fd < 0)
            fd = OpenLastComponent(path, mode | O_CLOEXEC | (regular ? 0 : O_NONBLOCK) |
                                             (truncate ? O_TRUNC : 0));
        if (fd < 0)
            return Fail(ErrorFromErrno(errno));
        if (!regular)
            fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
        if (creation == CREATE_ALWAYS || creation == OPEN_ALWAYS)
            successError = ERROR_ALREADY_EXISTS;
    } else {
        if (creation == OPEN_EXISTING || creation == TRUNCATE_EXISTING)
            return Fail(ERROR_FILE_NOT_FOUND);
        if (cdrom)
            return Fail(ERROR_ACCESS_DENIED);
        mode_t permissions = (flags & FILE_ATTRIBUTE_READONLY) ? 0444 : 0666;
        fd = OpenLastComponent(path, mode | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, permissions);
        if (fd < 0)
            return Fail(errno == EEXIST ? ERROR_FILE_EXISTS : ErrorFromErrno(errno));
        NoteEntryCreated(path.host);
    }

    struct stat info;
    if (statusOfOpened) {
        info = opened;
    } else if (fstat(fd, &info) != 0) {
        close(fd);
        return Fail(ERROR_ACCESS_DENIED);
    }
    auto file = std::make_shared<FileObject>();
    file->fd = fd;
    file->canRead = read;
    file->canWrite = write;
    file->share = shareMode;
    file->device = info.st_dev;
    file->inode = info.st_ino;
    file->host = path.host;
    file->deleteOnClose = (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    HANDLE handle = AddHandle(file);
    if (handle == INVALID_HANDLE_VALUE) {
        file->deleteOnClose = false;
        return Fail(ERROR_TOO_MANY_OPEN_FILES);
    }
    SetLastError(successError);
    return handle;
}

// OF_EXIST for reading: whether an open would succeed, found for a plain file from its
// status, the share modes of the open handles and the host's check of the permission to
// read it, without opening it. A file the folder's index knows for a plain file is not
// looked at apart from that check, unless a share mode needs its identity. FALSE when the
// file is no plain file: a device or a pipe answers only to an open.
bool ProbeForReading(LPCSTR fileName, DWORD shareMode, unsigned& driveType, DWORD& error) {
    WindowsPath parsed;
    HostPath path;
    error = ResolvePath(fileName, NameRule::Strict, parsed, path, LastStatus::LeftToOpen);
    if (error)
        return true;
    driveType = path.driveType;
    if (parsed.IsRoot() || path.IsDirectory()) {
        error = ERROR_ACCESS_DENIED;
        return true;
    }
    if (parsed.trailingSeparator) {
        error = path.exists ? ERROR_INVALID_NAME : ERROR_PATH_NOT_FOUND;
        return true;
    }
    if (!path.exists) {
        error = ERROR_FILE_NOT_FOUND;
        return true;
    }
    if (!path.statusRead && AnyFileOpen()) {
        if (LstatLastComponent(path, path.info) != 0)
            return false;
        path.statusRead = true;
    }
    if (!S_ISREG(path.info.st_mode))
        return false;
    if (path.statusRead &&
        ShareConflict(path.info.st_dev, path.info.st_ino, true, false, shareMode))
        error = ERROR_SHARING_VIOLATION;
    // A link put in the place of a plain file is looked at as itself, never followed.
    else if (AccessLastComponent(path, R_OK,
                                 AT_EACCESS | (path.statusRead ? 0 : AT_SYMLINK_NOFOLLOW)) != 0)
        error = ErrorFromErrno(errno);
    return true;
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode,
                          LPSECURITY_ATTRIBUTES security, DWORD creation, DWORD flags,
                          HANDLE templateFile) {
    (void)security;
    (void)templateFile;
    unsigned driveType = DRIVE_UNKNOWN;
    return OpenOnDrive(fileName, access, shareMode, creation, flags, driveType);
}

BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD toRead, LPDWORD read, LPVOID overlapped) {
    (void)overlapped;
    if (read)
        *read = 0;
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!file->canRead)
        return FailBool(ERROR_ACCESS_DENIED);
    if (toRead > 0 && !buffer)
        return FailBool(ERROR_INVALID_PARAMETER);
    DWORD total = 0;
    char* out = static_cast<char*>(buffer);
    while (total < toRead) {
        ssize_t got = ::read(file->fd, out + total, toRead - total);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            if (read)
                *read = total;
            return FailBool(errno == EISDIR ? ERROR_ACCESS_DENIED : ERROR_READ_FAULT);
        }
        if (got == 0)
            break;
        total += static_cast<DWORD>(got);
    }
    if (read)
        *read = total;
    return TRUE;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD toWrite, LPDWORD written,
                      LPVOID overlapped) {
    (void)overlapped;
    if (written)
        *written = 0;
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!file->canWrite)
        return FailBool(ERROR_ACCESS_DENIED);
    if (toWrite > 0 && !buffer)
        return FailBool(ERROR_INVALID_PARAMETER);
    DWORD total = 0;
    const char* in = static_cast<const char*>(buffer);
    while (total < toWrite) {
        ssize_t put = ::write(file->fd, in + total, toWrite - total);
        if (put < 0 && errno == EINTR)
            continue;
        if (put <= 0) {
            int error = put < 0 ? errno : ENOSPC;
            if (written)
                *written = total;
            return FailBool(error == ENOSPC || error == EDQUOT || error == EFBIG
                                ? ERROR_DISK_FULL
                                : ERROR_WRITE_FAULT);
        }
        total += static_cast<DWORD>(put);
    }
    if (written)
        *written = total;
    return TRUE;
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD sizeHigh) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return INVALID_FILE_SIZE;
    struct stat info;
    if (fstat(file->fd, &info) != 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (sizeHigh)
        *sizeHigh = static_cast<DWORD>(size >> 32);
    // A size whose low half is 0xFFFFFFFF is told from a failure by the last error.
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(size);
}

DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, PLONG distanceHigh, DWORD method) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return INVALID_SET_FILE_POINTER;
    int whence = method == FILE_BEGIN     ? SEEK_SET
                 : method == FILE_CURRENT ? SEEK_CUR
                 : method == FILE_END     ? SEEK_END
                                          : -1;
    if (whence < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    int64_t move = distanceHigh
                       ? static_cast<int64_t>(
                             (static_cast<uint64_t>(static_cast<uint32_t>(*distanceHigh)) << 32) |
                             static_cast<uint32_t>(distance))
                       : static_cast<int64_t>(distance);
    off_t base = lseek(file->fd, 0, whence);
    if (base < 0 || (move < 0 && static_cast<int64_t>(base) + move < 0)) {
        SetLastError(ERROR_NEGATIVE_SEEK);
        return INVALID_SET_FILE_POINTER;
    }
    off_t position = lseek(file->fd, static_cast<off_t>(base + move), SEEK_SET);
    if (position < 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    uint64_t result = static_cast<uint64_t>(position);
    if (distanceHigh)
        *distanceHigh = static_cast<LONG>(result >> 32);
    else if (result > 0xFFFFFFFFull) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    SetLastError(ERROR_SUCCESS);
    return static_cast<DWORD>(result);
}

BOOL WINAPI SetEndOfFile(HANDLE handle) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!file->canWrite)
        return FailBool(ERROR_ACCESS_DENIED);
    off_t position = lseek(file->fd, 0, SEEK_CUR);
    if (position < 0 || ftruncate(file->fd, position) != 0)
        return FailBool(ErrorFromErrno(errno));
    return TRUE;
}

BOOL WINAPI GetFileTime(HANDLE handle, LPFILETIME creation, LPFILETIME access, LPFILETIME write) {
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return FALSE;
    struct stat info;
    if (fstat(file->fd, &info) != 0)
        return FailBool(ERROR_INVALID_HANDLE);
    // The host keeps no creation time that every file system offers; the last change of
    // contents is the closest one that never lies in the future of the others.
    if (creation)
        *creation = FileTimeFromHost(info.st_mtim);
    if (access)
        *access = FileTimeFromHost(info.st_atim);
    if (write)
        *write = FileTimeFromHost(info.st_mtim);
    return TRUE;
}

BOOL WINAPI SetFileTime(HANDLE handle, const FILETIME* creation, const FILETIME* access,
                        const FILETIME* write) {
    (void)creation;
    std::shared_ptr<FileObject> file = FileOf(handle);
    if (!file)
        return FALSE;
    if (!file->canWrite)
        return FailBool(ERROR_ACCESS_DENIED);
    timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    times[0].tv_sec = times[1].tv_sec = 0;
    if (access && (access->dwLowDateTime || access->dwHighDateTime))
        times[0] = HostFromFileTime(*access);
    if (write && (write->dwLowDateTime || write->dwHighDateTime))
        times[1] = HostFromFileTime(*write);
    if (futimens(file->fd, times) != 0)
        return FailBool(ErrorFromErrno(errno));
    return TRUE;
}

// The compatibility mode of old programs shares everything.
DWORD host::detail::ShareModeOfOpenStyle(UINT style) {
    switch (style & 0x70) {
    case OF_SHARE_EXCLUSIVE:
        return 0;
    case OF_SHARE_DENY_WRITE:
        return FILE_SHARE_READ;
    case OF_SHARE_DENY_READ:
        return FILE_SHARE_WRITE;
    default:
        return FILE_SHARE_READ | FILE_SHARE_WRITE;
    }
}

namespace {

DWORD AccessFromOpenStyle(UINT style) {
    switch (style & 0x3) {
    case OF_WRITE:
        return GENERIC_WRITE;
    case OF_READWRITE:
        return GENERIC_READ | GENERIC_WRITE;
    default:
        return GENERIC_READ;
    }
}

bool HasPathPart(const char* name) {
    for (const char* p = name; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':')
            return true;
    return false;
}

std::string SearchForFile(const char* name) {
    // A bare name is looked for where the system looks: the program's directory, the current
    // directory, the System directory, then the Windows directory.
    char directory[MAX_PATH];
    std::string candidates[4];
    candidates[0] = host::MediaDirWindows();
    candidates[1] = TheMachine().currentDir;
    if (GetSystemDirectoryA(directory, MAX_PATH) > 0)
        candidates[2] = directory;
    if (GetWindowsDirectoryA(directory, MAX_PATH) > 0)
        candidates[3] = directory;
    for (std::string& candidate : candidates) {
        if (candidate.empty())
            continue;
        if (candidate.back() != '\\')
            candidate += '\\';
        candidate += name;
        DWORD attributes = GetFileAttributesA(candidate.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return candidate;
    }
    return name;
}

} // namespace

HFILE WINAPI OpenFile(LPCSTR fileName, LPOFSTRUCT reOpenBuff, UINT style) {
    OFSTRUCT scratch = {};
    OFSTRUCT& record = reOpenBuff ? *reOpenBuff : scratch;
    std::string name;
    if (style & OF_REOPEN)
        name.assign(record.szPathName, strnlen(record.szPathName, sizeof record.szPathName));
    else if (fileName)
        name = fileName;
    record.cBytes = sizeof(OFSTRUCT);
    record.nErrCode = 0;

    auto fail = [&record](DWORD error) {
        record.nErrCode = static_cast<WORD>(error);
        SetLastError(error);
        return HFILE_ERROR;
    };
    if (!fileName && !(style & OF_REOPEN))
        return fail(ERROR_INVALID_PARAMETER);

    if (!(style & (OF_CREATE | OF_PARSE)) && !name.empty() && !HasPathPart(name.c_str()))
        name = SearchForFile(name.c_str());

    char full[MAX_PATH];
    DWORD length = GetFullPathNameA(name.c_str(), MAX_PATH, full, nullptr);
    if (length == 0)
        return fail(GetLastError());
    if (length >= MAX_PATH)
        return fail(ERROR_FILENAME_EXCED_RANGE);
    // The record holds 127 characters of the name; a longer one is cut there.
    std::memset(record.szPathName, 0, sizeof record.szPathName);
    std::memcpy(record.szPathName, full, std::min<size_t>(length, sizeof record.szPathName - 1));
    auto driveTypeOfName = [&full] { return GetDriveTypeA(std::string(full, 3).c_str()); };

    if (style & OF_PARSE) {
        record.fFixedDisk = driveTypeOfName() == DRIVE_FIXED;
        return 0;
    }
    if (style & OF_DELETE) {
        record.fFixedDisk = driveTypeOfName() == DRIVE_FIXED;
        if (!DeleteFileA(full))
            return fail(GetLastError());
        return 1;
    }
    DWORD access = AccessFromOpenStyle(style);
    DWORD creation = OPEN_EXISTING;
    if (style & OF_CREATE) {
        access |= GENERIC_WRITE;
        creation = CREATE_ALWAYS;
    }
    unsigned driveType = DRIVE_UNKNOWN;
    HANDLE handle = INVALID_HANDLE_VALUE;
    DWORD probeError = 0;
    bool probed = (style & OF_EXIST) && access == GENERIC_READ && creation == OPEN_EXISTING &&
                  ProbeForReading(full, ShareModeOfOpenStyle(style), driveType, probeError);
    if (probed) {
        if (probeError)
            SetLastError(probeError);
        else if ((handle = SpendHandleValue()) == INVALID_HANDLE_VALUE)
            SetLastError(ERROR_TOO_MANY_OPEN_FILES);
    } else {
        handle = OpenOnDrive(full, access, ShareModeOfOpenStyle(style), creation,
                             FILE_ATTRIBUTE_NORMAL, driveType);
    }
    if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if ((style & OF_EXIST) && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND))
            NoteMissingFile(full);
        record.fFixedDisk = driveTypeOfName() == DRIVE_FIXED;
        return fail(error);
    }
    record.fFixedDisk = driveType == DRIVE_FIXED;
    HFILE result = static_cast<HFILE>(reinterpret_cast<uintptr_t>(handle));
    if ((style & OF_EXIST) && !probed)
        CloseHandle(handle);
    SetLastError(ERROR_SUCCESS);
    return result;
}

HFILE WINAPI _lclose(HFILE file) {
    if (!CloseHandle(reinterpret_cast<HANDLE>(static_cast<intptr_t>(file))))
        return HFILE_ERROR;
    return 0;
}
