#include "TimerAutomation.h"

#include <host/Automation.h>
#include <host/Transcript.h>

#include "user/WindowScene.h"

#include <windows.h>

namespace host {
namespace {

constexpr UINT kTickMilliseconds = 100;
// How many ticks in a row a window must stay the same, with the thread idle, before the
// program counts as waiting at it. One is not enough: a pass of the installation that reads
// from a cold disk leaves the thread blocked, not busy, and its page unchanged for a while.
constexpr int kTicksToSettle = 5;
// How many ticks a window without an answer must stay before the run stops at it: a dialog
// that takes its time to appear (the system's folder browser) is not mistaken for it.
constexpr int kTicksBeforeStuck = 20;

struct TimerState {
    UINT_PTR timer = 0;
    bool inTick = false;
    HWND lastTop = nullptr;
    std::string lastDescription;
    int settledTicks = 0;
    unsigned pause = 0;    // milliseconds each window stays before it is answered
    DWORD shownSince = 0;  // when the window as it is now was first seen
    ULONGLONG lastCpu = 0; // the thread's processor time, in 100 ns
    DWORD lastTick = 0;
};

TimerState& State() {
    static TimerState state;
    return state;
}

ULONGLONG ThreadCpuTime(bool& known) {
    FILETIME created, exited, kernel, user;
    known = GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user) != FALSE;
    if (!known)
        return 0;
    auto value = [](const FILETIME& time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
    };
    return value(kernel) + value(user);
}

// The program waits for input when the window it shows stayed the same for several ticks and
// its thread spent most of each blocked. A program that works on (the installation's
// idle passes) changes its page with every file, and keeps its thread busy; the timer also
// fires between two of its passes, when it is not waiting at all.
bool Settled(HWND top, const std::string& description) {
    TimerState& state = State();
    bool known = false;
    ULONGLONG cpu = ThreadCpuTime(known);
    DWORD now = GetTickCount();
    bool idle = true;
    if (known && state.lastTick != 0) {
        ULONGLONG wall = static_cast<ULONGLONG>(now - state.lastTick) * 10000;
        idle = (cpu - state.lastCpu) * 2 < wall;
    }
    bool same = top == state.lastTop && description == state.lastDescription;
    if (!same)
        state.shownSince = now;
    state.settledTicks = same && idle ? state.settledTicks + 1 : 0;
    state.lastTop = top;
    state.lastDescription = description;
    state.lastCpu = cpu;
    state.lastTick = now;
    return state.settledTicks >= kTicksToSettle;
}

// The type a message box was called with, as far as its window shows it: its buttons, its
// icon and its default button.
UINT MessageBoxType(const detail::Scene& scene) {
    auto has = [&](int id) { return scene.FindShown(id) != nullptr; };
    UINT type = MB_OK;
    int order[3] = {IDOK, 0, 0};
    if (has(IDYES) && has(IDNO) && has(IDCANCEL)) {
        type = MB_YESNOCANCEL;
        order[0] = IDYES, order[1] = IDNO, order[2] = IDCANCEL;
    } else if (has(IDYES) && has(IDNO)) {
        type = MB_YESNO;
        order[0] = IDYES, order[1] = IDNO;
    } else if (has(IDABORT)) {
        type = MB_ABORTRETRYIGNORE;
        order[0] = IDABORT, order[1] = IDRETRY, order[2] = IDIGNORE;
    } else if (has(IDRETRY)) {
        type = MB_RETRYCANCEL;
        order[0] = IDRETRY, order[1] = IDCANCEL;
    } else if (has(IDCANCEL)) {
        type = MB_OKCANCEL;
        order[1] = IDCANCEL;
    }
    for (const detail::SceneControl& control : scene.controls) {
        if (control.kind != detail::ControlKind::Static || (control.style & SS_TYPEMASK) != SS_ICON)
            continue;
        HICON icon = reinterpret_cast<HICON>(SendMessageA(control.hWnd, STM_GETICON, 0, 0));
        const struct {
            LPCSTR name;
            UINT flag;
        } icons[] = {{IDI_HAND, MB_ICONHAND},
                     {IDI_QUESTION, MB_ICONQUESTION},
                     {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                     {IDI_ASTERISK, MB_ICONASTERISK}};
        for (const auto& known : icons) {
            if (icon != nullptr && icon == LoadIconA(nullptr, known.name))
                type |= known.flag;
        }
    }
    LRESULT defId = SendMessageA(scene.top, DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID) {
        if (order[1] != 0 && LOWORD(defId) == order[1])
            type |= MB_DEFBUTTON2;
        else if (order[2] != 0 && LOWORD(defId) == order[2])
            type |= MB_DEFBUTTON3;
    }
    return type;
}

std::string MessageBoxText(const detail::Scene& scene) {
    for (const detail::SceneControl& control : scene.controls) {
        if (control.kind == detail::ControlKind::Static && (control.id & 0xFFFF) == 0xFFFF &&
            (control.style & SS_TYPEMASK) != SS_ICON)
            return control.text;
    }
    return std::string();
}

void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    TimerState& state = State();
    // The automation's own messages can run a modal loop of the program inside this call.
    if (state.inTick)
        return;
    state.inTick = true;
    HWND top = detail::ActiveTopWindow();
    DWORD process = 0;
    if (top != nullptr)
        GetWindowThreadProcessId(top, &process);
    // A disabled window is not what the program waits at: it is about to show another.
    if (top == nullptr || process != GetCurrentProcessId() || !IsWindowEnabled(top)) {
        Settled(nullptr, std::string());
        state.inTick = false;
        return;
    }
    detail::Scene scene = detail::ReadScene(top);
    bool settled = Settled(top, detail::DescribeScene(scene));
    if (GetTickCount() - state.shownSince < state.pause) {
        state.inTick = false;
        return;
    }
    if (!settled) {
        // Busy, or not waiting long enough to tell: only an answer written for this window.
        PollAnswers();
    } else if (HasAnswer() || state.settledTicks >= kTicksBeforeStuck) {
        ActOrStop();
        // What the action leads to must settle anew before the next one.
        state.lastTop = nullptr;
        state.lastDescription.clear();
        state.settledTicks = 0;
    }
    // The button pressed in a message box is the command the automation left for it; the box
    // reports it as the system's MessageBoxA would return it.
    MSG posted;
    if (scene.messageBox && PeekMessageA(&posted, top, WM_COMMAND, WM_COMMAND, PM_NOREMOVE))
        NoteMessageBox(MessageBoxText(scene).c_str(), scene.caption.c_str(), MessageBoxType(scene),
                       LOWORD(posted.wParam));
    state.inTick = false;
}

} // namespace

void StartTimerAutomation(unsigned pauseMilliseconds) {
    TimerState& state = State();
    state = TimerState();
    state.pause = pauseMilliseconds;
    state.timer = SetTimer(nullptr, 0, kTickMilliseconds, &Tick);
}

void StopTimerAutomation() {
    TimerState& state = State();
    if (state.timer != 0)
        KillTimer(nullptr, state.timer);
    state = TimerState();
}

} // namespace host
