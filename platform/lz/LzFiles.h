// The LZ expansion library of the emulated machine (platform/lz): LZOpenFileA, LZCopy, LZClose
// and GetExpandedNameA over libmspack's decoder of the "SZDD" format, with plain files copied
// through the kernel's file handles. Uses the kernel only. This header is what its files share.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

namespace host::detail {

// The compressed-file header. The usual form ("SZDD") stores the compression method and the
// character that the '_' of the file name stands for; an older form ("SZ ") stores neither.
struct LzHeader {
    bool compressed = false;
    bool knownMethod = false;
    char missingChar = 0;
    uint32_t expandedLength = 0;
    uint32_t dataOffset = 0;
};

// Reads the header from the first bytes of a file. A file too short for a header, or with
// another signature, is not compressed.
LzHeader ParseLzHeader(const unsigned char* bytes, size_t size);
// Reads the header of an open host file without moving its file position.
LzHeader ReadLzHeader(int fd);

struct LzFile {
    LzFile() = default;
    LzFile(const LzFile&) = delete;
    LzFile& operator=(const LzFile&) = delete;
    ~LzFile();

    HANDLE handle = INVALID_HANDLE_VALUE; // the file's kernel handle, closed with the object
    int fd = -1;                          // its descriptor, owned by the handle
    bool forWriting = false;
    LzHeader header;
};

// The table of open files. Handles are small positive numbers, as the system's are.
std::shared_ptr<LzFile> LzFileOf(INT handle);

} // namespace host::detail
