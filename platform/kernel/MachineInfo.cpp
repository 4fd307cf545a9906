// What the machine says about itself: the last error, its Windows and System directories,
// its version and its keyboard.
#include "kernel/MachineState.h"

#include <cstring>

using namespace host::detail;
using host::OsKind;
using host::PcKind;

namespace {

thread_local DWORD t_lastError = ERROR_SUCCESS;

const char kWindowsDirectory[] = "C:\\WINDOWS";

UINT CopyDirectory(const std::string& text, LPSTR buffer, UINT size) {
    return static_cast<UINT>(CopyOut(text, buffer, size));
}

struct VersionFacts {
    DWORD platform;
    DWORD major;
    DWORD minor;
    DWORD build;
};

VersionFacts VersionOf(OsKind os) {
    switch (os) {
    case OsKind::Win95:
        return {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 950};
    case OsKind::Nt31:
        return {VER_PLATFORM_WIN32_NT, 3, 10, 528};
    case OsKind::Nt35:
        return {VER_PLATFORM_WIN32_NT, 3, 50, 807};
    case OsKind::Nt351:
        return {VER_PLATFORM_WIN32_NT, 3, 51, 1057};
    case OsKind::Nt4:
    default:
        return {VER_PLATFORM_WIN32_NT, 4, 0, 1381};
    }
}

} // namespace

DWORD WINAPI GetLastError() {
    return t_lastError;
}

void WINAPI SetLastError(DWORD error) {
    t_lastError = error;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
    return CopyDirectory(kWindowsDirectory, buffer, size);
}

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
    bool win95 = TheMachine().options.os == OsKind::Win95;
    return CopyDirectory(std::string(kWindowsDirectory) + (win95 ? "\\SYSTEM" : "\\SYSTEM32"),
                         buffer, size);
}

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    VersionFacts facts = VersionOf(TheMachine().options.os);
    info->dwMajorVersion = facts.major;
    info->dwMinorVersion = facts.minor;
    info->dwPlatformId = facts.platform;
    // The Windows 95 family keeps the version in the high word of the build number.
    info->dwBuildNumber = facts.platform == VER_PLATFORM_WIN32_WINDOWS
                              ? (facts.major << 24) | (facts.minor << 16) | facts.build
                              : facts.build;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

int WINAPI GetKeyboardType(int typeFlag) {
    const Machine& machine = TheMachine();
    bool pc98 = machine.options.pc == PcKind::Pc98;
    bool japanese = machine.language == "JPN";
    switch (typeFlag) {
    case 0:
        return pc98 || japanese ? 7 : 4;
    case 1:
        return pc98 ? 0x0D01 : japanese ? 2 : 0;
    case 2:
        return pc98 ? 15 : 12;
    default:
        return 0;
    }
}
