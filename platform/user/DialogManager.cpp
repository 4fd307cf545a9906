// The dialog manager's keyboard interface: Tab and Shift+Tab through the tab stops, arrows
// through a group, Enter for the default (or focused) push button, Esc for Cancel, and
// mnemonics ("&Y": Alt+Y anywhere, or Y alone where the focus takes no characters).
//
// Child dialogs (the pages of a main window) and windows with WS_EX_CONTROLPARENT are looked
// into as if their controls were the parent's, as long as they are visible and enabled.
#include "user/Dialog.h"

#include "MessageQueue.h"

namespace win {

namespace {

bool IsContainer(const Window* w) {
    if (w->exStyle & WS_EX_CONTROLPARENT)
        return true;
    return dynamic_cast<DialogState*>(w->state.get()) != nullptr ||
           (w->cls != nullptr && w->cls->name == "#32770");
}

void Flatten(const Window* parent, std::vector<HWND>& out) {
    for (const Window* child : parent->children) {
        if (IsContainer(child)) {
            if ((child->style & WS_VISIBLE) && !(child->style & WS_DISABLED))
                Flatten(child, out);
            continue;
        }
        out.push_back(child->handle);
    }
}

bool TabCandidate(HWND hwnd) {
    Window* w = Find(hwnd);
    return w != nullptr &&
           (w->style & (WS_VISIBLE | WS_DISABLED | WS_TABSTOP)) == (WS_VISIBLE | WS_TABSTOP);
}

bool GroupCandidate(HWND hwnd) {
    Window* w = Find(hwnd);
    return w != nullptr && (w->style & (WS_VISIBLE | WS_DISABLED)) == WS_VISIBLE;
}

int IndexOf(const std::vector<HWND>& list, HWND hwnd) {
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i] == hwnd)
            return static_cast<int>(i);
    return -1;
}

// The control a mnemonic names, acted on as a click (buttons) or a focus move (labels).
bool RunMnemonic(HWND dialog, HWND focus, WPARAM ch) {
    if (ch == 0 || ch >= 0x80)
        return false;
    int wanted = static_cast<int>(ch);
    if (wanted >= 'a' && wanted <= 'z')
        wanted = wanted - 'a' + 'A';
    std::vector<HWND> controls = DialogControls(dialog);
    if (controls.empty())
        return false;
    int start = IndexOf(controls, focus);
    int count = static_cast<int>(controls.size());
    for (int n = 1; n <= count; ++n) {
        HWND control = controls[static_cast<size_t>((start + n + count) % count)];
        Window* w = Find(control);
        if (w == nullptr || !IsWindowVisible(control) || (w->style & WS_DISABLED))
            continue;
        LRESULT code = Send(control, WM_GETDLGCODE);
        if (!(code & (DLGC_BUTTON | DLGC_STATIC)))
            continue;
        if ((code & DLGC_STATIC) && w->cls != nullptr && w->cls->name == "Static" &&
            (w->style & SS_NOPREFIX))
            continue;
        if (MnemonicOf(TextOf(control)) != wanted)
            continue;
        HWND owner = DialogHolding(control);
        if (owner == nullptr)
            owner = dialog;
        if (code & DLGC_STATIC) {
            HWND next = GetNextDlgTabItem(owner, control, FALSE);
            if (next != nullptr)
                DialogSetFocus(owner, next);
        } else if (code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON)) {
            Send(control, BM_CLICK);
        } else {
            DialogSetFocus(owner, control);
            Send(control, BM_CLICK);
        }
        return true;
    }
    return false;
}

void PressEnter(HWND dialog) {
    HWND focus = GetFocus();
    if (focus != nullptr && IsChild(dialog, focus) &&
        (Send(focus, WM_GETDLGCODE) & DLGC_DEFPUSHBUTTON)) {
        Send(dialog, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(focus), BN_CLICKED),
             reinterpret_cast<LPARAM>(focus));
        return;
    }
    DWORD defId = static_cast<DWORD>(Send(dialog, DM_GETDEFID));
    if (HIWORD(defId) == DC_HASDEFID) {
        HWND button = GetDlgItem(dialog, LOWORD(defId));
        if (button == nullptr || (IsWindowEnabled(button) && IsWindowVisible(button)))
            Send(dialog, WM_COMMAND, MAKEWPARAM(LOWORD(defId), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
        return;
    }
    Send(dialog, WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
}

} // namespace

std::vector<HWND> DialogControls(HWND dialog) {
    std::vector<HWND> list;
    if (Window* w = Find(dialog))
        Flatten(w, list);
    return list;
}

} // namespace win

