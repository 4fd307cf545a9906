// Which front end runs, the automation, and the screen dumps.
#include "FrontendInternal.h"
#include "ProgressLine.h"
#include "Recorder.h"
#include "gdi/GdiInternal.h"
#include "gdi/Screen.h"

#include <host/Frontend.h>
#include <kernel/Interrupt.h>
#include <host/Transcript.h>
#include <user/FrontendHooks.h>

namespace host {
namespace {

struct FrontendState {
    bool started = false;
    FrontendKind kind = FrontendKind::Headless;
    std::function<bool()> automation;
    std::function<void()> automationPoll;
};

FrontendState& State() {
    static FrontendState state;
    return state;
}

} // namespace

bool StartFrontend(FrontendKind kind, std::string& error) {
    FrontendState& state = State();
    if (state.started)
        StopFrontend();
    if (kind == FrontendKind::Tui) {
        if (!frontend::StartTui(error))
            return false;
    } else {
        gdi::CScreen::Get().Resize(80, 25, GetSysColor(COLOR_BACKGROUND));
    }
    state.kind = kind;
    state.started = true;
    return true;
}

void StopFrontend() {
    // Whatever is said after the run starts on a line of its own.
    ClearProgressLine();
    FrontendState& state = State();
    if (state.started && state.kind == FrontendKind::Tui)
        frontend::StopTui();
    state.started = false;
}

bool FrontendStarted() {
    return State().started;
}

bool WaitForInput() {
    EndIfInterrupted();
    FrontendState& state = State();
    bool terminal = state.started && state.kind == FrontendKind::Tui;
    if (terminal)
        frontend::PresentTui();
    NoteSettled();
    UpdateProgressLine();
    // Copy the automation: it may replace itself while it acts.
    if (std::function<bool()> act = state.automation)
        return act();
    if (terminal)
        return frontend::ReadTuiInput();
    return false;
}

void PollInput() {
    EndIfInterrupted();
    FrontendState& state = State();
    if (state.started && state.kind == FrontendKind::Tui)
        frontend::PollTui(!state.automation);
    UpdateProgressLine(true);
    if (std::function<void()> poll = state.automationPoll)
        poll();
}

void SetAutomationPoll(std::function<void()> poll) {
    State().automationPoll = std::move(poll);
}

void SetAutomation(std::function<bool()> act) {
    State().automation = std::move(act);
}

void InstallFrontendHooks() {
    FrontendHooks hooks;
    hooks.waitForInput = WaitForInput;
    hooks.pollInput = PollInput;
    hooks.messageBoxAnswered = [](LPCSTR text, LPCSTR caption, UINT type, int result) {
        NoteMessageBox(text, caption, type, result);
        RecordMessageBox(text, result);
    };
    hooks.inputCommand = RecordInputCommand;
    hooks.beeped = NoteBeep;
    SetFrontendHooks(std::move(hooks));
}

std::string DumpScreen() {
    return gdi::CScreen::Get().Dump();
}

std::string DumpScreenWithColors() {
    return gdi::CScreen::Get().DumpWithColors();
}

} // namespace host
