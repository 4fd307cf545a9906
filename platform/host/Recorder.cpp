// Each line written names the window by a text it shows that the windows shown while the
// program works on (the copy page) do not, so that a replay never takes an answer early: a page
// by its first line, a dialog by its caption when that is its own, else by its last line, a
// message box by its first line.
#include "Recorder.h"

#include <host/Machine.h>

#include "user/WindowScene.h"

#include <cstdio>
#include <vector>

namespace host {
namespace {

using detail::ControlKind;
using detail::Scene;
using detail::SceneControl;

// The system's old-style file dialog, which the program uses as its folder browser: its folder
// list, its drive list and the static that shows the folder open.
constexpr int kFolderList = 1121;
constexpr int kDriveCombo = 1137;
constexpr int kFolderText = 1088;

struct RecorderState {
    std::FILE* file = nullptr;
    bool failed = false;
    // OK pressed in the folder browser: whether it opened another folder or accepted the one
    // shown is seen once the browser has handled it.
    HWND browser = nullptr;
    std::string browserFolder;
    std::string browserLine;
};

RecorderState& State() {
    static RecorderState state;
    return state;
}

std::string Quoted(const std::string& ansi, bool convert = true) {
    std::string text = convert && MachineStarted() ? AnsiToUtf8(ansi) : ansi;
    std::string quoted = "\"";
    for (char c : text) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

void WriteLine(const std::string& line) {
    RecorderState& state = State();
    if (state.file == nullptr)
        return;
    if (std::fputs(line.c_str(), state.file) < 0 || std::fputc('\n', state.file) == EOF ||
        std::fflush(state.file) != 0)
        state.failed = true;
}

std::string FirstLine(const std::string& text) {
    std::string line = text.substr(0, text.find_first_of("\r\n"));
    while (!line.empty() && line.back() == ' ')
        line.pop_back();
    return line;
}

HWND TopOf(HWND hWnd) {
    while (hWnd != nullptr && (GetWindowLongA(hWnd, GWL_STYLE) & WS_CHILD) != 0)
        hWnd = GetParent(hWnd);
    return hWnd;
}

std::string WindowText(HWND hWnd) {
    char text[1024] = "";
    if (hWnd != nullptr)
        GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

// The text that names the scene's window in the answers file (ANSI); empty: any window.
std::string MatchOf(const Scene& scene) {
    HWND target = scene.Target();
    std::string first, last;
    for (const SceneControl& control : scene.controls) {
        if (control.parent != target || control.kind != ControlKind::Static)
            continue;
        std::string line = FirstLine(detail::ShownText(control));
        if (line.empty())
            continue;
        if (first.empty())
            first = line;
        last = line;
    }
    if (scene.page != nullptr && !first.empty())
        return first;
    // A dialog's own caption names it; one that repeats its owner's (the overwrite question)
    // does not, and its closing question does.
    HWND owner = GetWindow(scene.top, GW_OWNER);
    if (!scene.caption.empty() && (owner == nullptr || WindowText(owner) != scene.caption))
        return scene.caption;
    return !last.empty() ? last : scene.caption;
}

std::string Head(const Scene& scene) {
    std::string match = MatchOf(scene);
    return match.empty() ? "*" : Quoted(match);
}

std::string ButtonName(int id) {
    static const char* const names[] = {nullptr, "ok",     "cancel", "abort",
                                        "retry", "ignore", "yes",    "no"};
    if (id >= 1 && id <= 7)
        return names[id];
    return std::to_string(id);
}

// What is typed when a button is pressed: the final text of each edit the dialog offers.
std::string TypedFields(const Scene& scene) {
    std::string actions;
    for (const SceneControl& control : scene.controls) {
        if (control.parent != scene.Target() || control.kind != ControlKind::Edit ||
            !control.visible || !control.enabled || (control.style & ES_READONLY) != 0)
            continue;
        actions += " type " + std::to_string(control.id) + " " + Quoted(control.text);
    }
    return actions;
}

std::string ItemText(const SceneControl& control) {
    bool list = control.kind == ControlKind::ListBox;
    LRESULT index = SendMessageA(control.hWnd, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    if (index < 0)
        return std::string();
    LRESULT length = SendMessageA(control.hWnd, list ? LB_GETTEXTLEN : CB_GETLBTEXTLEN,
                                  static_cast<WPARAM>(index), 0);
    if (length < 0 || length > 4096)
        return std::string();
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(control.hWnd, list ? LB_GETTEXT : CB_GETLBTEXT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(text.data()));
    return text.data();
}

bool IsBrowser(const Scene& scene) {
    const SceneControl* list = scene.Find(kFolderList, scene.top);
    const SceneControl* drives = scene.Find(kDriveCombo, scene.top);
    return scene.page == nullptr && list != nullptr && list->kind == ControlKind::ListBox &&
           drives != nullptr && drives->kind == ControlKind::ComboBox;
}

// The way to the folder the browser shows, from its drive: however the person got there (keys,
// clicks, typing), the replay picks the drive and opens the folders from its root down.
std::string BrowserWay(const std::string& folder) {
    if (folder.size() < 3 || folder[1] != ':' || folder[2] != '\\')
        return std::string();
    char drive[3] = {folder[0], ':', '\0'};
    CharLowerA(drive);
    std::string way = " select " + std::to_string(kDriveCombo) + " " + Quoted(drive) + " open " +
                      std::to_string(kFolderList) + " " + Quoted(folder.substr(0, 3));
    const char* start = folder.c_str() + 3;
    const char* at = start;
    while (true) {
        if (*at == '\\' || *at == '\0') {
            if (at > start)
                way += " open " + std::to_string(kFolderList) + " " +
                       Quoted(std::string(start, static_cast<size_t>(at - start)));
            if (*at == '\0')
                break;
            start = at + 1;
            at = start;
            continue;
        }
        at = CharNextA(at);
    }
    return way;
}

bool RecordBrowser(const Scene& scene, int id, bool done) {
    RecorderState& state = State();
    if (id != IDOK && id != IDCANCEL)
        return false;
    if (!done) {
        if (id == IDCANCEL) {
            WriteLine(Head(scene) + " press cancel");
            return true;
        }
        state.browser = scene.top;
        state.browserFolder = WindowText(GetDlgItem(scene.top, kFolderText));
        std::string way = BrowserWay(state.browserFolder);
        state.browserLine = way.empty() ? std::string() : Head(scene) + way + " press ok";
        return true;
    }
    if (id != IDOK || state.browser != scene.top)
        return true;
    // OK on a highlighted folder opens it; on the folder shown it accepts it.
    bool opened = IsWindow(state.browser) &&
                  WindowText(GetDlgItem(state.browser, kFolderText)) != state.browserFolder;
    if (!opened && !state.browserLine.empty())
        WriteLine(state.browserLine);
    state.browser = nullptr;
    return true;
}

} // namespace

bool StartRecording(const std::string& path, std::string& error) {
    StopRecording();
    // Binary: the lines end in "\n" alone, as the parser reads them on every system.
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        error = "cannot write the answers file " + path;
        return false;
    }
    State().file = file;
    WriteLine("# Recorded by veltrix-setup --record; replay with --answers FILE.");
    return true;
}

bool StopRecording() {
    RecorderState& state = State();
    bool written = !state.failed;
    if (state.file != nullptr && std::fclose(state.file) != 0)
        written = false;
    state = RecorderState();
    return written;
}

bool Recording() {
    return State().file != nullptr;
}

bool RecordInputCommand(HWND target, WPARAM wParam, LPARAM lParam, bool done) {
    if (!Recording())
        return false;
    HWND top = TopOf(target);
    if (top == nullptr)
        return false;
    Scene scene = detail::ReadScene(top);
    int id = LOWORD(wParam);
    WORD code = HIWORD(wParam);
    // A message box is recorded when it was answered, whatever key answered it.
    if (scene.messageBox)
        return code == BN_CLICKED;
    if (IsBrowser(scene))
        return RecordBrowser(scene, id, done);
    if (done)
        return true;
    // The control that sent it, else (Esc, Enter without such a button) the one with its id.
    const SceneControl* control = nullptr;
    for (const SceneControl& candidate : scene.controls) {
        if (lParam != 0 ? candidate.hWnd == reinterpret_cast<HWND>(lParam)
                        : candidate.id == id &&
                              (candidate.parent == target || candidate.parent == scene.Target()))
            control = &candidate;
    }
    if (control == nullptr || !control->visible || !control->enabled)
        return false;
    switch (control->kind) {
    case ControlKind::PushButton:
    case ControlKind::CheckBox:
    case ControlKind::RadioButton:
        if (code != BN_CLICKED)
            return false;
        WriteLine(Head(scene) + TypedFields(scene) + " press " + ButtonName(id));
        return true;
    case ControlKind::ListBox:
        if (code != LBN_SELCHANGE && code != LBN_DBLCLK)
            return false;
        WriteLine(Head(scene) + (code == LBN_DBLCLK ? " open " : " select ") + std::to_string(id) +
                  " " + Quoted(ItemText(*control)));
        return true;
    case ControlKind::ComboBox:
        if (code != CBN_SELCHANGE)
            return false;
        WriteLine(Head(scene) + " select " + std::to_string(id) + " " + Quoted(ItemText(*control)));
        return true;
    default:
        return false;
    }
}

void RecordMessageBox(LPCSTR text, int result) {
    if (!Recording() || result <= 0)
        return;
    std::string line = FirstLine(text != nullptr ? text : "");
    WriteLine((line.empty() ? std::string("*") : Quoted(line)) + " press " + ButtonName(result));
}

void RecordDiskInsert(const std::string& hostDir) {
    if (!Recording())
        return;
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr)
        return;
    WriteLine(Head(detail::ReadScene(top)) + " insert " + Quoted(hostDir, false));
}

} // namespace host
