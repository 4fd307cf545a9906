// Where windows are: rectangles, coordinate mapping, moving and sizing, hit testing.
#include "gdi/GdiInternal.h"
#include "user/WindowSystem.h"

#include <algorithm>

namespace win {

Insets FrameInsets(DWORD style, DWORD exStyle, bool topLevel) {
    Insets in;
    if (!topLevel)
        return in;
    bool framed = (style & (WS_BORDER | WS_DLGFRAME | WS_THICKFRAME)) != 0 ||
                  (exStyle & WS_EX_DLGMODALFRAME) != 0;
    if (framed)
        in = {kCellWidth, kCellHeight, kCellWidth, kCellHeight};
    return in;
}

Insets FrameInsets(const Window* w) {
    return FrameInsets(w->style, w->exStyle, IsTopLevel(w));
}

bool HasFrame(const Window* w) {
    Insets in = FrameInsets(w);
    return in.top != 0;
}

bool HasCaption(const Window* w) {
    return IsTopLevel(w) && (w->style & WS_CAPTION) == WS_CAPTION;
}

POINT ClientOrigin(const Window* w) {
    POINT p = {0, 0};
    if (w == nullptr || w == Sys().desktop)
        return p;
    POINT parent = ClientOrigin(w->parent);
    Insets in = FrameInsets(w);
    p.x = parent.x + w->rect.left + in.left;
    p.y = parent.y + w->rect.top + in.top;
    return p;
}

RECT ScreenRect(const Window* w) {
    if (w == nullptr || w == Sys().desktop)
        return ScreenBounds();
    POINT parent = ClientOrigin(w->parent);
    RECT r = w->rect;
    OffsetRect(&r, parent.x, parent.y);
    return r;
}

RECT ClientRectOf(const Window* w) {
    RECT r = {0, 0, 0, 0};
    if (w == nullptr)
        return r;
    Insets in = FrameInsets(w);
    r.right = std::max(0, static_cast<int>(w->rect.right - w->rect.left) - in.left - in.right);
    r.bottom = std::max(0, static_cast<int>(w->rect.bottom - w->rect.top) - in.top - in.bottom);
    return r;
}

int CellOf(int pixel, int cellSize) {
    return pixel >= 0 ? pixel / cellSize : -((-pixel + cellSize - 1) / cellSize);
}

RECT SnapToCells(RECT r) {
    int width = std::max(0, static_cast<int>(r.right - r.left));
    int height = std::max(0, static_cast<int>(r.bottom - r.top));
    r.left = CellOf(r.left, kCellWidth) * kCellWidth;
    r.top = CellOf(r.top, kCellHeight) * kCellHeight;
    width = (width + kCellWidth - 1) / kCellWidth * kCellWidth;
    height = (height + kCellHeight - 1) / kCellHeight * kCellHeight;
    r.right = r.left + width;
    r.bottom = r.top + height;
    return r;
}

RECT ScreenBounds() {
    SIZE size = gdi::ScreenSize();
    RECT r = {0, 0, size.cx, size.cy};
    return r;
}

namespace {

bool Contains(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

// The deepest visible child under a screen point; skipping disabled ones when asked, and
// statics that let clicks through to their parent.
Window* ChildAt(Window* w, POINT screen, bool skipDisabled) {
    for (Window* child : w->children) {
        if ((child->style & WS_VISIBLE) == 0)
            continue;
        if (!Contains(ScreenRect(child), screen))
            continue;
        if (skipDisabled && (child->style & WS_DISABLED) != 0)
            return w;
        if (skipDisabled &&
            Send(child->handle, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y)) == HTTRANSPARENT)
            continue;
        Window* again = Find(child->handle);
        if (again == nullptr)
            return w;
        return ChildAt(again, screen, skipDisabled);
    }
    return w;
}

void Restack(Window* w, HWND insertAfter) {
    auto& siblings = w->parent->children;
    auto it = std::find(siblings.begin(), siblings.end(), w);
    if (it == siblings.end())
        return;
    siblings.erase(it);
    if (insertAfter == HWND_BOTTOM) {
        siblings.push_back(w);
    } else if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST ||
               insertAfter == HWND_NOTOPMOST) {
        siblings.insert(siblings.begin(), w);
    } else {
        Window* after = Find(insertAfter);
        auto pos = std::find(siblings.begin(), siblings.end(), after);
        if (pos == siblings.end())
            siblings.insert(siblings.begin(), w);
        else
            siblings.insert(pos + 1, w);
    }
}

} // namespace

