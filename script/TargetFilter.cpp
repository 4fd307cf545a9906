#include "script/TargetFilter.h"

#include "script/TokenList.h"

namespace {

struct Keyword {
    LPCSTR name;
    DWORD mask;
};

// Order matters only in that the first match decides. WINNT351 selects NT 3.51 alone, like
// WINNT351_ONLY, whereas WINNT35 and WINNT31 include every later NT version.
const Keyword kOsKeywords[] = {
    {"COMMON", OS_ALL},
    {"WIN95", OS_WIN95},
    {"WINNT351", OS_WINNT351},
    {"WINNT35", OS_WINNT35 | OS_WINNT351 | OS_WINNT40},
    {"WINNT31", OS_WINNT31 | OS_WINNT35 | OS_WINNT351 | OS_WINNT40},
    {"WINNT40", OS_WINNT40},
    {"WINNT351_ONLY", OS_WINNT351},
};

const Keyword kPcKeywords[] = {
    {"COMMON", PC_ALL},
    {"PCAT", PC_PCAT},
    {"PC98", PC_PC98},
};

template <size_t N> bool LookUp(const Keyword (&table)[N], const CString& token, DWORD& mask) {
    for (const Keyword& keyword : table) {
        if (token.CompareNoCase(keyword.name) == 0) {
            mask = keyword.mask;
            return true;
        }
    }
    return false;
}

} // namespace

DWORD ParseTargetOS(LPCSTR token) {
    CString trimmed = TrimSpaces(token);
    if (trimmed.IsEmpty())
        return OS_ALL;
    DWORD mask = 0;
    return LookUp(kOsKeywords, trimmed, mask) ? mask : 0;
}

DWORD ParseTargetPC(LPCSTR token) {
    CString trimmed = TrimSpaces(token);
    if (trimmed.IsEmpty())
        return PC_ALL;
    DWORD mask = 0;
    return LookUp(kPcKeywords, trimmed, mask) ? mask : PC_UNKNOWN;
}

DWORD WidenOSMask(DWORD mask) {
    if (mask & OS_WINNT31)
        return mask | 0xE;
    if (mask & OS_WINNT35)
        return mask | 0xC;
    if (mask & OS_WINNT351)
        return mask | 0x8;
    return mask;
}

DWORD GetRunningOS() {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info))
        return 0;
    if (info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        return OS_WIN95;
    if (info.dwPlatformId != VER_PLATFORM_WIN32_NT)
        return 0;
    if (info.dwMajorVersion >= 4)
        return OS_WINNT40;
    if (info.dwMajorVersion < 3)
        return 0;
    // NT 3.1 and 3.5 report their minor versions as 10 and 50 (3.10, 3.50); 1 and 5 are
    // accepted as well.
    switch (info.dwMinorVersion) {
    case 1:
    case 10:
        return OS_WINNT31;
    case 5:
    case 50:
        return OS_WINNT35;
    case 51:
        return OS_WINNT351;
    default:
        return 0;
    }
}

DWORD GetRunningPC() {
    // On a PC-98 the first hard disk is drive A.
    if (GetDriveTypeA("A:\\") == DRIVE_FIXED)
        return PC_PC98;
    if (GetKeyboardType(0) == 7) {
        int subtype = GetKeyboardType(1);
        if (subtype >= 0x0D01 && subtype <= 0x0D04)
            return PC_PC98;
    }
    return PC_PCAT;
}
