// The static control: a text (left, centred or right, "&" marking a mnemonic unless
// SS_NOPREFIX), an icon, or a plain rectangle.
#include "Control.h"

namespace win {

namespace {

struct StaticState : WindowState {
    HFONT font = nullptr;
    HICON icon = nullptr;
};

StaticState* State(HWND hwnd) {
    return ControlState<StaticState>(hwnd);
}

DWORD TypeOf(HWND hwnd) {
    return StyleOf(hwnd) & SS_TYPEMASK;
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr)
        return;
    Window* w = Find(hwnd);
    StaticState* s = State(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD style = w->style;
    DWORD type = style & SS_TYPEMASK;
    HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORSTATIC);
    switch (type) {
    case SS_BLACKRECT:
    case SS_BLACKFRAME:
        FillRect(hdc, &client, GetSysColorBrush(COLOR_WINDOWFRAME));
        break;
    case SS_GRAYRECT:
    case SS_GRAYFRAME:
        FillRect(hdc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
        break;
    case SS_WHITERECT:
    case SS_WHITEFRAME:
        FillRect(hdc, &client, GetSysColorBrush(COLOR_WINDOW));
        break;
    case SS_ICON:
        FillRect(hdc, &client, brush);
        if (s != nullptr && s->icon != nullptr)
            DrawIcon(hdc, 0, 0, s->icon);
        break;
    case SS_ETCHEDHORZ:
    case SS_ETCHEDVERT:
    case SS_ETCHEDFRAME:
        FillRect(hdc, &client, brush);
        DrawEdge(hdc, &client, EDGE_ETCHED,
                 type == SS_ETCHEDHORZ   ? BF_TOP
                 : type == SS_ETCHEDVERT ? BF_LEFT
                                         : BF_RECT);
        break;
    default: {
        FillRect(hdc, &client, brush);
        if (w->text.empty() || type == SS_OWNERDRAW || type == SS_BITMAP ||
            type == SS_ENHMETAFILE || type == SS_USERITEM)
            break;
        SelectControlFont(hwnd, s ? s->font : nullptr, hdc);
        if (style & WS_DISABLED)
            SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        SetBkMode(hdc, TRANSPARENT);
        UINT format = DT_EXPANDTABS;
        switch (type) {
        case SS_CENTER:
            format |= DT_CENTER | DT_WORDBREAK;
            break;
        case SS_RIGHT:
            format |= DT_RIGHT | DT_WORDBREAK;
            break;
        case SS_SIMPLE:
            format = DT_SINGLELINE;
            break;
        case SS_LEFTNOWORDWRAP:
            break;
        default:
            format |= DT_LEFT | DT_WORDBREAK;
            break;
        }
        // A one-row static keeps its text on its row: a text a cell too wide for the box
        // (cells are coarser than the fonts the templates were laid out for) loses its end
        // rather than all of its last word.
        if (client.bottom <= kCellHeight)
            format &= ~static_cast<UINT>(DT_WORDBREAK);
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        if (style & SS_ENDELLIPSIS)
            format |= DT_END_ELLIPSIS;
        else if ((style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS)
            format |= DT_PATH_ELLIPSIS;
        DrawTextA(hdc, w->text.c_str(), static_cast<int>(w->text.size()), &client, format);
        break;
    }
    }
    EndPaint(hwnd, &ps);
}

HICON SetIcon(HWND hwnd, HICON icon) {
    StaticState* s = State(hwnd);
    if (s == nullptr)
        return nullptr;
    HICON old = s->icon;
    s->icon = icon;
    InvalidateRect(hwnd, nullptr, TRUE);
    return old;
}

} // namespace

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        State(hwnd);
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (TypeOf(hwnd) == SS_ICON && cs != nullptr && cs->lpszName != nullptr) {
            // The text of an icon static names the icon resource.
            LPCSTR name = cs->lpszName;
            if (!IS_INTRESOURCE(name) && name[0] == '#') {
                int id = 0;
                for (const char* p = name + 1; *p >= '0' && *p <= '9' && id < 65536; ++p)
                    id = id * 10 + (*p - '0');
                name = MAKEINTRESOURCEA(id);
            }
            HICON icon =
                IS_INTRESOURCE(name) || name[0] != '\0' ? LoadIconA(cs->hInstance, name) : nullptr;
            if (icon == nullptr && cs->hInstance != nullptr)
                icon = LoadIconA(nullptr, name);
            if (StaticState* s = State(hwnd))
                s->icon = icon;
            return TRUE;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT: {
        LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        if (TypeOf(hwnd) == SS_ICON) {
            LPCSTR name = reinterpret_cast<LPCSTR>(lParam);
            Window* w = Find(hwnd);
            if (name != nullptr && w != nullptr)
                SetIcon(hwnd, LoadIconA(w->instance, name));
        } else {
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return result;
    }
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_SETFONT:
    case WM_GETFONT: {
        StaticState* s = State(hwnd);
        return AnswerFontMessage(hwnd, s ? &s->font : nullptr, message, wParam, lParam);
    }
    case STM_SETICON:
        return reinterpret_cast<LRESULT>(SetIcon(hwnd, reinterpret_cast<HICON>(wParam)));
    case STM_GETICON: {
        StaticState* s = State(hwnd);
        return reinterpret_cast<LRESULT>(s ? s->icon : nullptr);
    }
    case STM_SETIMAGE:
        if (wParam == IMAGE_ICON)
            return reinterpret_cast<LRESULT>(SetIcon(hwnd, reinterpret_cast<HICON>(lParam)));
        return 0;
    case STM_GETIMAGE:
        if (wParam == IMAGE_ICON) {
            StaticState* s = State(hwnd);
            return reinterpret_cast<LRESULT>(s ? s->icon : nullptr);
        }
        return 0;
    case WM_GETDLGCODE:
        return DLGC_STATIC;
    case WM_NCHITTEST: {
        Window* w = Find(hwnd);
        if (w != nullptr && !(w->style & SS_NOTIFY))
            return HTTRANSPARENT;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
        Notify(hwnd, STN_CLICKED);
        return 0;
    case WM_LBUTTONDBLCLK:
        Notify(hwnd, STN_DBLCLK);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace win