// Applies a new rectangle, Z order and visibility; shared by SetWindowPos and ShowWindow.
BOOL PlaceWindow(Window* w, WINDOWPOS wp) {
    HWND hwnd = w->handle;
    if (!(wp.flags & SWP_NOSENDCHANGING)) {
        Send(hwnd, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
        w = Find(hwnd);
        if (w == nullptr)
            return FALSE;
    }
    bool wasVisible = IsWindowVisible(hwnd) != FALSE;
    RECT oldScreen = ScreenRect(w);
    // What the window leaves includes the shadow it cast.
    if (CastsShadow(w))
        oldScreen = gdi::WithShadow(oldScreen);
    RECT old = w->rect;

    RECT target = {wp.x, wp.y, wp.x + std::max(0, wp.cx), wp.y + std::max(0, wp.cy)};
    if (wp.flags & SWP_NOMOVE)
        OffsetRect(&target, old.left - target.left, old.top - target.top);
    if (wp.flags & SWP_NOSIZE) {
        target.right = target.left + (old.right - old.left);
        target.bottom = target.top + (old.bottom - old.top);
    }
    if (IsTopLevel(w))
        target = SnapToCells(target);
    bool moved = target.left != old.left || target.top != old.top;
    bool sized = (target.right - target.left) != (old.right - old.left) ||
                 (target.bottom - target.top) != (old.bottom - old.top);
    w->rect = target;

    bool restacked = false;
    if (!(wp.flags & SWP_NOZORDER)) {
        auto& siblings = w->parent->children;
        std::vector<Window*> before = siblings;
        Restack(w, wp.hwndInsertAfter);
        restacked = before != siblings;
    }
    if (wp.flags & SWP_SHOWWINDOW)
        w->style |= WS_VISIBLE;
    if (wp.flags & SWP_HIDEWINDOW)
        w->style &= ~WS_VISIBLE;
    bool nowVisible = IsWindowVisible(hwnd) != FALSE;

    if (!(wp.flags & SWP_NOREDRAW)) {
        if (wasVisible && (moved || sized || !nowVisible || restacked))
            ExposeScreenRect(w->parent, oldScreen, nowVisible && !restacked ? w : nullptr);
        if (nowVisible &&
            (moved || sized || !wasVisible || restacked || (wp.flags & SWP_FRAMECHANGED)))
            InvalidateAll(w);
    }
    wp.x = target.left;
    wp.y = target.top;
    wp.cx = target.right - target.left;
    wp.cy = target.bottom - target.top;
    if (moved || sized || (wp.flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED)) ||
        restacked) {
        if (!moved)
            wp.flags |= SWP_NOMOVE;
        if (!sized)
            wp.flags |= SWP_NOSIZE;
        Send(hwnd, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
    }
    return TRUE;
}

} // namespace win

using namespace win;

BOOL WINAPI GetWindowRect(HWND hWnd, LPRECT rect) {
    Window* w = Find(hWnd);
    if (w == nullptr || rect == nullptr) {
        SetLastError(1400); // ERROR_INVALID_WINDOW_HANDLE
        return FALSE;
    }
    *rect = ScreenRect(w);
    return TRUE;
}

