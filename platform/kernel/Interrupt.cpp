#include <kernel/Interrupt.h>

#include <windows.h>

#include <csignal>
#include <cstring>
#include <vector>

namespace host {
namespace {

const int kInterruptSignals[] = {SIGINT, SIGTERM, SIGHUP};

volatile sig_atomic_t g_nSignal = 0;
bool g_bCatching = false;
bool g_bEnding = false;

std::function<void(int)>& Ending() {
    static std::function<void(int)> ending;
    return ending;
}

std::vector<PHANDLER_ROUTINE>& ControlHandlers() {
    static std::vector<PHANDLER_ROUTINE> handlers;
    return handlers;
}

void NoteSignal(int signal) {
    if (g_nSignal == 0)
        g_nSignal = signal;
}

DWORD ControlEventOf(int signal) {
    switch (signal) {
    case SIGINT:
        return CTRL_C_EVENT;
    case SIGHUP:
        return CTRL_CLOSE_EVENT;
    default:
        return CTRL_SHUTDOWN_EVENT;
    }
}

} // namespace

void CatchInterrupts(std::function<void(int)> ending) {
    Ending() = std::move(ending);
    for (int signal : kInterruptSignals) {
        struct sigaction action;
        std::memset(&action, 0, sizeof action);
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        // No SA_RESTART: a wait for a key returns, so that the signal is seen at once.
        action.sa_flags = 0;
        sigaction(signal, &action, nullptr);
    }
    g_bCatching = true;
}

bool CatchingInterrupts() {
    return g_bCatching;
}

int PendingInterrupt() {
    return g_nSignal;
}

void EndIfInterrupted() {
    int signal = g_nSignal;
    if (signal == 0 || g_bEnding || !Ending())
        return;
    // The ending itself passes through safe points (a flush, a last repaint).
    g_bEnding = true;
    RunConsoleControlHandlers(ControlEventOf(signal));
    Ending()(signal);
}

void RunConsoleControlHandlers(unsigned long event) {
    std::vector<PHANDLER_ROUTINE> handlers = ControlHandlers();
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it)
        if ((*it)(static_cast<DWORD>(event)))
            break;
}

} // namespace host

BOOL WINAPI SetConsoleCtrlHandler(PHANDLER_ROUTINE handler, BOOL add) {
    if (!handler) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::vector<PHANDLER_ROUTINE>& handlers = host::ControlHandlers();
    if (add) {
        handlers.push_back(handler);
        return TRUE;
    }
    for (auto it = handlers.rbegin(); it != handlers.rend(); ++it) {
        if (*it == handler) {
            handlers.erase(std::next(it).base());
            return TRUE;
        }
    }
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
}
