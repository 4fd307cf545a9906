// The button control: push buttons ("[ label ]", the default one "< label >"), check boxes
// ("[X] label"), radio buttons ("(*) label") and group boxes. A click, Space, BM_CLICK or a
// mnemonic sends BN_CLICKED to the parent.
#include "Control.h"

#include <algorithm>

namespace win {

namespace {

struct ButtonState : WindowState {
    HFONT font = nullptr;
    UINT check = BST_UNCHECKED;
    bool pushed = false;
    bool focused = false;
};

ButtonState* State(HWND hwnd) {
    return ControlState<ButtonState>(hwnd);
}

DWORD TypeOf(HWND hwnd) {
    return StyleOf(hwnd) & BS_TYPEMASK;
}

bool IsPush(DWORD type) {
    return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_USERBUTTON ||
           type == BS_OWNERDRAW;
}

bool IsCheck(DWORD type) {
    return type == BS_CHECKBOX || type == BS_AUTOCHECKBOX || type == BS_3STATE ||
           type == BS_AUTO3STATE;
}

bool IsRadio(DWORD type) {
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void DrawLabel(HDC hdc, const std::string& text, RECT r, UINT format) {
    if (r.right <= r.left)
        return;
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r,
              format | DT_SINGLELINE | DT_TOP);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr)
        return;
    Window* w = Find(hwnd);
    ButtonState* s = State(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    DWORD type = w->style & BS_TYPEMASK;
    bool disabled = (w->style & WS_DISABLED) != 0;
    HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORBTN);
    FillRect(hdc, &client, brush);
    SelectControlFont(hwnd, s->font, hdc);
    SetBkMode(hdc, OPAQUE);
    COLORREF text = GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT);
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    int width = client.right;
    RECT row = {0, 0, width, std::min(static_cast<int>(client.bottom), kCellHeight)};

    if (type == BS_GROUPBOX) {
        DrawEdge(hdc, &client, EDGE_ETCHED, BF_RECT);
        SetTextColor(hdc, text);
        SetBkColor(hdc, face);
        SIZE extent = {0, 0};
        GetTextExtentPoint32A(hdc, w->text.c_str(), static_cast<int>(w->text.size()), &extent);
        RECT label = {kCellWidth, 0, std::min(width - kCellWidth, kCellWidth + extent.cx + 16),
                      kCellHeight};
        DrawLabel(hdc, w->text, label, DT_LEFT);
    } else if (IsCheck(type) || IsRadio(type)) {
        const char* box = "[ ]";
        if (IsRadio(type))
            box = s->check == BST_CHECKED ? "(*)" : "( )";
        else if (s->check == BST_CHECKED)
            box = "[X]";
        else if (s->check == BST_INDETERMINATE)
            box = "[?]";
        SetTextColor(hdc, text);
        SetBkColor(hdc, face);
        bool leftText = (w->style & BS_LEFTTEXT) != 0;
        int boxX = leftText ? std::max(0, width - 3 * kCellWidth) : 0;
        ExtTextOutA(hdc, boxX, 0, 0, nullptr, box, 3, nullptr);
        RECT label = row;
        if (leftText)
            label.right = boxX - kCellWidth;
        else
            label.left = 4 * kCellWidth;
        if (s->focused)
            UseHighlight(hdc);
        DrawLabel(hdc, w->text, label, DT_LEFT);
    } else {
        bool isDefault = type == BS_DEFPUSHBUTTON;
        if (s->focused || s->pushed)
            UseHighlight(hdc);
        else {
            SetTextColor(hdc, text);
            SetBkColor(hdc, face);
        }
        if (disabled)
            SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
        HBRUSH rowBrush = CreateSolidBrush(GetBkColor(hdc));
        FillRect(hdc, &row, rowBrush);
        DeleteObject(rowBrush);
        if (width >= 2 * kCellWidth) {
            ExtTextOutA(hdc, 0, 0, 0, nullptr, isDefault ? "<" : "[", 1, nullptr);
            ExtTextOutA(hdc, width - kCellWidth, 0, 0, nullptr, isDefault ? ">" : "]", 1, nullptr);
            RECT label = {kCellWidth, 0, width - kCellWidth, row.bottom};
            DrawLabel(hdc, w->text, label, DT_CENTER);
        } else {
            DrawLabel(hdc, w->text, row, DT_CENTER);
        }
    }
    EndPaint(hwnd, &ps);
}

void UncheckGroupSiblings(HWND hwnd) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr)
        return;
    HWND other = GetNextDlgGroupItem(parent, hwnd, FALSE);
    for (int guard = 0; other != nullptr && other != hwnd && guard < 1000; ++guard) {
        if (Send(other, WM_GETDLGCODE) & DLGC_RADIOBUTTON)
            Send(other, BM_SETCHECK, BST_UNCHECKED);
        other = GetNextDlgGroupItem(parent, other, FALSE);
    }
}

