// Showing, hiding and enabling windows; the keyboard focus and the active window.
#include "user/WindowSystem.h"

#include <algorithm>

namespace win {

// The dialog manager keeps the default push button in step with the focus (DialogProc.cpp).
void DialogFocusChanged(HWND oldFocus, HWND newFocus);

namespace {

bool InSubtree(HWND candidate, const Window* root) {
    for (Window* w = Find(candidate); w != nullptr; w = w->parent)
        if (w == root)
            return true;
    return false;
}

void RememberFocus(Window* w) {
    for (Window* a = w->parent; a != nullptr && a != Sys().desktop; a = a->parent)
        a->lastFocus = w->handle;
}

// Puts a top-level window above its siblings, and the windows it owns above it.
void BringToTop(Window* w) {
    auto& tops = Desktop()->children;
    std::vector<Window*> before = tops;
    tops.erase(std::remove(tops.begin(), tops.end(), w), tops.end());
    tops.insert(tops.begin(), w);
    std::vector<Window*> owned;
    for (Window* t : tops)
        if (t->owner == w->handle && (t->style & WS_VISIBLE))
            owned.push_back(t);
    for (Window* o : owned) {
        tops.erase(std::remove(tops.begin(), tops.end(), o), tops.end());
        tops.insert(tops.begin(), o);
    }
    if (before != tops) {
        InvalidateAll(w);
        for (Window* o : owned)
            InvalidateAll(o);
    }
}

bool Activatable(const Window* w) {
    return w != nullptr && IsTopLevel(w) && (w->style & WS_VISIBLE) && !(w->style & WS_DISABLED) &&
           !w->destroying &&
           !(w->cls != nullptr && (w->cls->name == "ComboLBox" || w->cls->name == "#32768"));
}

void Deactivate(HWND old, HWND next) {
    if (old == nullptr || Find(old) == nullptr)
        return;
    System& s = Sys();
    Window* w = Find(old);
    if (s.focus != nullptr && InSubtree(s.focus, w)) {
        HWND focus = s.focus;
        s.focus = nullptr;
        Send(focus, WM_KILLFOCUS, reinterpret_cast<WPARAM>(next));
    }
    if (Find(old) == nullptr)
        return;
    Send(old, WM_NCACTIVATE, FALSE, reinterpret_cast<LPARAM>(next));
    if (Find(old) == nullptr)
        return;
    Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, IsIconic(old) ? 1 : 0),
         reinterpret_cast<LPARAM>(next));
}

} // namespace

bool CanTakeFocus(const Window* w) {
    if (w == nullptr || w == Sys().desktop || w->destroying)
        return false;
    for (const Window* a = w; a != nullptr && a != Sys().desktop; a = a->parent) {
        if (a->style & WS_DISABLED)
            return false;
        // A top-level window that is being built may still be hidden.
        if (!IsTopLevel(a) && (a->style & WS_VISIBLE) == 0)
            return false;
        if (IsTopLevel(a) && a == w && (a->style & WS_VISIBLE) == 0)
            return false;
    }
    return true;
}

void ChooseNewActiveWindow(HWND leaving) {
    System& s = Sys();
    Window* w = Find(leaving);
    Window* next = nullptr;
    if (w != nullptr && w->owner != nullptr && Activatable(Find(w->owner)))
        next = Find(w->owner);
    if (next == nullptr) {
        for (Window* top : Desktop()->children) {
            if (top->handle == leaving || !Activatable(top))
                continue;
            next = top;
            break;
        }
    }
    if (next != nullptr) {
        SetActiveWindow(next->handle);
        return;
    }
    HWND old = s.active;
    s.active = nullptr;
    Deactivate(old, nullptr);
    if (Window* o = Find(old))
        InvalidateFrame(o);
}

void ForgetWindow(HWND hwnd) {
    System& s = Sys();
    if (s.focus == hwnd)
        s.focus = nullptr;
    if (s.active == hwnd)
        s.active = nullptr;
    if (s.capture == hwnd)
        s.capture = nullptr;
}

} // namespace win

