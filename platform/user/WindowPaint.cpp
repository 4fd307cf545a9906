// Painting: update regions (kept as bounding rectangles), WM_PAINT scheduling, device
// contexts for windows, the frames of top-level windows and the desktop.
#include "gdi/GdiInternal.h"
#include "user/Dialog.h"
#include "user/WindowSystem.h"

#include <algorithm>

namespace win {

namespace {

bool Empty(const RECT& r) {
    return r.right <= r.left || r.bottom <= r.top;
}

RECT Intersect(const RECT& a, const RECT& b) {
    RECT r = {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
              std::min(a.bottom, b.bottom)};
    if (Empty(r))
        r = {0, 0, 0, 0};
    return r;
}

RECT Union(const RECT& a, const RECT& b) {
    if (Empty(a))
        return b;
    if (Empty(b))
        return a;
    RECT r = {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
              std::max(a.bottom, b.bottom)};
    return r;
}

bool Visible(const Window* w) {
    for (; w != nullptr && w != Sys().desktop; w = w->parent)
        if ((w->style & WS_VISIBLE) == 0)
            return false;
    return w != nullptr;
}

void AddUpdate(Window* w, const RECT& r, bool erase) {
    w->update = w->updatePending ? Union(w->update, r) : r;
    w->updatePending = true;
    w->erasePending = w->erasePending || erase;
}

// Whether a visible window of the tree has a frame or client area to paint: most looks for
// the next window to paint find none, and this look allocates nothing and changes nothing.
bool AnyPending(const Window* w) {
    if ((w->style & WS_VISIBLE) == 0)
        return false;
    if (w->framePending || w->updatePending)
        return true;
    for (const Window* child : w->children)
        if (AnyPending(child))
            return true;
    return false;
}

Window* FindPending(Window* w) {
    if (!AnyPending(w))
        return nullptr;
    if (w->framePending) {
        HWND hwnd = w->handle;
        PaintFrame(w);
        w = Find(hwnd);
        if (w == nullptr)
            return nullptr;
    }
    if (w->updatePending)
        return w;
    std::vector<HWND> children;
    children.reserve(w->children.size());
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        children.push_back((*it)->handle);
    for (HWND child : children) {
        Window* c = Find(child);
        if (c == nullptr)
            continue;
        if (Window* found = FindPending(c))
            return found;
    }
    return nullptr;
}

void PaintDesktop() {
    Window* desktop = Desktop();
    if (!desktop->updatePending)
        return;
    RECT r = Intersect(desktop->update, desktop->rect);
    desktop->updatePending = false;
    desktop->erasePending = false;
    if (!Empty(r))
        gdi::FillDesktop(r);
}

void UpdateTree(HWND hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr || (w->style & WS_VISIBLE) == 0)
        return;
    if (w->framePending) {
        PaintFrame(w);
        w = Find(hwnd);
        if (w == nullptr)
            return;
    }
    if (w->updatePending) {
        Send(hwnd, WM_PAINT);
        w = Find(hwnd);
        if (w == nullptr)
            return;
        // A procedure that painted nothing is not asked again and again.
        w->updatePending = false;
        w->erasePending = false;
    }
    std::vector<HWND> children;
    children.reserve(w->children.size());
    for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
        children.push_back((*it)->handle);
    for (HWND child : children)
        UpdateTree(child);
}

// Shadows go on last, over whatever the windows under them painted since.
void DrawShadows() {
    std::vector<HWND> shadowed;
    for (Window* top : Desktop()->children)
        if (CastsShadow(top))
            shadowed.push_back(top->handle);
    for (HWND hwnd : shadowed)
        gdi::DrawWindowShadow(hwnd);
}

} // namespace

bool CastsShadow(const Window* w) {
    if (w == nullptr || !IsTopLevel(w) || !Visible(w))
        return false;
    const auto* dialog = dynamic_cast<const DialogState*>(w->state.get());
    return dialog != nullptr && dialog->modal;
}

