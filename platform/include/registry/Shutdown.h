// What the program asked of ExitWindowsEx. The emulated machine never restarts or stops the
// host: it records each request, and the host program turns the last one into its exit status.
#pragma once

#include <windows.h>

#include <vector>

namespace host {

// What a request means for the session.
enum class RestartKind {
    None,     // nothing was asked
    LogOff,   // the user is logged off
    Windows,  // Windows restarts, the computer does not (the Windows 95 family's request)
    Computer, // the computer restarts
    ShutDown, // the computer is shut down or powered off
};

struct ShutdownRequest {
    UINT flags = 0;                // EWX_ flags as given
    DWORD reserved = 0;            // the reserved argument as given
    bool privilegeEnabled = false; // the shutdown privilege was enabled before the call
    RestartKind kind = RestartKind::None;
};

// The requests ExitWindowsEx accepted, oldest first.
std::vector<ShutdownRequest> ShutdownRequests();
// What the last accepted request asks for; None when there was none.
RestartKind RequestedRestart();
// Forgets the requests and disables the shutdown privilege again, as in a new process.
void ResetShutdownState();

// Which call of the shutdown sequence fails, for tests and end-to-end runs. The environment
// variable VELTRIX_SHUTDOWN_FAIL chooses it ("token": OpenProcessToken, "privilege":
// AdjustTokenPrivileges, "exit": ExitWindowsEx) unless a program sets it here.
enum class ShutdownFailure { None, Token, Privilege, Exit };
void SetShutdownFailure(ShutdownFailure failure);
// Gives the choice back to the environment variable.
void ClearShutdownFailure();

} // namespace host
