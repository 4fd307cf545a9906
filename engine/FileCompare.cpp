#include "engine/FileCompare.h"

#include "framework/CFile.h"

#include <mbstring.h>

namespace {

// Opens the destination for reading as both rules do and reads its size. FALSE when it
// cannot be opened or its size cannot be read.
BOOL ReadDestinationSize(LPCSTR destination, DWORD& size) {
    HANDLE file = CreateFileA(destination, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return FALSE;
    // A file of 0xFFFFFFFF bytes gives the same value as a failure; only the error tells.
    SetLastError(NO_ERROR);
    DWORD low = GetFileSize(file, nullptr);
    DWORD error = GetLastError();
    CloseHandle(file);
    if (low == INVALID_FILE_SIZE && error != NO_ERROR)
        return FALSE;
    size = low;
    return TRUE;
}

// A file's version information in a movable global memory block, locked while the object
// lives and freed with it.
class CVersionBlock {
  public:
    CVersionBlock() = default;
    CVersionBlock(const CVersionBlock&) = delete;
    CVersionBlock& operator=(const CVersionBlock&) = delete;
    ~CVersionBlock() {
        if (m_pData)
            GlobalUnlock(m_hMemory);
        if (m_hMemory)
            GlobalFree(m_hMemory);
    }

    // Reads the version information of the file; FALSE when it has none or it cannot be read.
    BOOL Read(LPCSTR path) {
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(path, &handle);
        if (size == 0)
            return FALSE;
        m_hMemory = GlobalAlloc(GMEM_MOVEABLE, size);
        if (!m_hMemory)
            return FALSE;
        m_pData = GlobalLock(m_hMemory);
        if (!m_pData)
            return FALSE;
        return GetFileVersionInfoA(path, handle, size, m_pData);
    }

    // The fixed file information of the block; NULL when the block has none.
    const VS_FIXEDFILEINFO* FixedInfo() const {
        LPVOID value = nullptr;
        UINT length = 0;
        if (!m_pData || !VerQueryValueA(m_pData, "\\", &value, &length) || !value ||
            length < sizeof(VS_FIXEDFILEINFO))
            return nullptr;
        return static_cast<const VS_FIXEDFILEINFO*>(value);
    }

  private:
    HGLOBAL m_hMemory = nullptr;
    LPVOID m_pData = nullptr;
};

// 4 when the source's file version is higher, 3 when it is equal or lower; the four 16-bit
// numbers are compared from the most significant one.
int CompareFileVersions(const VS_FIXEDFILEINFO& source, const VS_FIXEDFILEINFO& destination) {
    const WORD sourceParts[4] = {HIWORD(source.dwFileVersionMS), LOWORD(source.dwFileVersionMS),
                                 HIWORD(source.dwFileVersionLS), LOWORD(source.dwFileVersionLS)};
    const WORD destinationParts[4] = {
        HIWORD(destination.dwFileVersionMS), LOWORD(destination.dwFileVersionMS),
        HIWORD(destination.dwFileVersionLS), LOWORD(destination.dwFileVersionLS)};
    for (int i = 0; i < 4; ++i) {
        if (sourceParts[i] != destinationParts[i])
            return sourceParts[i] > destinationParts[i] ? 4 : 3;
    }
    return 3;
}

const char* LastBackslash(LPCSTR path) {
    return reinterpret_cast<const char*>(
        _mbsrchr(reinterpret_cast<const unsigned char*>(path), '\\'));
}

} // namespace

int CompareVersions(LPCSTR source, LPCSTR destination) {
    DWORD size = 0;
    if (!ReadDestinationSize(destination, size))
        return 0;

    // Declared first so that it is freed last, after the source's block.
    CVersionBlock destinationBlock;
    if (!destinationBlock.Read(destination))
        return 2;
    const VS_FIXEDFILEINFO* destinationInfo = destinationBlock.FixedInfo();
    if (!destinationInfo)
        return 2;

    CVersionBlock sourceBlock;
    if (!sourceBlock.Read(source))
        return 1;
    const VS_FIXEDFILEINFO* sourceInfo = sourceBlock.FixedInfo();
    if (!sourceInfo)
        return 1;

    return CompareFileVersions(*sourceInfo, *destinationInfo);
}

int CompareDates(LPCSTR source, LPCSTR destination) {
    DWORD destinationSize = 0;
    if (!ReadDestinationSize(destination, destinationSize))
        return 0;
    time_t sourceTime = 0;
    if (!GetModificationTime(source, sourceTime))
        return 0;
    time_t destinationTime = 0;
    if (!GetModificationTime(destination, destinationTime))
        return 0;
    return (sourceTime > destinationTime || destinationSize == 0) ? 2 : 1;
}

BOOL GetModificationTime(LPCSTR path, time_t& seconds) {
    CTime modified;
    if (!CFile::GetModificationTime(path, modified))
        return FALSE;
    seconds = modified.GetTime();
    return TRUE;
}

CString FileNamePart(LPCSTR path) {
    const char* backslash = LastBackslash(path);
    return CString(backslash ? backslash + 1 : path);
}

CString DirectoryPart(LPCSTR path) {
    const char* backslash = LastBackslash(path);
    if (!backslash)
        return CString();
    return CString(path, static_cast<int>(backslash - path + 1));
}
