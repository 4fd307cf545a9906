#include "CFile.h"

#include <cstring>

namespace {

// The full name and the entry of a file as FindFirstFileA finds it.
BOOL FindFile(LPCSTR fileName, char (&fullName)[MAX_PATH], WIN32_FIND_DATAA& found) {
    LPSTR filePart = nullptr;
    DWORD length = GetFullPathNameA(fileName, MAX_PATH, fullName, &filePart);
    if (length == 0 || length >= MAX_PATH)
        return FALSE;

    HANDLE search = FindFirstFileA(fullName, &found);
    if (search == INVALID_HANDLE_VALUE)
        return FALSE;
    FindClose(search);
    return TRUE;
}

CTime LocalTimeOf(const FILETIME& fileTime) {
    FILETIME local;
    SYSTEMTIME fields;
    if ((fileTime.dwLowDateTime == 0 && fileTime.dwHighDateTime == 0) ||
        !FileTimeToLocalFileTime(&fileTime, &local) || !FileTimeToSystemTime(&local, &fields))
        return CTime();
    return CTime(fields);
}

} // namespace

BOOL CFile::GetStatus(LPCSTR fileName, CFileStatus& status) {
    char fullName[MAX_PATH];
    WIN32_FIND_DATAA found;
    if (!FindFile(fileName, fullName, found))
        return FALSE;

    std::memcpy(status.m_szFullName, fullName, sizeof status.m_szFullName);
    status.m_attribute = static_cast<BYTE>(found.dwFileAttributes);
    status.m_size = static_cast<LONG>(found.nFileSizeLow);
    status.m_ctime = LocalTimeOf(found.ftCreationTime);
    status.m_atime = LocalTimeOf(found.ftLastAccessTime);
    status.m_mtime = LocalTimeOf(found.ftLastWriteTime);
    return TRUE;
}

BOOL CFile::GetModificationTime(LPCSTR fileName, CTime& time) {
    char fullName[MAX_PATH];
    WIN32_FIND_DATAA found;
    if (!FindFile(fileName, fullName, found))
        return FALSE;
    time = LocalTimeOf(found.ftLastWriteTime);
    return TRUE;
}
