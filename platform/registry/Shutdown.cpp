// The access token of the process, its privileges, and the request to end the session. The
// calls behave as the emulated system's do, and a request is only recorded: the host is never
// touched.
#include <kernel/Machine.h>
#include <registry/Shutdown.h>
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#ifndef ERROR_CALL_NOT_IMPLEMENTED
#define ERROR_CALL_NOT_IMPLEMENTED 120L
#endif
#ifndef ERROR_NO_SUCH_PRIVILEGE
#define ERROR_NO_SUCH_PRIVILEGE 1313L
#endif
#ifndef RPC_S_SERVER_UNAVAILABLE
#define RPC_S_SERVER_UNAVAILABLE 1722L
#endif

namespace {

// Privileges by the numbers the system gives them.
struct Privilege {
    const char* name;
    DWORD luid;
};
const Privilege kPrivileges[] = {
    {"SeCreateTokenPrivilege", 2},
    {"SeAssignPrimaryTokenPrivilege", 3},
    {"SeLockMemoryPrivilege", 4},
    {"SeIncreaseQuotaPrivilege", 5},
    {"SeMachineAccountPrivilege", 6},
    {"SeTcbPrivilege", 7},
    {"SeSecurityPrivilege", 8},
    {"SeTakeOwnershipPrivilege", 9},
    {"SeLoadDriverPrivilege", 10},
    {"SeSystemProfilePrivilege", 11},
    {"SeSystemtimePrivilege", 12},
    {"SeProfileSingleProcessPrivilege", 13},
    {"SeIncreaseBasePriorityPrivilege", 14},
    {"SeCreatePagefilePrivilege", 15},
    {"SeCreatePermanentPrivilege", 16},
    {"SeBackupPrivilege", 17},
    {"SeRestorePrivilege", 18},
    {"SeShutdownPrivilege", 19},
    {"SeDebugPrivilege", 20},
    {"SeAuditPrivilege", 21},
    {"SeSystemEnvironmentPrivilege", 22},
    {"SeChangeNotifyPrivilege", 23},
    {"SeRemoteShutdownPrivilege", 24},
};
constexpr DWORD kShutdownLuid = 19;
constexpr DWORD kChangeNotifyLuid = 23;

struct TokenHandle {
    DWORD access = 0;
};

struct ShutdownState {
    std::mutex lock;
    std::map<HANDLE, TokenHandle> tokens;
    // The process has one token; every handle to it sees the same privileges. The user holds
    // the shutdown privilege, disabled until a program enables it, as on a workstation.
    bool shutdownEnabled = false;
    std::vector<host::ShutdownRequest> requests;
    std::optional<host::ShutdownFailure> failure;
};

ShutdownState& State() {
    static ShutdownState state;
    return state;
}

host::ShutdownFailure InjectedFailure() {
    ShutdownState& state = State();
    if (state.failure)
        return *state.failure;
    const char* name = std::getenv("VELTRIX_SHUTDOWN_FAIL");
    if (!name)
        return host::ShutdownFailure::None;
    if (std::strcmp(name, "token") == 0)
        return host::ShutdownFailure::Token;
    if (std::strcmp(name, "privilege") == 0)
        return host::ShutdownFailure::Privilege;
    if (std::strcmp(name, "exit") == 0)
        return host::ShutdownFailure::Exit;
    return host::ShutdownFailure::None;
}

bool RunsWin95() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
    return GetVersionExA(&info) && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

bool IsCurrentProcess(HANDLE process) {
    return process == GetCurrentProcess();
}

bool Fail(DWORD error) {
    SetLastError(error);
    return false;
}

} // namespace

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
    // The Windows 95 family has no security: its tokens do not exist.
    if (RunsWin95())
        return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    if (!token)
        return Fail(ERROR_INVALID_PARAMETER);
    if (!IsCurrentProcess(process))
        return Fail(ERROR_INVALID_HANDLE);
    if (InjectedFailure() == host::ShutdownFailure::Token)
        return Fail(ERROR_ACCESS_DENIED);
    if (access & (MAXIMUM_ALLOWED | GENERIC_ALL))
        access = TOKEN_ALL_ACCESS;
    // The token is a kernel object that CloseHandle closes; closing it forgets it here.
    auto slot = std::make_shared<HANDLE>(nullptr);
    HANDLE handle = host::NewHandle([slot] {
        ShutdownState& state = State();
        std::lock_guard<std::mutex> guard(state.lock);
        state.tokens.erase(*slot);
    });
    if (!handle)
        return Fail(ERROR_NOT_ENOUGH_MEMORY);
    *slot = handle;
    ShutdownState& state = State();
    {
        std::lock_guard<std::mutex> guard(state.lock);
        state.tokens[handle] = TokenHandle{access};
    }
    *token = handle;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR systemName, LPCSTR name, PLUID luid) {
    if (RunsWin95())
        return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    if (!name || !luid)
        return Fail(ERROR_INVALID_PARAMETER);
    // Only this computer is known; another one cannot be reached.
    if (systemName && *systemName)
        return Fail(RPC_S_SERVER_UNAVAILABLE);
    for (const auto& privilege : kPrivileges) {
        if (lstrcmpiA(privilege.name, name) == 0) {
            luid->LowPart = privilege.luid;
            luid->HighPart = 0;
            SetLastError(ERROR_SUCCESS);
            return TRUE;
        }
    }
    return Fail(ERROR_NO_SUCH_PRIVILEGE);
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES newState,
                                  DWORD bufferLength, PTOKEN_PRIVILEGES previousState,
                                  PDWORD returnLength) {
    if (RunsWin95())
        return Fail(ERROR_CALL_NOT_IMPLEMENTED);
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    auto it = state.tokens.find(token);
    if (it == state.tokens.end())
        return Fail(ERROR_INVALID_HANDLE);
    if (!(it->second.access & TOKEN_ADJUST_PRIVILEGES) ||
        (previousState && !(it->second.access & TOKEN_QUERY)))
        return Fail(ERROR_ACCESS_DENIED);
    if (!disableAll && !newState)
        return Fail(ERROR_INVALID_PARAMETER);
    if (InjectedFailure() == host::ShutdownFailure::Privilege)
        return Fail(ERROR_ACCESS_DENIED);

    // The token holds two privileges: shutting down (disabled at first) and bypassing
    // traverse checking (always enabled).
    bool wasEnabled = state.shutdownEnabled;
    bool shutdownTouched = false;
    bool allAssigned = true;
    if (disableAll) {
        state.shutdownEnabled = false;
        shutdownTouched = wasEnabled;
    } else {
        for (DWORD i = 0; i < newState->PrivilegeCount; ++i) {
            const LUID_AND_ATTRIBUTES& entry = newState->Privileges[i];
            if (entry.Luid.HighPart == 0 && entry.Luid.LowPart == kShutdownLuid) {
                bool enable = (entry.Attributes & SE_PRIVILEGE_ENABLED) != 0;
                shutdownTouched = shutdownTouched || enable != state.shutdownEnabled;
                state.shutdownEnabled = enable;
            } else if (!(entry.Luid.HighPart == 0 && entry.Luid.LowPart == kChangeNotifyLuid)) {
                allAssigned = false;
            }
        }
    }
    if (previousState) {
        DWORD needed =
            shutdownTouched ? sizeof(TOKEN_PRIVILEGES) : static_cast<DWORD>(sizeof(DWORD));
        if (returnLength)
            *returnLength = needed;
        if (bufferLength < needed)
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        previousState->PrivilegeCount = shutdownTouched ? 1 : 0;
        if (shutdownTouched) {
            previousState->Privileges[0].Luid.LowPart = kShutdownLuid;
            previousState->Privileges[0].Luid.HighPart = 0;
            previousState->Privileges[0].Attributes = wasEnabled ? SE_PRIVILEGE_ENABLED : 0;
        }
    }
    // A privilege the token does not hold is not an error: the call succeeds and says so.
    SetLastError(allAssigned ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED);
    return TRUE;
}

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reserved) {
    ShutdownState& state = State();
    bool win95 = RunsWin95();
    std::lock_guard<std::mutex> guard(state.lock);
    if (InjectedFailure() == host::ShutdownFailure::Exit)
        return Fail(ERROR_ACCESS_DENIED);
    bool restartsComputer = (flags & (EWX_REBOOT | EWX_SHUTDOWN | EWX_POWEROFF)) != 0;
    // NT lets only a process that enabled the shutdown privilege stop the computer.
    if (restartsComputer && !win95 && !state.shutdownEnabled)
        return Fail(ERROR_PRIVILEGE_NOT_HELD);

    host::ShutdownRequest request;
    request.flags = flags;
    request.reserved = reserved;
    request.privilegeEnabled = state.shutdownEnabled;
    if (flags & EWX_REBOOT)
        request.kind = host::RestartKind::Computer;
    else if (flags & (EWX_SHUTDOWN | EWX_POWEROFF))
        request.kind = host::RestartKind::ShutDown;
    else if (win95 && reserved == 0xFFFFFFFFu)
        request.kind = host::RestartKind::Windows;
    else
        request.kind = host::RestartKind::LogOff;
    state.requests.push_back(request);
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}

namespace host {

std::vector<ShutdownRequest> ShutdownRequests() {
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.requests;
}

RestartKind RequestedRestart() {
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    return state.requests.empty() ? RestartKind::None : state.requests.back().kind;
}

void ResetShutdownState() {
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.requests.clear();
    state.shutdownEnabled = false;
}

void SetShutdownFailure(ShutdownFailure failure) {
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failure = failure;
}

void ClearShutdownFailure() {
    ShutdownState& state = State();
    std::lock_guard<std::mutex> guard(state.lock);
    state.failure.reset();
}

} // namespace host
