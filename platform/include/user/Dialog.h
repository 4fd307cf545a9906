// Dialogs: what a dialog window keeps, and the dialog manager's helpers shared by the dialog
// procedure, the modal loops, message boxes and the file dialog. Internal to the native
// platform layer.
#pragma once

#include "user/DialogTemplate.h"
#include "user/WindowSystem.h"

namespace win {

struct DialogState : WindowState {
    HFONT font = nullptr;
    bool ownsFont = false;
    WORD defId = 0;
    bool ended = false;
    INT_PTR result = 0;
    bool modal = false;
    HWND ownerToEnable = nullptr; // the owner a modal dialog disabled and gives back
};

DialogState* DialogOf(HWND hwnd);
// The nearest dialog that holds a window (its parent chain), or null.
HWND DialogHolding(HWND control);

// Builds a dialog from a parsed template: the window, its font and controls, then
// WM_INITDIALOG. Modal dialogs are not shown here (the modal loop shows them).
HWND CreateDialogFromTemplate(const res::DialogTemplate& tmpl, HINSTANCE instance, HWND parent,
                              DLGPROC proc, LPARAM param, bool modal);
// Runs a dialog modally: owner disabled, the dialog shown, the loop, the owner enabled again.
INT_PTR RunDialogBox(const res::DialogTemplate& tmpl, HINSTANCE instance, HWND parent, DLGPROC proc,
                     LPARAM param);
// Loads a dialog template resource; FALSE when missing or damaged.
bool LoadDialogTemplate(HINSTANCE instance, LPCSTR name, res::DialogTemplate& out);

// Gives a control of a dialog the focus as the dialog manager does: an edit gets its whole
// text selected first.
void DialogSetFocus(HWND dialog, HWND control);
// Puts the focus back where it was in a dialog (or on its first tab stop).
void DialogRestoreFocus(HWND dialog, bool selectText);
// The controls of a dialog in tab order, looking into child dialogs and control parents
// that are visible and enabled.
std::vector<HWND> DialogControls(HWND dialog);

} // namespace win
