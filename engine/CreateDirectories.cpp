#include "engine/CreateDirectories.h"

#include "framework/CString.h"

#include <mbstring.h>

BOOL CreateDirectoriesOf(LPCSTR filePath) {
    CString path(filePath);
    const unsigned char* begin = reinterpret_cast<const unsigned char*>(static_cast<LPCSTR>(path));
    // Skip the root ("C:\"): every later backslash ends a directory to create.
    const unsigned char* cursor = begin;
    if (path.GetLength() >= 3 && path[1] == ':' && path[2] == '\\')
        cursor = begin + 3;
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