BOOL WINAPI GetClientRect(HWND hWnd, LPRECT rect) {
    Window* w = Find(hWnd);
    if (w == nullptr || rect == nullptr) {
        SetLastError(1400);
        return FALSE;
    }
    *rect = w == Sys().desktop ? ScreenBounds() : ClientRectOf(w);
    return TRUE;
}

BOOL WINAPI ClientToScreen(HWND hWnd, LPPOINT point) {
    Window* w = Find(hWnd);
    if (w == nullptr || point == nullptr)
        return FALSE;
    POINT origin = ClientOrigin(w);
    point->x += origin.x;
    point->y += origin.y;
    return TRUE;
}

BOOL WINAPI ScreenToClient(HWND hWnd, LPPOINT point) {
    Window* w = Find(hWnd);
    if (w == nullptr || point == nullptr)
        return FALSE;
    POINT origin = ClientOrigin(w);
    point->x -= origin.x;
    point->y -= origin.y;
    return TRUE;
}

int WINAPI MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
    POINT a = {0, 0};
    POINT b = {0, 0};
    if (from != nullptr) {
        Window* w = Find(from);
        if (w == nullptr) {
            SetLastError(1400);
            return 0;
        }
        a = ClientOrigin(w);
    }
    if (to != nullptr) {
        Window* w = Find(to);
        if (w == nullptr) {
            SetLastError(1400);
            return 0;
        }
        b = ClientOrigin(w);
    }
    int dx = a.x - b.x;
    int dy = a.y - b.y;
    for (UINT i = 0; points != nullptr && i < count; ++i) {
        points[i].x += dx;
        points[i].y += dy;
    }
    SetLastError(0);
    return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL WINAPI SetWindowPos(HWND hWnd, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
    Window* w = Find(hWnd);
    if (w == nullptr || w == Sys().desktop) {
        SetLastError(1400);
        return FALSE;
    }
    WINDOWPOS wp = {hWnd, insertAfter, x, y, cx, cy, flags};
    bool show = (flags & SWP_SHOWWINDOW) && !(w->style & WS_VISIBLE);
    bool hide = (flags & SWP_HIDEWINDOW) && (w->style & WS_VISIBLE);
    if (show || hide) {
        // Visibility changes go through ShowWindow's rules (focus, activation).
        wp.flags &= ~(SWP_SHOWWINDOW | SWP_HIDEWINDOW);
        if (hide)
            ShowWindow(hWnd, SW_HIDE);
        if (!PlaceWindow(w, wp))
            return FALSE;
        if (show)
            ShowWindow(hWnd, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
        return TRUE;
    }
    return PlaceWindow(w, wp);
}

BOOL WINAPI MoveWindow(HWND hWnd, int x, int y, int width, int height, BOOL repaint) {
    return SetWindowPos(hWnd, nullptr, x, y, width, height,
                        SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL WINAPI AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL, DWORD exStyle) {
    if (rect == nullptr)
        return FALSE;
    Insets in = FrameInsets(style, exStyle, (style & WS_CHILD) == 0);
    rect->left -= in.left;
    rect->top -= in.top;
    rect->right += in.right;
    rect->bottom += in.bottom;
    return TRUE;
}

HWND WINAPI WindowFromPoint(POINT point) {
    Window* desktop = Desktop();
    for (Window* top : desktop->children) {
        if ((top->style & WS_VISIBLE) == 0 || !Contains(ScreenRect(top), point))
            continue;
        if (top->style & WS_DISABLED)
            return top->handle;
        return ChildAt(top, point, true)->handle;
    }
    return desktop->handle;
}

HWND WINAPI ChildWindowFromPoint(HWND parent, POINT point) {
    Window* w = Find(parent);
    if (w == nullptr)
        return nullptr;
    POINT screen = point;
    ClientToScreen(parent, &screen);
    RECT client = ClientRectOf(w);
    if (!Contains(client, point))
        return nullptr;
    for (Window* child : w->children)
        if (Contains(ScreenRect(child), screen))
            return child->handle;
    return parent;
}
