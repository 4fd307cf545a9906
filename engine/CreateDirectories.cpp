#include "engine/CreateDirectories.h"

#include "framework/CString.h"

#include <mbstring.h>

namespace {

// Whether each directory of the path is named as the system takes it: no "." or "..", no name
// ending in a dot or a blank (which the system drops only from the last name), no '/'. Then
// the directories the loop below looks at one by one are the ones a lookup of the deepest
// walks through.
BOOL HasPlainNames(const unsigned char* text, const unsigned char* end) {
    unsigned char previous = '\\';
    for (const unsigned char* p = text; p < end; p = _mbsinc(p)) {
        if (*p == '/')
            return FALSE;
        if (*p == '\\' && (previous == '.' || previous == ' '))
            return FALSE;
        previous = _ismbblead(*p) ? 0 : *p;
    }
    return previous != '.' && previous != ' ';
}

} // namespace

BOOL CreateDirectoriesOf(LPCSTR filePath) {
    CString path(filePath);
    const unsigned char* begin = reinterpret_cast<const unsigned char*>(static_cast<LPCSTR>(path));
    // Skip the root ("C:\"): every later backslash ends a directory to create.
    const unsigned char* cursor = begin;
    if (path.GetLength() >= 3 && path[1] == ':' && path[2] == '\\')
        cursor = begin + 3;
    // The file's own directory found as a directory means every directory above it is one:
    // nothing to create, and one lookup instead of one per level.
    const unsigned char* last = _mbsrchr(cursor, '\\');
    if (last && HasPlainNames(cursor, last)) {
        DWORD attributes = GetFileAttributesA(path.Left(static_cast<int>(last - begin)));
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
            return TRUE;
    }
    BOOL ok = TRUE;
    while (const unsigned char* separator = _mbschr(cursor, '\\')) {
        CString directory = path.Left(static_cast<int>(separator - begin));
        DWORD attributes = GetFileAttributesA(directory);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
            ok = CreateDirectoryA(directory, &security);
        } else {
            ok = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        }
        cursor = separator + 1;
    }
    return ok;
}
