#include <host/Automation.h>
#include <host/Frontend.h>
#include <kernel/Interrupt.h>
#include <host/Machine.h>
#include <registry/Registry.h>
#include <host/Transcript.h>

#include "DiskPrompt.h"
#include "user/WindowScene.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <strings.h>

namespace host {
namespace {

using detail::ControlKind;
using detail::Scene;
using detail::SceneControl;

struct AutomationState {
    bool started = false;
    AutomationOptions options;
    std::vector<const Answer*> ordered; // answers used up one after the other
    std::vector<const Answer*> always;  // answers that apply whenever they match
    size_t next = 0;
    const Answer* current = nullptr; // the answer whose actions are being carried out
    size_t nextAction = 0;
    bool fieldsTyped = false;
    std::map<std::string, int> repeats; // window state and action -> times taken
};

AutomationState& State() {
    static AutomationState state;
    return state;
}

// The wParam of WM_COMMAND: the control's id and the notification code.
WPARAM CommandParam(int id, WORD code) {
    return static_cast<WPARAM>((static_cast<DWORD>(code) << 16) |
                               (static_cast<DWORD>(id) & 0xFFFF));
}

bool Usable(const SceneControl* control) {
    return control != nullptr && control->visible && control->enabled;
}

bool IsPushButton(const SceneControl* control) {
    return control != nullptr && control->kind == ControlKind::PushButton;
}

std::string Label(const SceneControl& control) {
    return detail::WithoutMnemonic(control.text);
}

bool ContainsText(const Scene& scene, const std::string& match) {
    if (scene.caption.find(match) != std::string::npos)
        return true;
    for (const SceneControl& control : scene.controls) {
        if (!control.visible)
            continue;
        if (control.text.find(match) != std::string::npos ||
            detail::WithoutMnemonic(control.text).find(match) != std::string::npos ||
            detail::ShownText(control).find(match) != std::string::npos)
            return true;
    }
    return false;
}

bool Matches(const Answer& answer, const Scene& scene) {
    return answer.anyWindow || ContainsText(scene, answer.match);
}

// The button that accepting the dialog as proposed presses: its default button, else the
// button that has the focus, else OK, else the only button it has (an exit button).
const SceneControl* DefaultButton(const Scene& scene) {
    HWND target = scene.Target();
    LRESULT defId = SendMessageA(target, DM_GETDEFID, 0, 0);
    if (HIWORD(defId) == DC_HASDEFID) {
        const SceneControl* control = scene.Find(LOWORD(defId), target);
        if (IsPushButton(control) && Usable(control))
            return control;
    }
    for (const SceneControl& control : scene.controls) {
        if (control.parent == target && IsPushButton(&control) && Usable(&control) &&
            (control.style & 0x0F) == BS_DEFPUSHBUTTON)
            return &control;
    }
    HWND focus = GetFocus();
    const SceneControl* only = nullptr;
    int usableButtons = 0;
    for (const SceneControl& control : scene.controls) {
        if (control.parent != target || !IsPushButton(&control) || !Usable(&control))
            continue;
        if (control.hWnd == focus)
            return &control;
        only = &control;
        ++usableButtons;
    }
    const SceneControl* ok = scene.Find(IDOK, target);
    if (IsPushButton(ok) && Usable(ok))
        return ok;
    return usableButtons == 1 ? only : nullptr;
}

const SceneControl* ButtonByLabel(const Scene& scene, const std::string& label) {
    for (HWND parent : {scene.page, scene.top}) {
        if (parent == nullptr)
            continue;
        for (const SceneControl& control : scene.controls) {
            if (control.parent != parent || !control.visible)
                continue;
            if (control.kind != ControlKind::PushButton && control.kind != ControlKind::CheckBox &&
                control.kind != ControlKind::RadioButton)
                continue;
            if (strcasecmp(Label(control).c_str(), label.c_str()) == 0 ||
                strcasecmp(control.text.c_str(), label.c_str()) == 0)
                return &control;
        }
    }
    return nullptr;
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

// Types the --src and --dest values into the first dialog accepted that has their edits.
void TypeFields(const Scene& scene) {
    AutomationState& state = State();
    if (state.fieldsTyped || state.options.fields.empty())
        return;
    HWND target = scene.Target();
    bool present = false;
    for (const auto& field : state.options.fields) {
        const SceneControl* edit = scene.Find(field.first, target);
        if (edit != nullptr && edit->kind == ControlKind::Edit)
            present = true;
    }
    if (!present)
        return;
    state.fieldsTyped = true;
    for (const auto& field : state.options.fields) {
        const SceneControl* edit = scene.Find(field.first, target);
        if (edit == nullptr || edit->kind != ControlKind::Edit || !Usable(edit))
            continue;
        SetWindowTextA(edit->hWnd, field.second.c_str());
        NoteLine("action", "type " + std::to_string(field.first) + " " + Quoted(field.second));
    }
}

// The disk rule (docs/automation.md): a page that asks for a disk a --disk names gets that
// disk put into the drive before it is accepted.
void InsertAskedDisk(const Scene& scene) {
    AutomationState& state = State();
    DiskPrompt prompt;
    if (state.options.disks.empty() || !FindDiskPrompt(scene, prompt))
        return;
    auto found = state.options.disks.find(prompt.disk);
    if (found == state.options.disks.end())
        return;
    if (InsertMedium(prompt.letter, found->second)) {
        NoteLine("action",
                 "insert disk " + std::to_string(prompt.disk) + " into " +
                     std::string(1, prompt.letter) + ": from " + found->second,
                 true);
    } else {
        NoteLine("action",
                 "could not insert disk " + std::to_string(prompt.disk) + " from " + found->second,
                 true);
    }
}

void Click(const SceneControl& button) {
    PostMessageA(button.parent, WM_COMMAND, CommandParam(button.id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.hWnd));
}

// Presses a button; accepting a dialog (its OK or default button) first types the fields
// and puts in an asked-for disk.
void Press(const Scene& scene, const SceneControl& button, bool accepting) {
    if (accepting) {
        TypeFields(scene);
        InsertAskedDisk(scene);
    }
    NoteLine("action", "press " + std::to_string(button.id) + " (" + Label(button) + ")");
    Click(button);
}

bool SelectItem(const SceneControl& control, const std::string& item, bool open,
                std::string& problem) {
    bool list = control.kind == ControlKind::ListBox;
    if (!list && control.kind != ControlKind::ComboBox) {
        problem = "control " + std::to_string(control.id) + " is not a list or combo box";
        return false;
    }
    UINT findExact = list ? LB_FINDSTRINGEXACT : CB_FINDSTRINGEXACT;
    UINT findPrefix = list ? LB_FINDSTRING : CB_FINDSTRING;
    LPARAM text = reinterpret_cast<LPARAM>(item.c_str());
    LRESULT index = SendMessageA(control.hWnd, findExact, static_cast<WPARAM>(-1), text);
    if (index < 0)
        index = SendMessageA(control.hWnd, findPrefix, static_cast<WPARAM>(-1), text);
    if (index < 0) {
        problem = "control " + std::to_string(control.id) + " has no item " + Quoted(item);
        return false;
    }
    SendMessageA(control.hWnd, list ? LB_SETCURSEL : CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    WORD code = list ? (open ? LBN_DBLCLK : LBN_SELCHANGE) : CBN_SELCHANGE;
    NoteLine("action", std::string(open ? "open " : "select ") + std::to_string(control.id) + " " +
                           Quoted(item));
    PostMessageA(control.parent, WM_COMMAND, CommandParam(control.id, code),
                 reinterpret_cast<LPARAM>(control.hWnd));
    return true;
}

// Carries out one action of an answer; FALSE with the reason when it cannot be done. posted
// tells whether it left a message for the program to handle before the next action can see
// its effect.
bool PerformAction(const Scene& scene, const AnswerAction& action, bool& posted,
                   std::string& problem) {
    const SceneControl* control = nullptr;
    posted = false;
    switch (action.kind) {
    case AnswerAction::Kind::Type:
        control = scene.FindShown(action.id);
        if (control == nullptr || control->kind != ControlKind::Edit) {
            problem = "there is no edit " + std::to_string(action.id);
            return false;
        }
        SetWindowTextA(control->hWnd, action.text.c_str());
        NoteLine("action", "type " + std::to_string(action.id) + " " + Quoted(action.text));
        return true;
    case AnswerAction::Kind::Press: {
        if (action.id == 0 && action.text.empty())
            control = DefaultButton(scene);
        else if (!action.text.empty())
            control = ButtonByLabel(scene, action.text);
        else
            control = scene.FindShown(action.id);
        if (control == nullptr) {
            problem = action.text.empty() && action.id == 0
                          ? "the window has no default button"
                          : "there is no button " + (action.text.empty() ? std::to_string(action.id)
                                                                         : Quoted(action.text));
            return false;
        }
        if (!Usable(control)) {
            problem = "button " + std::to_string(control->id) + " is disabled";
            return false;
        }
        bool accepting = (action.id == 0 && action.text.empty()) || control->id == IDOK;
        Press(scene, *control, accepting);
        posted = true;
        return true;
    }
    case AnswerAction::Kind::Select:
    case AnswerAction::Kind::Open:
        control = scene.FindShown(action.id);
        if (control == nullptr) {
            problem = "there is no list " + std::to_string(action.id);
            return false;
        }
        if (!SelectItem(*control, action.text, action.kind == AnswerAction::Kind::Open, problem))
            return false;
        posted = true;
        return true;
    case AnswerAction::Kind::Insert: {
        DiskPrompt prompt;
        if (!FindDiskPrompt(scene, prompt)) {
            problem = "the window does not ask for a disk";
            return false;
        }
        std::string drive = std::string(1, prompt.letter) + ":";
        if (!InsertMedium(prompt.letter, action.text)) {
            problem = action.text + " cannot be put into " + drive;
            return false;
        }
        NoteLine("action",
                 "insert disk " + std::to_string(prompt.disk) + " into " + drive + " from " +
                     action.text,
                 true);
        return true;
    }
    }
    return true;
}

// A question that is not a message box and offers Yes and No: the overwrite question.
bool IsOverwriteQuestion(const Scene& scene) {
    return !scene.messageBox && IsPushButton(scene.FindShown(IDYES)) &&
           IsPushButton(scene.FindShown(IDNO));
}

const SceneControl* OverwriteAnswer(const Scene& scene) {
    const AutomationState& state = State();
    if (state.options.overwrite == OverwriteRule::Ask || !IsOverwriteQuestion(scene))
        return nullptr;
    const SceneControl* yes = scene.FindShown(IDYES);
    const SceneControl* no = scene.FindShown(IDNO);
    const SceneControl* answer = state.options.overwrite == OverwriteRule::Yes ? yes : no;
    return Usable(answer) ? answer : nullptr;
}

// Counts the action on this window state; FALSE once it came back too often.
bool CountRepeat(const std::string& description, const std::string& action) {
    AutomationState& state = State();
    int& count = state.repeats[description + "\n" + action];
    ++count;
    return count <= state.options.repeatLimit;
}

std::string Utf8(const std::string& ansi) {
    if (!MachineStarted())
        return ansi;
    return AnsiToUtf8(ansi);
}

} // namespace

void StartAutomation(const AutomationOptions& options) {
    AutomationState& state = State();
    state = AutomationState();
    state.options = options;
    for (const Answer& answer : state.options.answers)
        (answer.always ? state.always : state.ordered).push_back(&answer);
    state.started = true;
}

void StopAutomation() {
    State() = AutomationState();
}

AutomationResult Act(std::string& reason) {
    AutomationState& state = State();
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr) {
        reason = "the program waits, but shows no window";
        NoteLine("stuck", reason, true);
        return AutomationResult::NoAnswer;
    }
    NoteSettled();
    Scene scene = detail::ReadScene(top);
    std::string description = detail::DescribeScene(scene);

    // The answers file first: an answer under way, the next answer in order, then the
    // standing ones.
    const Answer* answer = state.current;
    if (answer != nullptr && !Matches(*answer, scene)) {
        reason = "the window changed before the answer on line " + std::to_string(answer->line) +
                 " was carried out; now at: " + Utf8(description);
        NoteLine("stuck", reason, true);
        return AutomationResult::NoAnswer;
    }
    if (answer == nullptr && state.next < state.ordered.size() &&
        Matches(*state.ordered[state.next], scene)) {
        answer = state.ordered[state.next];
        ++state.next;
    }
    if (answer == nullptr) {
        for (const Answer* candidate : state.always) {
            if (Matches(*candidate, scene)) {
                answer = candidate;
                break;
            }
        }
    }
    if (answer != nullptr) {
        if (state.current != answer) {
            state.current = answer;
            state.nextAction = 0;
        }
        std::string key =
            "answer " + std::to_string(answer->line) + "." + std::to_string(state.nextAction);
        if (!CountRepeat(description, key)) {
            state.current = nullptr;
            reason = "the answer on line " + std::to_string(answer->line) +
                     " came back too often at: " + Utf8(description);
            NoteLine("loop", reason, true);
            return AutomationResult::Looping;
        }
        // Actions up to the first one that leaves a message for the program: the next one
        // waits until the program has handled it.
        while (state.nextAction < answer->actions.size()) {
            bool posted = false;
            std::string problem;
            if (!PerformAction(scene, answer->actions[state.nextAction], posted, problem)) {
                state.current = nullptr;
                reason = "the answer on line " + std::to_string(answer->line) + " does not fit (" +
                         Utf8(problem) + ") at: " + Utf8(description);
                NoteLine("stuck", reason, true);
                return AutomationResult::NoAnswer;
            }
            ++state.nextAction;
            if (posted)
                break;
        }
        if (state.nextAction >= answer->actions.size())
            state.current = nullptr;
        return AutomationResult::Acted;
    }

    const SceneControl* button = OverwriteAnswer(scene);
    bool accepting = false;
    // With --overwrite ask the question is left to the answers file, also in silent runs.
    if (button == nullptr && state.options.silent && !IsOverwriteQuestion(scene)) {
        button = DefaultButton(scene);
        accepting = true;
    }
    if (button != nullptr) {
        if (!CountRepeat(description, "press " + std::to_string(button->id))) {
            reason = "the same answer came back " + std::to_string(state.options.repeatLimit) +
                     " times without progress at: " + Utf8(description);
            NoteLine("loop", reason, true);
            return AutomationResult::Looping;
        }
        Press(scene, *button, accepting);
        return AutomationResult::Acted;
    }

    reason = "no answer for: " + Utf8(description);
    if (state.next < state.ordered.size()) {
        const Answer* expected = state.ordered[state.next];
        reason +=
            " (the answer on line " + std::to_string(expected->line) + " is for " +
            (expected->anyWindow ? std::string("any window") : Quoted(Utf8(expected->match))) + ")";
    }
    NoteLine("stuck", reason, true);
    return AutomationResult::NoAnswer;
}

bool HasAnswer() {
    AutomationState& state = State();
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr)
        return false;
    Scene scene = detail::ReadScene(top);
    if (state.current != nullptr)
        return Matches(*state.current, scene);
    if (state.next < state.ordered.size() && Matches(*state.ordered[state.next], scene))
        return true;
    for (const Answer* candidate : state.always) {
        if (Matches(*candidate, scene))
            return true;
    }
    if (OverwriteAnswer(scene) != nullptr)
        return true;
    return state.options.silent && !IsOverwriteQuestion(scene) && DefaultButton(scene) != nullptr;
}

namespace {

// An unattended run never waits for a person: release the machine and end as abandoned.
[[noreturn]] void StopUnattended(const std::string& reason) {
    // The program does not see its windows again: its handlers remove its temporary files, as
    // when the run is ended from outside.
    RunConsoleControlHandlers(CTRL_CLOSE_EVENT);
    NoteLine("end", "status 1", true);
    StopTranscript();
    StopFrontend();
    std::fprintf(stderr, "veltrix-setup: unattended run stopped: %s\n", reason.c_str());
    std::fflush(stderr);
    // The run did not finish: its registry entries, if any, are not kept.
    DiscardRegistryChanges();
    StopMachine();
    std::fflush(stdout);
    std::_Exit(1);
}

} // namespace

bool ActOrStop() {
    std::string reason;
    if (Act(reason) != AutomationResult::Acted)
        StopUnattended(reason);
    return true;
}

void PollAnswers() {
    AutomationState& state = State();
    const Answer* answer = state.current;
    if (answer == nullptr && state.next < state.ordered.size())
        answer = state.ordered[state.next];
    if (answer == nullptr || answer->anyWindow)
        return;
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr || !Matches(*answer, detail::ReadScene(top)))
        return;
    std::string reason;
    if (Act(reason) != AutomationResult::Acted)
        StopUnattended(reason);
}

} // namespace host