void Invalidate(Window* w, const RECT* clientRect, bool erase, bool allChildren) {
    if (w == nullptr)
        return;
    if (w == Sys().desktop) {
        RECT r = clientRect ? Intersect(*clientRect, ScreenBounds()) : ScreenBounds();
        if (!Empty(r))
            AddUpdate(w, r, true);
        return;
    }
    if (!Visible(w))
        return;
    RECT client = ClientRectOf(w);
    RECT r = clientRect ? Intersect(*clientRect, client) : client;
    if (Empty(r))
        return;
    AddUpdate(w, r, erase);
    // A window's device context does not leave out its children's cells (not even with
    // WS_CLIPCHILDREN), so the children it overlaps are painted again after it.
    (void)allChildren;
    for (Window* child : w->children) {
        RECT overlap = Intersect(r, child->rect);
        if (Empty(overlap))
            continue;
        OffsetRect(&overlap, -child->rect.left, -child->rect.top);
        Invalidate(child, &overlap, erase, allChildren);
    }
}

void InvalidateFrame(Window* w) {
    if (w != nullptr && IsTopLevel(w) && HasFrame(w) && Visible(w))
        w->framePending = true;
}

void InvalidateAll(Window* w) {
    if (w == nullptr || !Visible(w))
        return;
    InvalidateFrame(w);
    Invalidate(w, nullptr, true, true);
}

void ExposeScreenRect(Window* parent, const RECT& screenRect, const Window* except) {
    if (parent == nullptr || Empty(screenRect))
        return;
    if (parent == Sys().desktop) {
        Invalidate(parent, &screenRect, true);
        for (Window* top : parent->children) {
            if (top == except || !Visible(top))
                continue;
            RECT window = ScreenRect(top);
            RECT overlap = Intersect(window, screenRect);
            if (Empty(overlap))
                continue;
            InvalidateFrame(top);
            POINT origin = ClientOrigin(top);
            OffsetRect(&overlap, -origin.x, -origin.y);
            Invalidate(top, &overlap, true, true);
        }
        return;
    }
    POINT origin = ClientOrigin(parent);
    RECT r = screenRect;
    OffsetRect(&r, -origin.x, -origin.y);
    Invalidate(parent, &r, true, true);
}

Window* NextWindowToPaint() {
    Window* desktop = Desktop();
    PaintDesktop();
    if (std::none_of(desktop->children.begin(), desktop->children.end(), AnyPending)) {
        DrawShadows();
        return nullptr;
    }
    std::vector<HWND> tops;
    tops.reserve(desktop->children.size());
    for (auto it = desktop->children.rbegin(); it != desktop->children.rend(); ++it)
        tops.push_back((*it)->handle);
    for (HWND top : tops) {
        Window* w = Find(top);
        if (w == nullptr)
            continue;
        if (Window* found = FindPending(w))
            return found;
    }
    DrawShadows();
    return nullptr;
}

void PaintFrame(Window* w) {
    w->framePending = false;
    Send(w->handle, WM_NCPAINT, 1);
}

RECT CloseBoxRect(const Window* w) {
    RECT r = {0, 0, 0, 0};
    if (!HasCaption(w) || (w->style & WS_SYSMENU) == 0)
        return r;
    RECT window = ScreenRect(w);
    if (window.right - window.left < 8 * kCellWidth)
        return r;
    // A window whose Close is grayed (a message box without Cancel) shows no close box.
    if (w->sysMenu != nullptr) {
        UINT state = GetMenuState(w->sysMenu, SC_CLOSE, MF_BYCOMMAND);
        if (state != static_cast<UINT>(-1) && (state & (MF_GRAYED | MF_DISABLED)))
            return r;
    }
    r = {window.right - 4 * kCellWidth, window.top, window.right - kCellWidth,
         window.top + kCellHeight};
    return r;
}