using namespace win;

BOOL WINAPI ShowWindow(HWND hWnd, int command) {
    Window* w = Find(hWnd);
    if (w == nullptr || w == Sys().desktop) {
        SetLastError(1400);
        return FALSE;
    }
    bool wasVisible = (w->style & WS_VISIBLE) != 0;
    if (command == SW_HIDE) {
        if (!wasVisible)
            return FALSE;
        Send(hWnd, WM_SHOWWINDOW, FALSE);
        w = Find(hWnd);
        if (w == nullptr || !(w->style & WS_VISIBLE))
            return TRUE;
        WINDOWPOS wp = {hWnd,
                        nullptr,
                        0,
                        0,
                        0,
                        0,
                        SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
        PlaceWindow(w, wp);
        w = Find(hWnd);
        if (w == nullptr)
            return TRUE;
        System& s = Sys();
        if (s.focus != nullptr && InSubtree(s.focus, w) && !IsTopLevel(w)) {
            Window* parent = w->parent;
            SetFocus(parent != nullptr && parent != s.desktop ? parent->handle : nullptr);
            if (s.focus != nullptr && InSubtree(s.focus, Find(hWnd)))
                SetFocus(nullptr);
        }
        if (IsTopLevel(w) && s.active == hWnd)
            ChooseNewActiveWindow(hWnd);
        return TRUE;
    }

    DWORD oldState = w->style & (WS_MINIMIZE | WS_MAXIMIZE);
    switch (command) {
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
        w->style = (w->style & ~WS_MAXIMIZE) | WS_MINIMIZE;
        break;
    case SW_SHOWMAXIMIZED:
        w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
        break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
        w->style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        break;
    default:
        break;
    }
    if (!wasVisible) {
        Send(hWnd, WM_SHOWWINDOW, TRUE);
        w = Find(hWnd);
        if (w == nullptr)
            return FALSE;
        WINDOWPOS wp = {hWnd,
                        nullptr,
                        0,
                        0,
                        0,
                        0,
                        SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE};
        PlaceWindow(w, wp);
        w = Find(hWnd);
        if (w == nullptr)
            return FALSE;
    } else if ((w->style & (WS_MINIMIZE | WS_MAXIMIZE)) != oldState) {
        InvalidateAll(w);
        RECT client = ClientRectOf(w);
        Send(hWnd, WM_SIZE, (w->style & WS_MINIMIZE) ? SIZE_MINIMIZED : SIZE_RESTORED,
             MAKELPARAM(client.right, client.bottom));
        w = Find(hWnd);
        if (w == nullptr)
            return wasVisible;
    }
    bool activate = command != SW_SHOWNA && command != SW_SHOWNOACTIVATE &&
                    command != SW_SHOWMINNOACTIVE && command != SW_MINIMIZE &&
                    command != SW_FORCEMINIMIZE;
    if (activate && IsTopLevel(w) && Activatable(w))
        SetActiveWindow(hWnd);
    return wasVisible;
}

BOOL WINAPI EnableWindow(HWND hWnd, BOOL enable) {
    Window* w = Find(hWnd);
    if (w == nullptr || w == Sys().desktop)
        return FALSE;
    bool wasDisabled = (w->style & WS_DISABLED) != 0;
    if (enable && wasDisabled) {
        w->style &= ~WS_DISABLED;
        Send(hWnd, WM_ENABLE, TRUE);
    } else if (!enable && !wasDisabled) {
        Send(hWnd, WM_CANCELMODE);
        w = Find(hWnd);
        if (w == nullptr)
            return FALSE;
        w->style |= WS_DISABLED;
        System& s = Sys();
        if (s.focus != nullptr && InSubtree(s.focus, w))
            SetFocus(nullptr);
        if (Find(hWnd) != nullptr)
            Send(hWnd, WM_ENABLE, FALSE);
    }
    return wasDisabled;
}

BOOL WINAPI IsWindowEnabled(HWND hWnd) {
    Window* w = Find(hWnd);
    return w != nullptr && (w->style & WS_DISABLED) == 0;
}

BOOL WINAPI IsWindowVisible(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return FALSE;
    for (; w != nullptr && w != Sys().desktop; w = w->parent)
        if ((w->style & WS_VISIBLE) == 0)
            return FALSE;
    return w != nullptr;
}

BOOL WINAPI IsIconic(HWND hWnd) {
    Window* w = Find(hWnd);
    return w != nullptr && (w->style & WS_MINIMIZE) != 0;
}

BOOL WINAPI IsZoomed(HWND hWnd) {
    Window* w = Find(hWnd);
    return w != nullptr && (w->style & WS_MAXIMIZE) != 0;
}

HWND WINAPI GetFocus() {
    return Sys().focus;
}

HWND WINAPI SetFocus(HWND hWnd) {
    System& s = Sys();
    HWND old = s.focus;
    if (hWnd == nullptr) {
        if (old != nullptr) {
            s.focus = nullptr;
            Send(old, WM_KILLFOCUS, 0);
            DialogFocusChanged(old, nullptr);
        }
        return old;
    }
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return nullptr;
    }
    if (!CanTakeFocus(w))
        return nullptr;
    if (hWnd == old)
        return old;
    Window* top = TopLevelOf(w);
    if ((top->style & WS_VISIBLE) == 0) {
        // Not on the screen yet: the window gets the focus when its top-level window is
        // activated.
        w->lastFocus = hWnd;
        RememberFocus(w);
        return old;
    }
    if (s.active != top->handle) {
        SetActiveWindow(top->handle);
        w = Find(hWnd);
        if (w == nullptr || !CanTakeFocus(w))
            return nullptr;
        if (s.active != TopLevelOf(w)->handle)
            return nullptr;
    }
    old = s.focus;
    if (old == hWnd)
        return old;
    s.focus = hWnd;
    RememberFocus(w);
    if (old != nullptr)
        Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(hWnd));
    if (s.focus == hWnd && Find(hWnd) != nullptr)
        Send(hWnd, WM_SETFOCUS, reinterpret_cast<WPARAM>(old));
    if (s.focus == hWnd)
        DialogFocusChanged(old, hWnd);
    return old;
}

