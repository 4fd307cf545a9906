// GetExpandedNameA: the name a compressed file bears once expanded.
#include "LzFiles.h"

#include <kernel/Machine.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

bool IsAsciiLower(char c) {
    return c >= 'a' && c <= 'z';
}
bool IsAsciiUpper(char c) {
    return c >= 'A' && c <= 'Z';
}

// Restores the last character of the file name from the header: "FILE.DL_" becomes
// "FILE.DLL". The name's own case decides the case of the restored letter, and a header that
// stores no character only drops the '_' (the tool that appends '_' to a whole name does so).
void RestoreLastCharacter(char* path, char missing) {
    // Walk by characters so that the trail byte of a double-byte character is never taken
    // for a separator or for the '_'.
    char* name = path;
    char* last = nullptr;
    for (char* p = path; *p;) {
        last = p;
        if (IsDBCSLeadByte(static_cast<BYTE>(*p)) && p[1]) {
            p += 2;
            continue;
        }
        if (*p == '\\' || *p == '/' || *p == ':')
            name = p + 1;
        ++p;
    }
    if (!last || last < name || *last != '_')
        return;
    bool lower = false;
    bool upper = false;
    for (char* p = name; p < last; ++p) {
        lower = lower || IsAsciiLower(*p);
        upper = upper || IsAsciiUpper(*p);
    }
    if (missing == 0) {
        *last = '\0';
        return;
    }
    if (lower && !upper && IsAsciiUpper(missing))
        missing = static_cast<char>(missing - 'A' + 'a');
    else if (!lower && IsAsciiLower(missing))
        missing = static_cast<char>(missing - 'a' + 'A');
    *last = missing;
}

} // namespace

INT WINAPI GetExpandedNameA(LPSTR source, LPSTR buffer) {
    if (!source || !buffer)
        return LZERROR_BADVALUE;
    if (buffer != source)
        std::memmove(buffer, source, std::strlen(source) + 1);
    int fd = host::OpenToRead(buffer);
    if (fd < 0)
        return LZERROR_BADINHANDLE;
    host::detail::LzHeader header = host::detail::ReadLzHeader(fd);
    close(fd);
    if (header.compressed && header.knownMethod && header.dataOffset == 14)
        RestoreLastCharacter(buffer, header.missingChar);
    return 1;
}