void DrawFrame(Window* w) {
    if (!HasFrame(w))
        return;
    HDC hdc = gdi::CreateWindowDC(w->handle, false);
    if (hdc == nullptr)
        return;
    RECT r = {0, 0, w->rect.right - w->rect.left, w->rect.bottom - w->rect.top};
    bool active = Sys().active == w->handle;
    gdi::DrawWindowFrame(hdc, r, w->text.c_str(), HasCaption(w), active);
    RECT box = CloseBoxRect(w);
    if (!Empty(box)) {
        SetBkColor(hdc, GetSysColor(active ? COLOR_ACTIVECAPTION : COLOR_INACTIVECAPTION));
        SetTextColor(hdc, GetSysColor(active ? COLOR_CAPTIONTEXT : COLOR_INACTIVECAPTIONTEXT));
        SetBkMode(hdc, OPAQUE);
        ExtTextOutA(hdc, box.left - w->rect.left, 0, 0, nullptr, "[X]", 3, nullptr);
    }
    gdi::ReleaseWindowDC(hdc);
}

void ValidateAll(Window* w) {
    w->updatePending = false;
    w->erasePending = false;
    w->framePending = false;
    for (Window* child : w->children)
        ValidateAll(child);
}

} // namespace win

using namespace win;

BOOL WINAPI InvalidateRect(HWND hWnd, const RECT* rect, BOOL erase) {
    if (hWnd == nullptr) {
        InvalidateAll(Desktop());
        Invalidate(Desktop(), nullptr, true);
        for (Window* top : Desktop()->children)
            InvalidateAll(top);
        return TRUE;
    }
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return FALSE;
    }
    Invalidate(w, rect, erase != FALSE);
    return TRUE;
}

BOOL WINAPI ValidateRect(HWND hWnd, const RECT* rect) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return FALSE;
    if (rect == nullptr) {
        w->updatePending = false;
        w->erasePending = false;
        return TRUE;
    }
    const RECT& u = w->update;
    if (rect->left <= u.left && rect->top <= u.top && rect->right >= u.right &&
        rect->bottom >= u.bottom) {
        w->updatePending = false;
        w->erasePending = false;
    } else if (rect->left <= u.left && rect->right >= u.right) {
        // Whole rows validated: keep what is above or below them.
        if (rect->top <= u.top && rect->bottom > u.top)
            w->update.top = rect->bottom;
        else if (rect->bottom >= u.bottom && rect->top < u.bottom)
            w->update.bottom = rect->top;
    }
    return TRUE;
}

BOOL WINAPI RedrawWindow(HWND hWnd, const RECT* update, HRGN, UINT flags) {
    Window* w = hWnd ? Find(hWnd) : Desktop();
    if (w == nullptr)
        return FALSE;
    if (flags & RDW_INVALIDATE) {
        if (flags & RDW_FRAME)
            InvalidateFrame(w);
        Invalidate(w, update, (flags & RDW_ERASE) != 0, (flags & RDW_ALLCHILDREN) != 0);
    }
    if (flags & RDW_VALIDATE) {
        ValidateRect(w->handle, update);
        if (flags & RDW_NOFRAME)
            w->framePending = false;
    }
    if (flags & (RDW_UPDATENOW | RDW_ERASENOW))
        UpdateWindow(w->handle);
    return TRUE;
}

BOOL WINAPI GetUpdateRect(HWND hWnd, LPRECT rect, BOOL) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return FALSE;
    if (rect != nullptr)
        *rect = w->updatePending ? w->update : RECT{0, 0, 0, 0};
    return w->updatePending;
}

BOOL WINAPI UpdateWindow(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return FALSE;
    if (w == Sys().desktop) {
        for (int guard = 0; guard < 100000; ++guard) {
            Window* next = NextWindowToPaint();
            if (next == nullptr)
                break;
            UpdateTree(next->handle);
        }
        return TRUE;
    }
    if (!IsWindowVisible(hWnd))
        return TRUE;
    UpdateTree(hWnd);
    return TRUE;
}