using namespace win;

HWND WINAPI GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
    if (Find(dialog) == nullptr)
        return nullptr;
    std::vector<HWND> list = DialogControls(dialog);
    int count = static_cast<int>(list.size());
    if (count == 0)
        return nullptr;
    int start = IndexOf(list, control);
    if (start < 0)
        start = previous ? count : -1;
    int step = previous ? -1 : 1;
    for (int n = 1; n <= count; ++n) {
        int i = ((start + step * n) % count + count) % count;
        if (TabCandidate(list[static_cast<size_t>(i)]))
            return list[static_cast<size_t>(i)];
    }
    return IndexOf(list, control) >= 0 ? control : nullptr;
}

HWND WINAPI GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
    if (Find(dialog) == nullptr)
        return nullptr;
    std::vector<HWND> list = DialogControls(dialog);
    int count = static_cast<int>(list.size());
    int index = IndexOf(list, control);
    if (count == 0)
        return nullptr;
    if (index < 0)
        return GetNextDlgTabItem(dialog, nullptr, previous);
    int first = index;
    while (first > 0 && !(Find(list[static_cast<size_t>(first)])->style & WS_GROUP))
        --first;
    int last = index + 1;
    while (last < count && !(Find(list[static_cast<size_t>(last)])->style & WS_GROUP))
        ++last;
    int size = last - first;
    int step = previous ? -1 : 1;
    for (int n = 1; n <= size; ++n) {
        int i = first + (((index - first) + step * n) % size + size) % size;
        if (GroupCandidate(list[static_cast<size_t>(i)]))
            return list[static_cast<size_t>(i)];
    }
    return control;
}

BOOL WINAPI IsDialogMessageA(HWND dialog, LPMSG msg) {
    if (msg == nullptr || Find(dialog) == nullptr || msg->hwnd == nullptr)
        return FALSE;
    if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd))
        return FALSE;
    HWND target = msg->hwnd;
    switch (msg->message) {
    case WM_KEYDOWN: {
        LRESULT code = Send(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (code & DLGC_WANTMESSAGE)
            break;
        switch (msg->wParam) {
        case VK_TAB:
            if (code & DLGC_WANTTAB)
                break;
            {
                bool back = GetKeyState(VK_SHIFT) < 0;
                HWND focus = GetFocus();
                if (focus != nullptr && focus != dialog && !IsChild(dialog, focus))
                    focus = nullptr;
                HWND next = GetNextDlgTabItem(dialog, focus, back);
                if (next != nullptr)
                    DialogSetFocus(dialog, next);
            }
            return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
            if (code & DLGC_WANTARROWS)
                break;
            {
                HWND focus = GetFocus();
                if (focus == nullptr || !IsChild(dialog, focus))
                    return TRUE;
                bool back = msg->wParam == VK_LEFT || msg->wParam == VK_UP;
                HWND next = GetNextDlgGroupItem(dialog, focus, back);
                if (next != nullptr && next != focus) {
                    SetFocus(next);
                    if ((Send(next, WM_GETDLGCODE) & DLGC_RADIOBUTTON))
                        Send(next, BM_CLICK);
                }
            }
            return TRUE;
        case VK_ESCAPE:
            Send(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
            return TRUE;
        case VK_EXECUTE:
        case VK_RETURN:
            PressEnter(dialog);
            return TRUE;
        default:
            break;
        }
        break;
    }
    case WM_CHAR: {
        LRESULT code = Send(target, WM_GETDLGCODE, msg->wParam, reinterpret_cast<LPARAM>(msg));
        if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE))
            break;
        if (msg->wParam == '\t' && (code & DLGC_WANTTAB))
            break;
        if (RunMnemonic(dialog, GetFocus(), msg->wParam))
            return TRUE;
        break;
    }
    case WM_SYSCHAR:
        if (RunMnemonic(dialog, GetFocus(), msg->wParam))
            return TRUE;
        break;
    default:
        break;
    }
    TranslateMessage(msg);
    DispatchMessageA(msg);
    return TRUE;
}

namespace win {

bool RunModalLoop(HWND dialog, const std::function<bool()>& done) {
    while (!done()) {
        MSG msg;
        if (!PeekQueue(msg, nullptr, 0, 0, true)) {
            if (done())
                break;
            if (!WaitForMore())
                EndOnNoInput();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (dialog != nullptr && IsWindow(dialog) && IsDialogMessageA(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return true;
}

} // namespace win
