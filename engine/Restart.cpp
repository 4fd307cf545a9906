#include "engine/Restart.h"

namespace {

const UINT kWindowsRestartFailed = 10005;
const UINT kComputerRestartFailed = 10006;
const DWORD kWin95Family = 0x10000;
// The reserved argument by which the Windows 95 family restarts Windows alone.
const DWORD kRestartWindowsOnly = 0xFFFFFFFF;

void ShowFailure(CInstallerWindow& window, UINT id) {
    window.MessageBoxId(id, nullptr, MB_ICONEXCLAMATION);
}

// Enables the shutdown privilege of the process's token.
BOOL EnableShutdownPrivilege(HANDLE token) {
    TOKEN_PRIVILEGES privileges;
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid))
        return FALSE;
    if (!AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr))
        return FALSE;
    // The call succeeds even when the token does not hold the privilege; it says so here.
    return GetLastError() != ERROR_NOT_ALL_ASSIGNED;
}

} // namespace

int RestartStillNeeded(DWORD runningOS, int type) {
    if (type != 1 && type != 2)
        return 0;
    if (runningOS == kWin95Family)
        return type;
    return 2;
}

void RestartSystem(CInstallerWindow& window, DWORD runningOS, int type) {
    if (type != 1 && type != 2)
        return;

    if ((runningOS & ~0xFu) == 0) {
        // NT, and any system we do not know, restart the computer for both types.
        UINT privilegeFailed = type == 2 ? kComputerRestartFailed : kWindowsRestartFailed;
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
            ShowFailure(window, privilegeFailed);
            return;
        }
        BOOL enabled = EnableShutdownPrivilege(token);
        CloseHandle(token);
        if (!enabled) {
            ShowFailure(window, privilegeFailed);
            return;
        }
        if (!ExitWindowsEx(EWX_REBOOT, 0))
            ShowFailure(window, kComputerRestartFailed);
        return;
    }

    if (runningOS == kWin95Family && type == 1) {
        if (!ExitWindowsEx(EWX_LOGOFF, kRestartWindowsOnly))
            ShowFailure(window, kWindowsRestartFailed);
        return;
    }

    if (!ExitWindowsEx(EWX_REBOOT, 0))
        ShowFailure(window, kComputerRestartFailed);
}
