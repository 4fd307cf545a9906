#include "CFile.h"

#include <cstring>

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
    char fullName[MAX_PATH];
    LPSTR filePart = nullptr;
    DWORD length = GetFullPathNameA(fileName, MAX_PATH, fullName, &filePart);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(fullName, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);

    std::memcpy(status.m_szFullName, fullName, sizeof status.m_szFullName);
    status.m_attribute = static_cast<BYTE>(found.dwFileAttributes);
    status.m_size = static_cast<LONG>(found.nFileSizeLow);

    auto toTime = [](const FILETIME& fileTime) {
        FILETIME local;
        SYSTEMTIME fields;
        if ((fileTime.dwLowDateTime == 0 && fileTime.dwHighDateTime == 0) ||
            !FileTimeToLocalFileTime(&fileTime, &local) ||
            !FileTimeToSystemTime(&local, &fields))
            return CTime();
        return CTime(fields);
    };
    status.m_ctime = toTime(found.ftCreationTime);
    status.m_atime = toTime(found.ftLastAccessTime);
    status.m_mtime = toTime(found.ftLastWriteTime);
    return TRUE;
}
