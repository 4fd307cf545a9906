// GetFileVersionInfoSizeA, GetFileVersionInfoA and VerQueryValueA over the resource reader.
#include "kernel/ExecutableImage.h"
#include "VersionBlock.h"

#include <kernel/Machine.h>
#include <windows.h>

#include <cerrno>
#include <cstring>
#include <vector>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using host::detail::ExecutableImage;
using host::detail::ResourceId;

constexpr uint16_t kVersionResourceType = 16;
constexpr size_t kReadWholeLimit = 64u << 20;

DWORD ErrorOfErrno(int error) {
    switch (error) {
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
    case ENAMETOOLONG:
        return ERROR_PATH_NOT_FOUND;
    case EMFILE:
    case ENFILE:
        return ERROR_TOO_MANY_OPEN_FILES;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

// Reads the file's version resource into an 8-bit block; FALSE with the last error set when
// the file cannot be read or has none.
bool LoadVersionBlock(LPCSTR fileName, std::vector<uint8_t>& block) {
    if (!fileName || !*fileName) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
    }
    std::string hostPath = host::HostPathOf(fileName);
    if (hostPath.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    int fd = open(hostPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        SetLastError(ErrorOfErrno(errno));
        return false;
    }
    struct stat status;
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return false;
    }
    size_t size = static_cast<size_t>(status.st_size);
    if (size == 0) {
        close(fd);
        SetLastError(ERROR_RESOURCE_DATA_NOT_FOUND);
        return false;
    }
    // Files of ordinary size are read whole, so that another program cutting the file short
    // meanwhile cannot fault the process. Larger ones are mapped: only the headers and the
    // resources are then touched.
    std::vector<uint8_t> bytes;
    void* mapped = MAP_FAILED;
    const uint8_t* data = nullptr;
    if (size <= kReadWholeLimit) {
        bytes.resize(size);
        size_t got = 0;
        while (got < size) {
            ssize_t n = pread(fd, bytes.data() + got, size - got, static_cast<off_t>(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<size_t>(n);
        }
        size = got;
        data = bytes.data();
        close(fd);
    } else {
        mapped = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        int mapError = errno;
        close(fd);
        if (mapped == MAP_FAILED) {
            SetLastError(ErrorOfErrno(mapError));
            return false;
        }
        data = static_cast<const uint8_t*>(mapped);
    }

    DWORD error = ERROR_SUCCESS;
    ExecutableImage image(data, size);
    if (!image.IsExecutable()) {
        error = ERROR_RESOURCE_DATA_NOT_FOUND;
    } else {
        const auto* entry = image.FindFirstOfType(ResourceId::Number(kVersionResourceType));
        if (!entry)
            error = ERROR_RESOURCE_TYPE_NOT_FOUND;
        else if (!host::detail::BuildAnsiVersionBlock(entry->data.data, entry->data.size, block))
            error = ERROR_RESOURCE_DATA_NOT_FOUND;
    }
    if (mapped != MAP_FAILED)
        munmap(mapped, size);
    if (error != ERROR_SUCCESS) {
        SetLastError(error);
        return false;
    }
    return true;
}

bool IsRootPath(const char* path) {
    while (*path == '\\')
        ++path;
    return *path == '\0';
}

} // namespace

DWORD WINAPI GetFileVersionInfoSizeA(LPCSTR fileName, LPDWORD handle) {
    if (handle)
        *handle = 0;
    std::vector<uint8_t> block;
    if (!LoadVersionBlock(fileName, block))
        return 0;
    return static_cast<DWORD>(block.size());
}

BOOL WINAPI GetFileVersionInfoA(LPCSTR fileName, DWORD, DWORD length, LPVOID data) {
    if (!data) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (length < 4) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::vector<uint8_t> block;
    if (!LoadVersionBlock(fileName, block))
        return FALSE;
    size_t copied = block.size() < length ? block.size() : length;
    auto* out = static_cast<uint8_t*>(data);
    std::memcpy(out, block.data(), copied);
    // A short buffer gets a root record that ends where the buffer ends, so that no query
    // reads past it.
    if (copied < block.size() && copied >= 2) {
        out[0] = static_cast<uint8_t>(copied & 0xFF);
        out[1] = static_cast<uint8_t>(copied >> 8);
    }
    return TRUE;
}

BOOL WINAPI VerQueryValueA(LPCVOID block, LPCSTR subBlock, LPVOID* buffer, UINT* length) {
    if (!block || !subBlock || !buffer)
        return FALSE;
    const uint8_t* value = nullptr;
    size_t valueLength = 0;
    if (!host::detail::QueryAnsiVersionBlock(static_cast<const uint8_t*>(block), subBlock, value,
                                             valueLength))
        return FALSE;
    if (IsRootPath(subBlock)) {
        // The root's value is the fixed file information, which a block may lack.
        VS_FIXEDFILEINFO fixed;
        if (valueLength < sizeof fixed)
            return FALSE;
        std::memcpy(&fixed, value, sizeof fixed);
        if (fixed.dwSignature != VS_FFI_SIGNATURE)
            return FALSE;
        valueLength = sizeof fixed;
    }
    *buffer = const_cast<uint8_t*>(value);
    if (length)
        *length = static_cast<UINT>(valueLength);
    return TRUE;
}
