// The static control: a text (left, centred or right, "&" marking a mnemonic unless
// SS_NOPREFIX), an icon, or a plain rectangle.
#include "Control.h"

#include <algorithm>
#include <cctype>
#include <string_view>
#include <vector>

namespace win {

namespace {

struct StaticState : WindowState {
    HFONT font = nullptr;
    HICON icon = nullptr;
    // The size the template (or the program) gave; the text may take more where it is free.
    SIZE home{0, 0};
    bool fitting = false;
};

StaticState* State(HWND hwnd) {
    return ControlState<StaticState>(hwnd);
}

DWORD TypeOf(HWND hwnd) {
    return StyleOf(hwnd) & SS_TYPEMASK;
}

// A full path (a drive and a backslash, or two backslashes) on a line of its own: too long
// for its cells, it is shortened in its middle, as SS_PATHELLIPSIS asks, so that its drive
// and its file name stay in view.
bool LooksLikePath(const std::string& text) {
    bool drive = text.size() > 3 && std::isalpha(static_cast<unsigned char>(text[0])) &&
                 text[1] == ':' && text[2] == '\\';
    bool unc = text.size() > 2 && text[0] == '\\' && text[1] == '\\';
    return (drive || unc) && text.find_first_of("\r\n") == std::string::npos;
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
        if (style & SS_NOPREFIX)
            format |= DT_NOPREFIX;
        if ((style & SS_ELLIPSISMASK) == SS_PATHELLIPSIS || LooksLikePath(w->text)) {
            format |= DT_PATH_ELLIPSIS | DT_SINGLELINE;
            format &= ~static_cast<UINT>(DT_WORDBREAK);
        } else {
            // A text that does not fit even the free cells around it shows that it is cut.
            format |= DT_END_ELLIPSIS;
        }
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

bool ShowsText(HWND hwnd) {
    DWORD type = TypeOf(hwnd);
    return type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT || type == SS_SIMPLE ||
           type == SS_LEFTNOWORDWRAP;
}

// The cells a text takes on one line, without its mnemonic marks.
// A text's size in cells does not depend on where it is drawn: it is measured on the screen's
// context, which needs no clipping worked out as a window's does.
int TextCells(HWND hwnd, const std::string& text) {
    // Without a mnemonic, tab or line break each byte takes one cell, as DrawText lays it out.
    if (text.find_first_of(std::string_view("&\t\r\n\0", 5)) == std::string::npos)
        return static_cast<int>(text.size());
    HDC hdc = GetDC(nullptr);
    RECT r{0, 0, 0x4000 * kCellWidth, kCellHeight};
    UINT format = DT_SINGLELINE | DT_CALCRECT | DT_EXPANDTABS;
    if (StyleOf(hwnd) & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
    ReleaseDC(nullptr, hdc);
    return (r.right - r.left + kCellWidth - 1) / kCellWidth;
}

int RowsNeeded(HWND hwnd, const std::string& text, int columns) {
    HDC hdc = GetDC(nullptr);
    RECT r{0, 0, columns * kCellWidth, kCellHeight};
    UINT format = DT_WORDBREAK | DT_CALCRECT | DT_EXPANDTABS;
    if (StyleOf(hwnd) & SS_NOPREFIX)
        format |= DT_NOPREFIX;
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
    ReleaseDC(nullptr, hdc);
    return std::max<int>(1, static_cast<int>((r.bottom - r.top) / kCellHeight));
}

// Whether a block of cells of the parent's client area (in pixels) is free of the control's
// shown siblings.
bool Free(const Window* w, const RECT& cells) {
    for (const Window* sibling : w->parent->children) {
        if (sibling == w || !(sibling->style & WS_VISIBLE))
            continue;
        RECT overlap;
        if (IntersectRect(&overlap, &sibling->rect, &cells))
            return false;
    }
    return true;
}

} // namespace

void FitStaticToText(HWND hwnd) {
    Window* w = Find(hwnd);
    StaticState* s = State(hwnd);
    if (w == nullptr || s == nullptr || w->parent == nullptr || IsTopLevel(w) || !ShowsText(hwnd) ||
        s->fitting)
        return;
    RECT home{w->rect.left, w->rect.top, w->rect.left + s->home.cx, w->rect.top + s->home.cy};
    RECT fitted = home;
    RECT parent = ClientRectOf(w->parent);
    int needed = w->text.empty() ? 0 : TextCells(hwnd, w->text) * kCellWidth;
    if (needed > home.right - home.left) {
        // To the right, up to the margin the text keeps on its left, and a cell short of any
        // control in the way.
        int limit = std::max<int>(home.right, parent.right - std::max<int>(home.left, kCellWidth));
        int right = home.right;
        while (right < home.left + needed && right + kCellWidth <= limit) {
            RECT column{right, home.top, right + 2 * kCellWidth, home.bottom};
            if (!Free(w, column))
                break;
            right += kCellWidth;
        }
        fitted.right = right;
        DWORD type = TypeOf(hwnd);
        bool wraps = (type == SS_LEFT || type == SS_CENTER || type == SS_RIGHT) &&
                     (w->style & SS_ELLIPSISMASK) != SS_PATHELLIPSIS && !LooksLikePath(w->text);
        if (wraps && right < home.left + needed) {
            // Then below, row by row, while the rows are free.
            int rows = RowsNeeded(hwnd, w->text, (right - home.left) / kCellWidth);
            while ((fitted.bottom - fitted.top) / kCellHeight < rows &&
                   fitted.bottom + kCellHeight <= parent.bottom) {
                RECT row{fitted.left, fitted.bottom, fitted.right, fitted.bottom + kCellHeight};
                if (!Free(w, row))
                    break;
                fitted.bottom += kCellHeight;
            }
        }
    }
    if (EqualRect(&fitted, &w->rect))
        return;
    RECT before = w->rect;
    s->fitting = true;
    SetWindowPos(hwnd, nullptr, 0, 0, fitted.right - fitted.left, fitted.bottom - fitted.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    if ((s = State(hwnd)) != nullptr)
        s->fitting = false;
    // What the text gave up shows the parent again.
    if (Window* again = Find(hwnd); again != nullptr && again->parent != nullptr) {
        RECT uncovered;
        UnionRect(&uncovered, &before, &again->rect);
        InvalidateRect(again->parent->handle, &uncovered, TRUE);
    }
}

void MakeRoomForLabels(HWND dialog) {
    Window* d = Find(dialog);
    if (d == nullptr)
        return;
    std::vector<HWND> statics;
    for (Window* child : d->children)
        if (child->cls && child->cls->name == "Static" && ShowsText(child->handle) &&
            !child->text.empty() && (child->style & WS_VISIBLE))
            statics.push_back(child->handle);
    for (HWND label : statics) {
        Window* l = Find(label);
        if (l == nullptr || l->rect.bottom - l->rect.top > kCellHeight)
            continue;
        int end = l->rect.left + TextCells(label, l->text) * kCellWidth;
        // The nearest control on the label's row to its right.
        Window* next = nullptr;
        for (Window* sibling : d->children)
            if (sibling != l && (sibling->style & WS_VISIBLE) &&
                sibling->rect.left > l->rect.left && sibling->rect.top < l->rect.bottom &&
                sibling->rect.bottom > l->rect.top &&
                (next == nullptr || sibling->rect.left < next->rect.left))
                next = sibling;
        if (next == nullptr || end + kCellWidth <= next->rect.left)
            continue;
        // The label reaches the field beside it: that field, and every control lined up with
        // it, start a little further right, keeping a blank cell after the label.
        int shift = end + kCellWidth - next->rect.left;
        int column = next->rect.left;
        if (shift > 4 * kCellWidth)
            continue;
        bool roomy = true;
        for (Window* sibling : d->children)
            if (sibling->rect.left == column &&
                sibling->rect.right - sibling->rect.left < shift + 8 * kCellWidth)
                roomy = false;
        if (!roomy)
            continue;
        std::vector<HWND> lined;
        for (Window* sibling : d->children)
            if (sibling->rect.left == column)
                lined.push_back(sibling->handle);
        for (HWND h : lined) {
            Window* c = Find(h);
            if (c == nullptr)
                continue;
            SetWindowPos(h, nullptr, c->rect.left + shift, c->rect.top,
                         c->rect.right - c->rect.left - shift, c->rect.bottom - c->rect.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
    for (HWND label : statics)
        FitStaticToText(label);
}

LRESULT CALLBACK StaticProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        StaticState* created = State(hwnd);
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (created != nullptr && cs != nullptr)
            created->home = SIZE{cs->cx, cs->cy};
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
            FitStaticToText(hwnd);
        }
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        // A size the program gives is the new size to fit the text from.
        StaticState* s = State(hwnd);
        auto* pos = reinterpret_cast<const WINDOWPOS*>(lParam);
        if (s != nullptr && pos != nullptr && !s->fitting && !(pos->flags & SWP_NOSIZE))
            s->home = SIZE{pos->cx, pos->cy};
        return DefWindowProcA(hwnd, message, wParam, lParam);
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
        // Only an icon control takes an icon; any other static leaves it.
        if (TypeOf(hwnd) != SS_ICON)
            return 0;
        return reinterpret_cast<LRESULT>(SetIcon(hwnd, reinterpret_cast<HICON>(wParam)));
    case STM_GETICON: {
        StaticState* s = State(hwnd);
        return reinterpret_cast<LRESULT>(s ? s->icon : nullptr);
    }
    case STM_SETIMAGE:
        if (wParam == IMAGE_ICON && TypeOf(hwnd) == SS_ICON)
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
