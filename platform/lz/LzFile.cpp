// LZOpenFileA and LZClose: the table of open files of the LZ expansion library.
#include "LzFiles.h"

#include "kernel/FilesHandles.h"
#include "kernel/LittleEndian.h"

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <unistd.h>

namespace host::detail {

namespace {

const unsigned char kSignature[] = {'S', 'Z', 'D', 'D', 0x88, 0xF0, 0x27, 0x33};
const unsigned char kOldSignature[] = {'S', 'Z', ' ', 0x88, 0xF0, 0x27, 0x33, 0xD1};
constexpr size_t kHeaderSize = 14;
constexpr size_t kOldHeaderSize = 12;

// Handles start where the system's LZ handles start, well away from 0 and from the small
// numbers C and POSIX code mistake for standard streams.
constexpr INT kFirstHandle = 0x400;
constexpr INT kMaxOpenFiles = 256;

std::mutex g_tableLock;
std::map<INT, std::shared_ptr<LzFile>> g_table;

INT Fail(LPOFSTRUCT reOpenBuff, WORD error, INT result = LZERROR_BADINHANDLE) {
    if (reOpenBuff)
        reOpenBuff->nErrCode = error;
    SetLastError(error);
    return result;
}

} // namespace

LzHeader ParseLzHeader(const unsigned char* bytes, size_t size) {
    LzHeader header;
    if (size >= kHeaderSize && std::memcmp(bytes, kSignature, sizeof kSignature) == 0) {
        header.compressed = true;
        header.knownMethod = bytes[8] == 'A';
        header.missingChar = static_cast<char>(bytes[9]);
        header.expandedLength = Dword(bytes + 10);
        header.dataOffset = kHeaderSize;
    } else if (size >= kOldHeaderSize &&
               std::memcmp(bytes, kOldSignature, sizeof kOldSignature) == 0) {
        header.compressed = true;
        header.knownMethod = true;
        header.expandedLength = Dword(bytes + 8);
        header.dataOffset = kOldHeaderSize;
    }
    return header;
}

LzHeader ReadLzHeader(int fd) {
    unsigned char bytes[kHeaderSize];
    size_t got = 0;
    while (got < sizeof bytes) {
        ssize_t n = pread(fd, bytes + got, sizeof bytes - got, static_cast<off_t>(got));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    return ParseLzHeader(bytes, got);
}

LzFile::~LzFile() {
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}

std::shared_ptr<LzFile> LzFileOf(INT handle) {
    std::lock_guard<std::mutex> lock(g_tableLock);
    auto found = g_table.find(handle);
    return found == g_table.end() ? nullptr : found->second;
}

} // namespace host::detail

using host::detail::LzFile;

INT WINAPI LZOpenFileA(LPSTR fileName, LPOFSTRUCT reOpenBuff, WORD style) {
    if (reOpenBuff) {
        std::memset(reOpenBuff, 0, sizeof *reOpenBuff);
        reOpenBuff->cBytes = sizeof *reOpenBuff;
        reOpenBuff->fFixedDisk = 1;
        if (fileName)
            std::strncpy(reOpenBuff->szPathName, fileName, OFS_MAXPATHNAME - 1);
    }
    if (!fileName || !*fileName)
        return host::detail::Fail(reOpenBuff, ERROR_INVALID_PARAMETER);

    // Opened through the file services, so that read-only files, read-only media, share
    // modes and the names of the emulated machine are honoured as for any other open.
    bool create = (style & OF_CREATE) != 0;
    bool readWrite = (style & OF_READWRITE) != 0;
    bool write = create || readWrite || (style & OF_WRITE) != 0;
    DWORD access = readWrite ? (GENERIC_READ | GENERIC_WRITE)
                   : write   ? GENERIC_WRITE
                             : GENERIC_READ;
    auto file = std::make_shared<LzFile>();
    file->forWriting = write;
    file->handle =
        CreateFileA(fileName, access, host::detail::ShareModeOfOpenStyle(style), nullptr,
                    create ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file->handle == INVALID_HANDLE_VALUE)
        return host::detail::Fail(reOpenBuff, static_cast<WORD>(GetLastError()));
    auto object = host::detail::LookUp<host::detail::FileObject>(file->handle);
    if (!object || object->fd < 0)
        return host::detail::Fail(reOpenBuff, ERROR_INVALID_HANDLE);
    file->fd = object->fd;
    if (!write) {
        file->header = host::detail::ReadLzHeader(file->fd);
        if (file->header.compressed && !file->header.knownMethod)
            return host::detail::Fail(reOpenBuff, ERROR_INVALID_PARAMETER, LZERROR_UNKNOWNALG);
    }

    std::lock_guard<std::mutex> lock(host::detail::g_tableLock);
    for (INT handle = host::detail::kFirstHandle;
         handle < host::detail::kFirstHandle + host::detail::kMaxOpenFiles; ++handle) {
        if (host::detail::g_table.count(handle) == 0) {
            host::detail::g_table[handle] = std::move(file);
            return handle;
        }
    }
    return host::detail::Fail(reOpenBuff, ERROR_TOO_MANY_OPEN_FILES, LZERROR_GLOBALLOC);
}

void WINAPI LZClose(INT handle) {
    // The descriptor closes with the last reference to the file.
    std::lock_guard<std::mutex> lock(host::detail::g_tableLock);
    host::detail::g_table.erase(handle);
}
