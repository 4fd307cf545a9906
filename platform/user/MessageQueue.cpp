// The message queue of the one user-interface thread: sent messages, posted messages, input
// (cooked from the front end's raw input when it reaches the head of the queue), WM_QUIT,
// and WM_PAINT generated last, when nothing else is waiting.
#include "MessageQueue.h"

#include "user/WindowSystem.h"
#include "user/FrontendHooks.h"

#include <deque>

namespace win {

namespace {

std::deque<MSG> g_posted;
bool g_quit = false;
int g_quitCode = 0;
bool g_inputEnded = false;
DWORD g_lastTime = 0;
// A key or click was taken from the queue and no command has been sent since.
bool g_inputTaken = false;

bool Matches(const MSG& msg, HWND hwnd, UINT low, UINT high) {
    if (low != 0 || high != 0) {
        if (low <= high && (msg.message < low || msg.message > high))
            return false;
    }
    if (hwnd == nullptr)
        return true;
    if (hwnd == reinterpret_cast<HWND>(-1))
        return msg.hwnd == nullptr;
    return msg.hwnd == hwnd || IsChild(hwnd, msg.hwnd);
}

void Stamp(MSG& msg) {
    msg.time = GetTickCount();
    g_lastTime = msg.time;
}

} // namespace

LRESULT Send(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return SendMessageA(hwnd, message, wParam, lParam);
}

void Notify(HWND control, UINT code) {
    Window* w = Find(control);
    if (w == nullptr || (w->style & WS_CHILD) == 0 || w->parent == nullptr)
        return;
    Send(w->parent->handle, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(w->id), code),
         reinterpret_cast<LPARAM>(control));
}

bool InputEnded() {
    return g_inputEnded;
}

bool PeekQueue(MSG& out, HWND hwnd, UINT low, UINT high, bool remove) {
    CollectGarbage();
    for (auto it = g_posted.begin(); it != g_posted.end(); ++it) {
        if (!Matches(*it, hwnd, low, high))
            continue;
        out = *it;
        if (remove)
            g_posted.erase(it);
        return true;
    }
    if (g_quit && (low == 0 && high == 0)) {
        out = MSG{};
        out.message = WM_QUIT;
        out.wParam = static_cast<WPARAM>(g_quitCode);
        Stamp(out);
        if (remove)
            g_quit = false;
        return true;
    }
    if (PeekInput(out, hwnd, low, high, remove)) {
        Stamp(out);
        if (remove)
            g_inputTaken = true;
        return true;
    }
    bool paintAllowed = (low == 0 && high == 0) || (low <= WM_PAINT && WM_PAINT <= high);
    if (paintAllowed) {
        Window* w = NextWindowToPaint();
        if (w != nullptr && (hwnd == nullptr || w->handle == hwnd || IsChild(hwnd, w->handle))) {
            out = MSG{};
            out.hwnd = w->handle;
            out.message = WM_PAINT;
            Stamp(out);
            return true;
        }
    }
    return false;
}

bool WaitForMore() {
    const host::FrontendHooks& hooks = host::CurrentFrontendHooks();
    g_inputEnded = !(hooks.waitForInput && hooks.waitForInput());
    // When nothing can come (no front end, or the automation has no answer) the caller ends
    // its loop, so that the program never waits for ever.
    return !g_inputEnded;
}

void EndOnNoInput() {
    if (!g_quit) {
        g_quit = true;
        g_quitCode = 1;
    }
}

void PostFront(const MSG& msg) {
    g_posted.push_front(msg);
}

void ResetQueue() {
    g_posted.clear();
    g_quit = false;
    g_quitCode = 0;
    g_inputEnded = false;
    g_inputTaken = false;
    ClearInput();
}

} // namespace win

namespace host {

namespace {
FrontendHooks& Hooks() {
    static FrontendHooks hooks;
    return hooks;
}
} // namespace

void SetFrontendHooks(FrontendHooks hooks) {
    Hooks() = std::move(hooks);
}

const FrontendHooks& CurrentFrontendHooks() {
    return Hooks();
}

void ResetMessageQueue() {
    win::ResetQueue();
}

} // namespace host

using namespace win;

