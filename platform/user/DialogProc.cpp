// The default dialog procedure (the "#32770" class), and how a dialog keeps its focus and its
// default push button.
#include "user/Dialog.h"

namespace win {

namespace {

bool IsPushButton(HWND control) {
    return (Send(control, WM_GETDLGCODE) & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) != 0;
}

// Shows which button Enter presses: the focused push button, else the dialog's default.
void ShowDefaultButton(HWND dialog, HWND focused) {
    DialogState* d = DialogOf(dialog);
    if (d == nullptr)
        return;
    HWND chosen = nullptr;
    if (focused != nullptr && IsChild(dialog, focused) && IsPushButton(focused))
        chosen = focused;
    else if (d->defId != 0)
        chosen = GetDlgItem(dialog, d->defId);
    for (HWND control : DialogControls(dialog)) {
        if (control == chosen || DialogHolding(control) != dialog)
            continue;
        if (Send(control, WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON)
            Send(control, BM_SETSTYLE, BS_PUSHBUTTON, TRUE);
    }
    if (chosen != nullptr && !(Send(chosen, WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON) &&
        IsPushButton(chosen))
        Send(chosen, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
}

bool ReturnsDirectly(UINT message) {
    switch (message) {
    case WM_COMPAREITEM:
    case WM_VKEYTOITEM:
    case WM_CHARTOITEM:
    case WM_QUERYDRAGICON:
    case WM_INITDIALOG:
    case WM_CTLCOLOR:
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return true;
    default:
        return false;
    }
}

LRESULT DefaultDialogHandling(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogState* d = DialogOf(hwnd);
    switch (message) {
    case WM_ERASEBKGND: {
        HDC hdc = reinterpret_cast<HDC>(wParam);
        auto brush = reinterpret_cast<HBRUSH>(
            Send(hwnd, WM_CTLCOLORDLG, wParam, reinterpret_cast<LPARAM>(hwnd)));
        if (brush == nullptr)
            brush = GetSysColorBrush(COLOR_3DFACE);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(hdc, &r, brush);
        return 1;
    }
    case WM_NCDESTROY:
        if (d != nullptr && d->ownsFont && d->font != nullptr) {
            DeleteObject(d->font);
            d->font = nullptr;
            d->ownsFont = false;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE)
            DialogRestoreFocus(hwnd, false);
        return 0;
    case WM_SETFOCUS:
        DialogRestoreFocus(hwnd, true);
        return 0;
    case DM_SETDEFID:
        if (d != nullptr) {
            d->defId = static_cast<WORD>(wParam);
            ShowDefaultButton(hwnd, GetFocus());
        }
        return TRUE;
    case DM_GETDEFID:
        if (d != nullptr && d->defId != 0)
            return MAKELONG(d->defId, DC_HASDEFID);
        return 0;
    case DM_REPOSITION:
        return 0;
    case WM_NEXTDLGCTL: {
        HWND target = nullptr;
        if (LOWORD(lParam)) {
            target = reinterpret_cast<HWND>(wParam);
        } else {
            HWND focus = GetFocus();
            if (focus != nullptr && !IsChild(hwnd, focus))
                focus = nullptr;
            target = GetNextDlgTabItem(hwnd, focus, wParam != 0);
        }
        if (target != nullptr && IsWindow(target))
            DialogSetFocus(hwnd, target);
        return 0;
    }
    case WM_CLOSE: {
        HWND cancel = GetDlgItem(hwnd, IDCANCEL);
        if (cancel != nullptr && !IsWindowEnabled(cancel))
            return 0;
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(cancel));
        return 0;
    }
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(d ? d->font : nullptr);
    case WM_SETFONT:
        if (d != nullptr && reinterpret_cast<HFONT>(wParam) != d->font) {
            if (d->ownsFont && d->font != nullptr)
                DeleteObject(d->font);
            d->font = reinterpret_cast<HFONT>(wParam);
            d->ownsFont = false;
        }
        return 0;
    case WM_GETDLGCODE:
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace

std::vector<HWND> DialogControls(HWND dialog);

void DialogSetFocus(HWND dialog, HWND control) {
    (void)dialog;
    if (control == nullptr || !IsWindow(control))
        return;
    if (Send(control, WM_GETDLGCODE) & DLGC_HASSETSEL)
        Send(control, EM_SETSEL, 0, -1);
    SetFocus(control);
}

void DialogRestoreFocus(HWND dialog, bool selectText) {
    Window* w = Find(dialog);
    if (w == nullptr)
        return;
    HWND target = w->lastFocus;
    Window* t = Find(target);
    if (t == nullptr || !IsChild(dialog, target) || !CanTakeFocus(t) || !IsWindowVisible(target))
        target = GetNextDlgTabItem(dialog, nullptr, FALSE);
    if (target == nullptr || !IsChild(dialog, target)) {
        HWND focus = GetFocus();
        if (focus != dialog && (focus == nullptr || !IsChild(dialog, focus)) &&
            CanTakeFocus(Find(dialog)) && GetActiveWindow() == TopLevelOf(w)->handle)
            SetFocus(dialog);
        return;
    }
    if (GetFocus() == target)
        return;
    if (selectText)
        DialogSetFocus(dialog, target);
    else
        SetFocus(target);
}

void DialogFocusChanged(HWND oldFocus, HWND newFocus) {
    HWND newDialog = newFocus ? DialogHolding(newFocus) : nullptr;
    HWND oldDialog = oldFocus ? DialogHolding(oldFocus) : nullptr;
    if (oldDialog != nullptr && oldDialog != newDialog && IsWindow(oldDialog))
        ShowDefaultButton(oldDialog, nullptr);
    if (newDialog != nullptr)
        ShowDefaultButton(newDialog, newFocus);
}

} // namespace win

using namespace win;

LRESULT WINAPI DefDlgProcA(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(dialog);
    if (w == nullptr)
        return 0;
    DLGPROC proc = nullptr;
    if (w->extra.size() >= static_cast<size_t>(DLGWINDOWEXTRA)) {
        proc = reinterpret_cast<DLGPROC>(GetWindowLongPtrA(dialog, DWLP_DLGPROC));
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, 0);
    }
    INT_PTR handled = 0;
    if (proc != nullptr) {
        System& s = Sys();
        ++s.callDepth;
        handled = proc(dialog, message, wParam, lParam);
        --s.callDepth;
    }
    w = Find(dialog);
    if (w == nullptr)
        return handled;
    if (handled) {
        if (ReturnsDirectly(message))
            return handled;
        return GetWindowLongPtrA(dialog, DWLP_MSGRESULT);
    }
    if (ReturnsDirectly(message) && message != WM_INITDIALOG && message != WM_QUERYDRAGICON &&
        message != WM_COMPAREITEM && message != WM_VKEYTOITEM && message != WM_CHARTOITEM)
        return DefWindowProcA(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG)
        return 0;
    if (message == WM_VKEYTOITEM || message == WM_CHARTOITEM)
        return -1;
    return DefaultDialogHandling(dialog, message, wParam, lParam);
}