HWND WINAPI GetActiveWindow() {
    return Sys().active;
}

HWND WINAPI GetForegroundWindow() {
    return Sys().active;
}

HWND WINAPI SetActiveWindow(HWND hWnd) {
    System& s = Sys();
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return nullptr;
    }
    w = TopLevelOf(w);
    if (!Activatable(w))
        return nullptr;
    HWND old = s.active;
    if (old == w->handle) {
        BringToTop(w);
        return old;
    }
    hWnd = w->handle;
    s.active = hWnd;
    BringToTop(w);
    Deactivate(old, hWnd);
    if (Window* o = Find(old))
        InvalidateFrame(o);
    if (s.active != hWnd || Find(hWnd) == nullptr)
        return old;
    Send(hWnd, WM_NCACTIVATE, TRUE, reinterpret_cast<LPARAM>(old));
    if (s.active != hWnd || Find(hWnd) == nullptr)
        return old;
    Send(hWnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, IsIconic(hWnd) ? 1 : 0),
         reinterpret_cast<LPARAM>(old));
    if (Window* n = Find(hWnd))
        InvalidateFrame(n);
    return old;
}

BOOL WINAPI SetForegroundWindow(HWND hWnd) {
    return SetActiveWindow(hWnd) != nullptr || GetActiveWindow() == hWnd;
}

BOOL WINAPI BringWindowToTop(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return FALSE;
    if (IsTopLevel(w))
        return SetForegroundWindow(hWnd);
    return SetWindowPos(hWnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

HWND WINAPI SetCapture(HWND hWnd) {
    HWND old = Sys().capture;
    Sys().capture = Find(hWnd) ? hWnd : nullptr;
    return old;
}

HWND WINAPI GetCapture() {
    return Sys().capture;
}

BOOL WINAPI ReleaseCapture() {
    Sys().capture = nullptr;
    return TRUE;
}
