#include "engine/PathHelpers.h"

#include "framework/CFile.h"

#include <mbstring.h>

#include <cstring>

BOOL IsValidDirectoryPath(LPCSTR path) {
    CString local(path);
    int length = local.GetLength();
    if (length == 0)
        return TRUE;
    if (length == 1 && local[0] == '\\')
        return TRUE;

    if (length >= 2 && local[1] == ':') {
        char root[4] = {local[0], ':', '\\', '\0'};
        UINT type = GetDriveTypeA(root);
        if (type == DRIVE_UNKNOWN || type == DRIVE_NO_ROOT_DIR)
            return FALSE;
        // A drive root is usable even without a medium in the drive; the copy finds out.
        if (length == 2 || (length == 3 && local[2] == '\\'))
            return TRUE;
    }

    SetTrailingBackslash(local, FALSE);
    CFileStatus status;
    if (!CFile::GetStatus(local, status))
        return FALSE;
    return (status.m_attribute & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

BOOL HasDriveLetter(LPCSTR path) {
    if (!path || std::strlen(path) < 2 || path[1] != ':')
        return FALSE;
    char letter = path[0];
    if (letter >= 'a' && letter <= 'z')
        letter = static_cast<char>(letter - 'a' + 'A');
    return letter >= 'A' && letter <= 'Z';
}

BOOL EndsWithChar(const CString& path, char ch) {
    const unsigned char* text = reinterpret_cast<const unsigned char*>(static_cast<LPCSTR>(path));
    const unsigned char* found = _mbsrchr(text, static_cast<unsigned char>(ch));
    if (!found)
        return FALSE;
    // Step over the found character by hand: a lone lead byte before the end must not carry
    // the step past the terminating zero.
    size_t step = (_ismbblead(found[0]) && found[1] != '\0') ? 2 : 1;
    return found[step] == '\0';
}

void SetTrailingBackslash(CString& path, BOOL present) {
    int length = path.GetLength();
    if (length == 0)
        return;
    if (present) {
        if (length == 2 && path[1] == ':')
            return;
        if (!EndsWithChar(path, '\\'))
            path += '\\';
    } else {
        if (length == 3 && path[1] == ':' && path[2] == '\\')
            return;
        if (EndsWithChar(path, '\\'))
            path = path.Left(length - 1);
    }
}

CString CopyWithTrailingBackslash(LPCSTR path, BOOL present) {
    CString copy(path);
    SetTrailingBackslash(copy, present);
    return copy;
}