void Click(HWND hwnd) {
    DWORD type = TypeOf(hwnd);
    ButtonState* s = State(hwnd);
    if (s == nullptr)
        return;
    if (type == BS_AUTOCHECKBOX) {
        Send(hwnd, BM_SETCHECK, s->check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
    } else if (type == BS_AUTO3STATE) {
        Send(hwnd, BM_SETCHECK, (s->check + 1) % 3);
    } else if (type == BS_AUTORADIOBUTTON) {
        Send(hwnd, BM_SETCHECK, BST_CHECKED);
        UncheckGroupSiblings(hwnd);
    }
    Notify(hwnd, BN_CLICKED);
}

void SetPushed(HWND hwnd, bool pushed) {
    ButtonState* s = State(hwnd);
    if (s != nullptr && s->pushed != pushed) {
        s->pushed = pushed;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

} // namespace

LRESULT CALLBACK ButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ButtonState* s = State(hwnd);
    if (s == nullptr)
        return 0;
    switch (message) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_GETDLGCODE: {
        DWORD type = TypeOf(hwnd);
        if (type == BS_GROUPBOX)
            return DLGC_STATIC;
        if (type == BS_DEFPUSHBUTTON)
            return DLGC_BUTTON | DLGC_DEFPUSHBUTTON;
        if (IsPush(type))
            return DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON;
        if (IsRadio(type))
            return DLGC_BUTTON | DLGC_RADIOBUTTON;
        return DLGC_BUTTON;
    }
    case WM_SETTEXT:
    case WM_ENABLE: {
        LRESULT result = DefWindowProcA(hwnd, message, wParam, lParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return message == WM_SETTEXT ? result : 0;
    }
    case WM_SETFONT:
    case WM_GETFONT:
        return AnswerFontMessage(hwnd, &s->font, message, wParam, lParam);
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (Find(hwnd) && (Find(hwnd)->style & BS_NOTIFY))
            Notify(hwnd, BN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        s->pushed = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (Find(hwnd) && (Find(hwnd)->style & BS_NOTIFY))
            Notify(hwnd, BN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN:
        if (wParam == VK_SPACE)
            SetPushed(hwnd, true);
        return 0;
    case WM_KEYUP:
        if (wParam == VK_SPACE && s->pushed) {
            SetPushed(hwnd, false);
            Click(hwnd);
        }
        return 0;
    case WM_CHAR:
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (TypeOf(hwnd) == BS_GROUPBOX)
            return 0;
        SetFocus(hwnd);
        SetPushed(hwnd, true);
        SetCapture(hwnd);
        return 0;
    case WM_LBUTTONUP: {
        if (GetCapture() == hwnd)
            ReleaseCapture();
        if (!s->pushed)
            return 0;
        SetPushed(hwnd, false);
        RECT client;
        GetClientRect(hwnd, &client);
        POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        if (PtInRect(&client, p))
            Click(hwnd);
        return 0;
    }
    case WM_CANCELMODE:
        SetPushed(hwnd, false);
        return 0;
    case BM_CLICK: {
        Window* w = Find(hwnd);
        if (w == nullptr || (w->style & WS_DISABLED) || TypeOf(hwnd) == BS_GROUPBOX)
            return 0;
        SetFocus(hwnd);
        if (Find(hwnd) == nullptr)
            return 0;
        Click(hwnd);
        return 0;
    }
    case BM_GETCHECK:
        return s->check;
    case BM_SETCHECK: {
        UINT check = static_cast<UINT>(wParam) & 3;
        DWORD type = TypeOf(hwnd);
        if (!(type == BS_3STATE || type == BS_AUTO3STATE) && check == BST_INDETERMINATE)
            check = BST_CHECKED;
        if (s->check != check) {
            s->check = check;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        if (IsRadio(type) && check == BST_CHECKED) {
            Window* w = Find(hwnd);
            if (w != nullptr && !(w->style & WS_TABSTOP))
                w->style |= WS_TABSTOP;
        }
        return 0;
    }
    case BM_GETSTATE:
        return s->check | (s->pushed ? BST_PUSHED : 0) | (s->focused ? BST_FOCUS : 0);
    case BM_SETSTATE:
        SetPushed(hwnd, wParam != 0);
        return 0;
    case BM_SETSTYLE: {
        Window* w = Find(hwnd);
        if (w == nullptr)
            return 0;
        w->style = (w->style & ~static_cast<DWORD>(BS_TYPEMASK)) |
                   (static_cast<DWORD>(wParam) & BS_TYPEMASK);
        if (lParam)
            InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace win
