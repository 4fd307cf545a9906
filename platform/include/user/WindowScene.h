// What the user sees at a wait, read through the window API alone: the active window, its
// current page (a visible child dialog) and their controls. Shared by the transcript and the
// automation.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace host::detail {

enum class ControlKind {
    Static,
    Edit,
    PushButton,
    CheckBox,
    RadioButton,
    GroupBox,
    ListBox,
    ComboBox,
    Dialog,
    Other
};

struct SceneControl {
    HWND hWnd = nullptr;
    HWND parent = nullptr;
    int id = 0;
    ControlKind kind = ControlKind::Other;
    LONG style = 0;
    bool visible = false;
    bool enabled = false;
    std::string text; // ANSI, as GetWindowTextA gives it
};

struct Scene {
    HWND top = nullptr;  // the active window
    HWND page = nullptr; // its first visible, enabled child dialog, or null
    std::string caption;
    bool messageBox = false;
    // Direct controls of the top window, then those of each visible child dialog.
    std::vector<SceneControl> controls;

    // The dialog whose buttons answer the scene: the page when there is one, else the top.
    HWND Target() const { return page ? page : top; }
    const SceneControl* Find(int id, HWND parent) const;
    // A visible control with this id in the page, else in the top window.
    const SceneControl* FindShown(int id) const;
};

// The window the user deals with now: the active window, else the foreground window, else
// the topmost visible top-level window. Null when there is none.
HWND ActiveTopWindow();
Scene ReadScene(HWND top);

// The visible text of a control as the transcript writes it: statics plain, edits in
// [brackets], buttons in (parentheses), check boxes with [x] or [ ], lists and combo boxes
// with their selection in {braces}. Empty when the control shows nothing.
std::string ShownText(const SceneControl& control);
// "CAPTION | text | text ..." for the scene (ANSI).
std::string DescribeScene(const Scene& scene);
// A button label without its mnemonic marks: "&Yes" gives "Yes", "&&" gives "&".
std::string WithoutMnemonic(const std::string& label);

} // namespace host::detail