HDC WINAPI BeginPaint(HWND hWnd, LPPAINTSTRUCT paint) {
    Window* w = Find(hWnd);
    if (w == nullptr || paint == nullptr)
        return nullptr;
    if (w->framePending) {
        PaintFrame(w);
        w = Find(hWnd);
        if (w == nullptr)
            return nullptr;
    }
    RECT update = w->updatePending ? w->update : RECT{0, 0, 0, 0};
    bool erase = w->erasePending;
    w->updatePending = false;
    w->erasePending = false;
    // The window paints over its children's cells, also over children painted before it
    // (a page shown while its parent still had an old update pending): they paint again after.
    for (Window* child : w->children) {
        RECT overlap = Intersect(update, child->rect);
        if (Empty(overlap))
            continue;
        OffsetRect(&overlap, -child->rect.left, -child->rect.top);
        Invalidate(child, &overlap, true, true);
    }
    HDC hdc = gdi::CreateWindowDC(hWnd, true);
    if (hdc == nullptr)
        return nullptr;
    gdi::ClipToUpdateRect(hdc, update);
    *paint = PAINTSTRUCT{};
    paint->hdc = hdc;
    paint->rcPaint = update;
    paint->fErase = TRUE;
    if (erase && !Empty(update))
        paint->fErase = Send(hWnd, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc)) ? FALSE : TRUE;
    return hdc;
}

BOOL WINAPI EndPaint(HWND, const PAINTSTRUCT* paint) {
    if (paint == nullptr || paint->hdc == nullptr)
        return FALSE;
    gdi::ReleaseWindowDC(paint->hdc);
    return TRUE;
}

HDC WINAPI GetDC(HWND hWnd) {
    if (hWnd != nullptr && Find(hWnd) == nullptr)
        return nullptr;
    if (hWnd == Sys().desktop->handle)
        hWnd = nullptr;
    return gdi::CreateWindowDC(hWnd, true);
}

HDC WINAPI GetWindowDC(HWND hWnd) {
    if (hWnd != nullptr && Find(hWnd) == nullptr)
        return nullptr;
    if (hWnd == Sys().desktop->handle)
        hWnd = nullptr;
    return gdi::CreateWindowDC(hWnd, false);
}

int WINAPI ReleaseDC(HWND, HDC dc) {
    return gdi::ReleaseWindowDC(dc) ? 1 : 0;
}

int WINAPI GetSystemMetrics(int index) {
    SIZE screen = gdi::ScreenSize();
    switch (index) {
    case SM_CXSCREEN:
    case SM_CXFULLSCREEN:
    case SM_CXMAXIMIZED:
        return screen.cx;
    case SM_CYSCREEN:
    case SM_CYMAXIMIZED:
        return screen.cy;
    case SM_CYFULLSCREEN:
        return screen.cy - kCellHeight;
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXICONSPACING:
    case SM_CYICONSPACING:
        return 64;
    case SM_CYCAPTION:
    case SM_CYSMCAPTION:
    case SM_CYMENU:
    case SM_CYDLGFRAME:
    case SM_CYFRAME:
    case SM_CYHSCROLL:
    case SM_CYVTHUMB:
    case SM_CYVSCROLL:
    case SM_CYSIZE:
        return kCellHeight;
    case SM_CXDLGFRAME:
    case SM_CXFRAME:
    case SM_CXVSCROLL:
    case SM_CXHTHUMB:
    case SM_CXHSCROLL:
    case SM_CXSIZE:
        return kCellWidth;
    case SM_CXBORDER:
    case SM_CYBORDER:
    case SM_CXEDGE:
    case SM_CYEDGE:
        return 1;
    case SM_CXMIN:
    case SM_CXMINTRACK:
        return 16 * kCellWidth;
    case SM_CYMIN:
    case SM_CYMINTRACK:
        return 3 * kCellHeight;
    case SM_CXDOUBLECLK:
    case SM_CYDOUBLECLK:
        return 4;
    case SM_MOUSEPRESENT:
        return 1;
    case SM_CMOUSEBUTTONS:
        return 3;
    case SM_DBCSENABLED:
        return GetACP() == 932 ? 1 : 0;
    case SM_CXMENUCHECK:
        return kCellWidth;
    case SM_CMONITORS:
        return 1;
    default:
        return 0;
    }
}
