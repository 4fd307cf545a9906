// The default window procedure: what every window does with a message its own procedure
// leaves alone.
#include "user/WindowSystem.h"

#include <cstring>

namespace win {
// The system menu's popup (Menu.cpp).
void RunSystemMenu(HWND hwnd);
} // namespace win

using namespace win;

namespace {

LRESULT CopyText(const std::string& text, WPARAM size, LPARAM buffer) {
    char* out = reinterpret_cast<char*>(buffer);
    if (out == nullptr || size == 0)
        return 0;
    size_t length = text.size();
    if (length > size - 1) {
        length = size - 1;
        // Never leave half of a double-byte character at the end.
        size_t cut = 0;
        while (cut < length) {
            size_t next = NextCharOffset(text, cut);
            if (next > length)
                break;
            cut = next;
        }
        length = cut;
    }
    memcpy(out, text.data(), length);
    out[length] = '\0';
    return static_cast<LRESULT>(length);
}

HBRUSH ColorBrushFor(UINT message, HDC hdc) {
    int background = COLOR_3DFACE;
    if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX)
        background = COLOR_WINDOW;
    SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(hdc, GetSysColor(background));
    return GetSysColorBrush(background);
}

void EraseBackground(HWND hwnd, HDC hdc) {
    Window* w = Find(hwnd);
    if (w == nullptr || w->cls == nullptr)
        return;
    HBRUSH brush = w->cls->wc.hbrBackground;
    if (brush == nullptr)
        return;
    uintptr_t value = reinterpret_cast<uintptr_t>(brush);
    if (value <= COLOR_INFOBK + 1)
        brush = GetSysColorBrush(static_cast<int>(value - 1));
    RECT r = ClientRectOf(w);
    FillRect(hdc, &r, brush);
}

} // namespace

LRESULT WINAPI DefWindowProcA(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* w = Find(hWnd);
    if (w == nullptr)
        return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName))
            w->text = cs->lpszName;
        return TRUE;
    }
    case WM_SETTEXT:
        w->text = lParam ? reinterpret_cast<LPCSTR>(lParam) : "";
        if (IsTopLevel(w)) {
            InvalidateFrame(w);
        }
        return TRUE;
    case WM_GETTEXT:
        return CopyText(w->text, wParam, lParam);
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_SYSCOMMAND:
        switch (wParam & 0xFFF0) {
        case SC_CLOSE:
            Send(hWnd, WM_CLOSE);
            return 0;
        case SC_MINIMIZE:
            ShowWindow(hWnd, SW_MINIMIZE);
            return 0;
        case SC_RESTORE:
            ShowWindow(hWnd, SW_RESTORE);
            return 0;
        case SC_MAXIMIZE:
            ShowWindow(hWnd, SW_SHOWMAXIMIZED);
            return 0;
        case SC_KEYMENU:
            if (lParam == ' ')
                RunSystemMenu(hWnd);
            return 0;
        default:
            return 0;
        }
    case WM_SYSKEYDOWN:
        if (wParam == VK_F4 && (lParam & (1L << 29))) {
            Window* top = TopLevelOf(w);
            if (top != nullptr && top != Sys().desktop)
                PostMessageA(top->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
        }
        return 0;
    case WM_SYSCHAR:
        if (wParam == ' ' && (lParam & (1L << 29))) {
            if ((w->style & WS_CHILD) && w->parent != nullptr)
                return Send(w->parent->handle, message, wParam, lParam);
            Send(hWnd, WM_SYSCOMMAND, SC_KEYMENU, ' ');
        }
        return 0;
    case WM_ERASEBKGND:
    case WM_ICONERASEBKGND:
        EraseBackground(hWnd, reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        if (BeginPaint(hWnd, &ps) != nullptr)
            EndPaint(hWnd, &ps);
        return 0;
    }
    case WM_NCPAINT:
        DrawFrame(w);
        return 0;
    case WM_NCACTIVATE:
        InvalidateFrame(w);
        return TRUE;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam))
            SetFocus(hWnd);
        return 0;
    case WM_MOUSEACTIVATE:
        if ((w->style & WS_CHILD) && w->parent != nullptr) {
            LRESULT r = Send(w->parent->handle, WM_MOUSEACTIVATE, wParam, lParam);
            if (r != 0)
                return r;
        }
        return MA_ACTIVATE;
    case WM_NCHITTEST: {
        POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        RECT window = ScreenRect(w);
        if (p.x < window.left || p.x >= window.right || p.y < window.top || p.y >= window.bottom)
            return HTNOWHERE;
        POINT origin = ClientOrigin(w);
        RECT client = ClientRectOf(w);
        OffsetRect(&client, origin.x, origin.y);
        if (p.x >= client.left && p.x < client.right && p.y >= client.top && p.y < client.bottom)
            return HTCLIENT;
        if (HasCaption(w) && p.y < window.top + kCellHeight)
            return HTCAPTION;
        return HTBORDER;
    }
    case WM_SETICON: {
        HICON old = wParam == ICON_BIG ? w->iconBig : w->iconSmall;
        if (wParam == ICON_BIG)
            w->iconBig = reinterpret_cast<HICON>(lParam);
        else
            w->iconSmall = reinterpret_cast<HICON>(lParam);
        return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON:
        return reinterpret_cast<LRESULT>(wParam == ICON_BIG ? w->iconBig : w->iconSmall);
    case WM_QUERYDRAGICON:
        return reinterpret_cast<LRESULT>(w->cls ? w->cls->wc.hIcon : nullptr);
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<LRESULT>(ColorBrushFor(message, reinterpret_cast<HDC>(wParam)));
    case WM_WINDOWPOSCHANGED: {
        auto* wp = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (wp == nullptr)
            return 0;
        if (!(wp->flags & SWP_NOSIZE)) {
            RECT client = ClientRectOf(w);
            Send(hWnd, WM_SIZE, IsIconic(hWnd) ? SIZE_MINIMIZED : SIZE_RESTORED,
                 MAKELPARAM(client.right, client.bottom));
            w = Find(hWnd);
            if (w == nullptr)
                return 0;
        }
        if (!(wp->flags & SWP_NOMOVE)) {
            POINT origin = ClientOrigin(w);
            POINT parentOrigin = ClientOrigin(w->parent);
            Send(hWnd, WM_MOVE, 0,
                 MAKELPARAM(origin.x - parentOrigin.x, origin.y - parentOrigin.y));
        }
        return 0;
    }
    case WM_GETMINMAXINFO:
    case WM_WINDOWPOSCHANGING:
    case WM_SHOWWINDOW:
    case WM_CANCELMODE:
        return 0;
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
        return TRUE;
    case WM_SETREDRAW:
        if (wParam)
            InvalidateAll(w);
        return 0;
    case WM_CONTEXTMENU:
    case WM_HELP:
    case WM_PARENTNOTIFY:
        return 0;
    default:
        return 0;
    }
}
