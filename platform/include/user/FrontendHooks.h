// What the window system asks of whatever shows its screen and feeds it input. The window system
// draws into the cell screen and never knows which front end (a terminal, an automation, none)
// presents it: the host program installs these hooks when it starts a machine.
#pragma once

#include <windows.h>

#include <functional>

namespace host {

struct FrontendHooks {
    // Called when the message queue is empty: presents the screen, then returns once input was
    // posted. FALSE when no input can come, so that the loops end instead of waiting for ever.
    std::function<bool()> waitForInput;
    // Called while the program works on without waiting: shows what changed and posts keys
    // already typed, without waiting.
    std::function<void()> pollInput;
    // Called when a message box was answered (result 0 when it could not be shown), and by
    // MessageBeep.
    std::function<void(LPCSTR text, LPCSTR caption, UINT type, int result)> messageBoxAnswered;
    std::function<void(UINT type)> beeped;
    // Called for the commands sent after a person's key or click was taken from the queue,
    // before the window handles each (done FALSE), until it returns TRUE for one: the command
    // that input gave (a button pressed, a list item chosen), which is reported once more after
    // it was handled (done TRUE). Notifications on the way (focus moving) and the commands
    // the program sends while it handles that one are not its.
    std::function<bool(HWND target, WPARAM wParam, LPARAM lParam, bool done)> inputCommand;
};

// Installs the hooks; a hook left empty does nothing (waitForInput: no input can come).
void SetFrontendHooks(FrontendHooks hooks);
const FrontendHooks& CurrentFrontendHooks();

} // namespace host