LRESULT WINAPI SendMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        std::vector<HWND> tops;
        for (Window* top : Desktop()->children)
            tops.push_back(top->handle);
        for (HWND top : tops)
            SendMessageA(top, message, wParam, lParam);
        return 0;
    }
    Window* w = Find(hWnd);
    if (w == nullptr || w->proc == nullptr) {
        SetLastError(1400);
        return 0;
    }
    WNDPROC proc = w->proc;
    System& s = Sys();
    // The command a person's input gave is reported around its handling; those its handler
    // sends on are the program's own.
    const auto& inputCommand = host::CurrentFrontendHooks().inputCommand;
    bool fromInput = message == WM_COMMAND && g_inputTaken && inputCommand &&
                     inputCommand(hWnd, wParam, lParam, false);
    if (fromInput)
        g_inputTaken = false;
    ++s.callDepth;
    LRESULT result = proc(hWnd, message, wParam, lParam);
    --s.callDepth;
    if (fromInput && host::CurrentFrontendHooks().inputCommand)
        host::CurrentFrontendHooks().inputCommand(hWnd, wParam, lParam, true);
    return result;
}

LRESULT WINAPI CallWindowProcA(WNDPROC proc, HWND hWnd, UINT message, WPARAM wParam,
                               LPARAM lParam) {
    if (proc == nullptr)
        return 0;
    System& s = Sys();
    ++s.callDepth;
    LRESULT result = proc(hWnd, message, wParam, lParam);
    --s.callDepth;
    return result;
}

BOOL WINAPI PostMessageA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (hWnd == HWND_BROADCAST) {
        for (Window* top : Desktop()->children)
            PostMessageA(top->handle, message, wParam, lParam);
        return TRUE;
    }
    if (hWnd != nullptr && Find(hWnd) == nullptr) {
        SetLastError(1400);
        return FALSE;
    }
    if (g_posted.size() >= 100000) {
        SetLastError(1816); // ERROR_NOT_ENOUGH_QUOTA
        return FALSE;
    }
    MSG msg = {};
    msg.hwnd = hWnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    msg.time = GetTickCount();
    g_posted.push_back(msg);
    return TRUE;
}

void WINAPI PostQuitMessage(int exitCode) {
    g_quit = true;
    g_quitCode = exitCode;
}

BOOL WINAPI PeekMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax, UINT remove) {
    MSG local;
    if (!PeekQueue(local, hWnd, filterMin, filterMax, (remove & PM_REMOVE) != 0)) {
        // A program that works on without waiting (idle-time processing) still shows its
        // progress and sees keys already typed.
        if (const auto& poll = host::CurrentFrontendHooks().pollInput)
            poll();
        if (!PeekQueue(local, hWnd, filterMin, filterMax, (remove & PM_REMOVE) != 0))
            return FALSE;
    }
    if (msg != nullptr)
        *msg = local;
    return TRUE;
}

BOOL WINAPI GetMessageA(LPMSG msg, HWND hWnd, UINT filterMin, UINT filterMax) {
    MSG local;
    for (;;) {
        if (PeekQueue(local, hWnd, filterMin, filterMax, true))
            break;
        if (!WaitForMore())
            EndOnNoInput();
    }
    if (msg != nullptr)
        *msg = local;
    return local.message != WM_QUIT;
}

BOOL WINAPI WaitMessage() {
    MSG local;
    if (PeekQueue(local, nullptr, 0, 0, false))
        return TRUE;
    if (!WaitForMore())
        EndOnNoInput();
    return TRUE;
}

DWORD WINAPI GetQueueStatus(UINT flags) {
    DWORD status = 0;
    if (!g_posted.empty() || g_quit)
        status |= QS_POSTMESSAGE;
    if (InputPending())
        status |= QS_KEY | QS_MOUSEBUTTON;
    if (NextWindowToPaint() != nullptr)
        status |= QS_PAINT;
    status &= flags;
    return status | (status << 16);
}

DWORD WINAPI GetMessageTime() {
    return g_lastTime;
}

BOOL WINAPI TranslateMessage(const MSG* msg) {
    if (msg == nullptr)
        return FALSE;
    if (msg->message != WM_KEYDOWN && msg->message != WM_SYSKEYDOWN)
        return FALSE;
    int ch = CharOfKey(static_cast<UINT>(msg->wParam));
    if (ch < 0)
        return msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN;
    MSG translated = *msg;
    translated.message = msg->message == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
    translated.wParam = static_cast<WPARAM>(ch);
    PostFront(translated);
    return TRUE;
}

LRESULT WINAPI DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr)
        return 0;
    Window* w = Find(msg->hwnd);
    if (w == nullptr)
        return 0;
    LRESULT result = SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
    if (msg->message == WM_PAINT) {
        // A procedure that did not validate its window is not asked again and again.
        if (Window* again = Find(msg->hwnd)) {
            again->updatePending = false;
            again->erasePending = false;
        }
    }
    return result;
}
