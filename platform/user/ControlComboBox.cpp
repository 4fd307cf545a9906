// The combo box, as a drop-down list: one row showing the selected item with a "v" at its
// right end; F4, Alt+Down or a click drops the list below it (a popup of class "ComboLBox"),
// where arrows move, Enter or a click picks and Esc cancels. The arrows also change the
// selection while the list is closed. CBN_SELCHANGE goes to the parent on every change made
// by the user.
#include "ControlList.h"

#include "Control.h"

#include <algorithm>

namespace win {

namespace {

struct ComboState : WindowState {
    ItemList items;
    int droppedHeight = 0; // the height the template gave: the field and the dropped list
    HWND list = nullptr;
    int selectionAtDrop = -1;
    bool focused = false;
    bool extendedUi = false;
    HFONT font = nullptr;
};

struct ComboListState : WindowState {
    HWND combo = nullptr;
    int topIndex = 0;
};

ComboState* State(HWND hwnd) {
    return ControlState<ComboState>(hwnd);
}

int ListRows(ComboState* s) {
    int rows = std::max(1, s->droppedHeight / kCellHeight - 1);
    return std::max(1, std::min(rows, s->items.Count()));
}

void KeepListInView(ComboState* s) {
    ComboListState* ls = StateOf<ComboListState>(s->list);
    if (ls == nullptr)
        return;
    int rows = ListRows(s);
    ls->topIndex = TopIndexShowing(ls->topIndex, s->items.selection, rows, s->items.Count());
    InvalidateRect(s->list, nullptr, TRUE);
}

void SelectByUser(HWND hwnd, ComboState* s, int index) {
    int count = s->items.Count();
    if (count == 0)
        return;
    index = std::max(0, std::min(index, count - 1));
    if (index == s->items.selection)
        return;
    s->items.selection = index;
    InvalidateRect(hwnd, nullptr, TRUE);
    KeepListInView(s);
    Notify(hwnd, CBN_SELCHANGE);
}

void CloseList(HWND hwnd, bool accept) {
    ComboState* s = State(hwnd);
    if (s == nullptr || s->list == nullptr)
        return;
    HWND list = s->list;
    s->list = nullptr;
    if (GetCapture() == list)
        ReleaseCapture();
    DestroyWindow(list);
    if ((s = State(hwnd)) == nullptr)
        return;
    if (!accept && s->items.selection != s->selectionAtDrop) {
        s->items.selection = s->selectionAtDrop;
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, CBN_SELCHANGE);
    }
    Notify(hwnd, accept ? CBN_SELENDOK : CBN_SELENDCANCEL);
    Notify(hwnd, CBN_CLOSEUP);
}

void OpenList(HWND hwnd) {
    ComboState* s = State(hwnd);
    if (s == nullptr || s->list != nullptr)
        return;
    Notify(hwnd, CBN_DROPDOWN);
    if ((s = State(hwnd)) == nullptr)
        return;
    RECT combo;
    GetWindowRect(hwnd, &combo);
    RECT screen = ScreenBounds();
    int height = ListRows(s) * kCellHeight;
    int top = combo.bottom;
    if (top + height > screen.bottom && combo.top - height >= 0)
        top = combo.top - height;
    Window* w = Find(hwnd);
    HWND owner = w ? TopLevelOf(w)->handle : nullptr;
    s->selectionAtDrop = s->items.selection;
    HWND list = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, "ComboLBox", "", WS_POPUP,
                                combo.left, top, combo.right - combo.left, height, owner, nullptr,
                                nullptr, reinterpret_cast<LPVOID>(hwnd));
    if ((s = State(hwnd)) == nullptr || list == nullptr)
        return;
    s->list = list;
    KeepListInView(s);
    ShowWindow(list, SW_SHOWNA);
    SetCapture(list);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr)
        return;
    ComboState* s = State(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    bool disabled = (StyleOf(hwnd) & WS_DISABLED) != 0;
    HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORLISTBOX);
    RECT row = {0, 0, client.right, std::min(static_cast<int>(client.bottom), kCellHeight)};
    FillRect(hdc, &row, brush);
    SelectControlFont(hwnd, s->font, hdc);
    SetBkMode(hdc, OPAQUE);
    if (disabled)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    RECT field = row;
    field.right = std::max(0, static_cast<int>(row.right) - kCellWidth);
    if (s->items.selection >= 0) {
        const std::string& text = s->items.items[static_cast<size_t>(s->items.selection)].text;
        if (s->focused && !disabled && s->list == nullptr) {
            UseHighlight(hdc);
            SIZE extent = {0, 0};
            GetTextExtentPoint32A(hdc, text.c_str(), static_cast<int>(text.size()), &extent);
            RECT mark = field;
            mark.right = std::min(field.right, extent.cx);
            HBRUSH highlight = GetSysColorBrush(COLOR_HIGHLIGHT);
            FillRect(hdc, &mark, highlight);
        }
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &field,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
    if (row.right >= kCellWidth) {
        SetTextColor(hdc, GetSysColor(disabled ? COLOR_GRAYTEXT : COLOR_BTNTEXT));
        SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
        ExtTextOutA(hdc, row.right - kCellWidth, 0, 0, nullptr, "v", 1, nullptr);
    }
    EndPaint(hwnd, &ps);
}

void PaintList(HWND list) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(list, &ps);
    if (hdc == nullptr)
        return;
    ComboListState* ls = StateOf<ComboListState>(list);
    ComboState* s = ls ? State(ls->combo) : nullptr;
    RECT client;
    GetClientRect(list, &client);
    FillRect(hdc, &client, GetSysColorBrush(COLOR_WINDOW));
    if (s != nullptr) {
        SelectControlFont(ls->combo, s->font, hdc);
        SetBkMode(hdc, OPAQUE);
        int rows = client.bottom / kCellHeight;
        for (int row = 0; row < rows; ++row) {
            int index = ls->topIndex + row;
            if (index >= s->items.Count())
                break;
            RECT line = {0, row * kCellHeight, client.right, (row + 1) * kCellHeight};
            if (index == s->items.selection) {
                UseHighlight(hdc);
                FillRect(hdc, &line, GetSysColorBrush(COLOR_HIGHLIGHT));
            } else {
                SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(hdc, GetSysColor(COLOR_WINDOW));
            }
            const std::string& text = s->items.items[static_cast<size_t>(index)].text;
            DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &line,
                      DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
        }
    }
    EndPaint(list, &ps);
}

bool MoveKey(HWND hwnd, ComboState* s, WPARAM vk) {
    int current = s->items.selection;
    int page = ListRows(s);
    switch (vk) {
    case VK_UP:
    case VK_LEFT:
        SelectByUser(hwnd, s, current < 0 ? 0 : current - 1);
        return true;
    case VK_DOWN:
    case VK_RIGHT:
        SelectByUser(hwnd, s, current < 0 ? 0 : current + 1);
        return true;
    case VK_HOME:
        SelectByUser(hwnd, s, 0);
        return true;
    case VK_END:
        SelectByUser(hwnd, s, s->items.Count() - 1);
        return true;
    case VK_PRIOR:
        SelectByUser(hwnd, s, current - (page - 1));
        return true;
    case VK_NEXT:
        SelectByUser(hwnd, s, current + (page - 1));
        return true;
    default:
        return false;
    }
}

} // namespace

LRESULT CALLBACK ComboBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ComboState* s = State(hwnd);
    if (s == nullptr)
        return 0;
    bool sorted = (StyleOf(hwnd) & CBS_SORT) != 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        Window* w = Find(hwnd);
        if (cs != nullptr && w != nullptr) {
            // The template's height holds the dropped list; the box itself is one row.
            s->droppedHeight = std::max(cs->cy, 2 * kCellHeight);
            w->rect.bottom = w->rect.top + kCellHeight;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    case WM_DESTROY:
        CloseList(hwnd, false);
        return 0;
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
    case WM_GETFONT:
        return AnswerFontMessage(hwnd, &s->font, message, wParam, lParam);
    case WM_ENABLE:
        if (!wParam)
            CloseList(hwnd, false);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTARROWS | DLGC_WANTCHARS;
        if (s->list != nullptr)
            code |= DLGC_WANTMESSAGE;
        return code;
    }
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, CBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        CloseList(hwnd, true);
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, CBN_KILLFOCUS);
        return 0;
    case WM_SYSKEYDOWN:
        if (wParam == VK_DOWN || wParam == VK_UP) {
            if (s->list != nullptr)
                CloseList(hwnd, true);
            else
                OpenList(hwnd);
            return 0;
        }
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_F4) {
            if (s->list != nullptr)
                CloseList(hwnd, true);
            else
                OpenList(hwnd);
            return 0;
        }
        if (s->list != nullptr && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
            CloseList(hwnd, wParam == VK_RETURN);
            return 0;
        }
        if (s->list != nullptr && wParam == VK_TAB) {
            // Tab takes the choice and goes on to the next control.
            CloseList(hwnd, true);
            Window* w = Find(hwnd);
            if (w != nullptr && w->parent != nullptr && w->parent != Sys().desktop)
                Send(w->parent->handle, WM_NEXTDLGCTL, GetKeyState(VK_SHIFT) < 0 ? 1 : 0, 0);
            return 0;
        }
        MoveKey(hwnd, s, wParam);
        return 0;
    case WM_CHAR: {
        int found = s->items.FindTyped(wParam);
        if (found >= 0)
            SelectByUser(hwnd, s, found);
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        if ((s = State(hwnd)) == nullptr)
            return 0;
        if (s->list != nullptr)
            CloseList(hwnd, true);
        else
            OpenList(hwnd);
        return 0;
    case WM_GETTEXT: {
        char* out = reinterpret_cast<char*>(lParam);
        if (out == nullptr || wParam == 0)
            return 0;
        std::string text;
        if (s->items.selection >= 0)
            text = s->items.items[static_cast<size_t>(s->items.selection)].text;
        size_t length = std::min(text.size(), static_cast<size_t>(wParam) - 1);
        text.copy(out, length);
        out[length] = '\0';
        return static_cast<LRESULT>(length);
    }
    case WM_GETTEXTLENGTH:
        return s->items.selection >= 0
                   ? static_cast<LRESULT>(
                         s->items.items[static_cast<size_t>(s->items.selection)].text.size())
                   : 0;
    case WM_SETTEXT: {
        const char* text = reinterpret_cast<const char*>(lParam);
        int found = s->items.FindExact(-1, text ? text : "");
        if (found < 0)
            return CB_ERR;
        s->items.selection = found;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
    }
    case CB_ADDSTRING:
    case CB_INSERTSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        int index = message == CB_ADDSTRING ? s->items.Add(text, sorted)
                                            : s->items.Insert(static_cast<int>(wParam), text);
        InvalidateRect(hwnd, nullptr, TRUE);
        KeepListInView(s);
        return index;
    }
    case CB_DELETESTRING: {
        int left = s->items.Delete(static_cast<int>(wParam));
        InvalidateRect(hwnd, nullptr, TRUE);
        KeepListInView(s);
        return left;
    }
    case CB_RESETCONTENT:
        s->items.Reset();
        InvalidateRect(hwnd, nullptr, TRUE);
        KeepListInView(s);
        return CB_OKAY;
    case CB_GETCOUNT:
        return s->items.Count();
    case CB_GETCURSEL:
        return s->items.selection;
    case CB_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= s->items.Count()) {
            s->items.selection = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
            return CB_ERR;
        }
        s->items.selection = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        KeepListInView(s);
        return index;
    }
    case CB_GETLBTEXT:
        return s->items.GetText(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case CB_GETLBTEXTLEN:
        return s->items.GetTextLength(static_cast<int>(wParam));
    case CB_FINDSTRING:
        return s->items.FindPrefix(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
    case CB_FINDSTRINGEXACT:
        return s->items.FindExact(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
    case CB_SELECTSTRING: {
        int found =
            s->items.FindPrefix(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
        if (found >= 0) {
            s->items.selection = found;
            InvalidateRect(hwnd, nullptr, TRUE);
            KeepListInView(s);
        }
        return found;
    }
    case CB_GETITEMDATA:
        return s->items.GetData(static_cast<int>(wParam));
    case CB_SETITEMDATA:
        return s->items.SetData(static_cast<int>(wParam), lParam);
    case CB_SHOWDROPDOWN:
        if (wParam)
            OpenList(hwnd);
        else
            CloseList(hwnd, true);
        return TRUE;
    case CB_GETDROPPEDSTATE:
        return s->list != nullptr;
    case CB_GETDROPPEDCONTROLRECT: {
        auto* rect = reinterpret_cast<LPRECT>(lParam);
        if (rect == nullptr)
            return CB_ERR;
        GetWindowRect(hwnd, rect);
        rect->bottom = rect->top + s->droppedHeight;
        return CB_OKAY;
    }
    case CB_SETEXTENDEDUI:
        s->extendedUi = wParam != 0;
        return CB_OKAY;
    case CB_GETEXTENDEDUI:
        return s->extendedUi;
    case CB_GETITEMHEIGHT:
        return kCellHeight;
    case CB_SETITEMHEIGHT:
    case CB_LIMITTEXT:
    case CB_SETEDITSEL:
    case CB_GETEDITSEL:
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

LRESULT CALLBACK ComboListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE: {
        Window* w = Find(hwnd);
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (w == nullptr || cs == nullptr)
            return FALSE;
        auto state = std::make_unique<ComboListState>();
        state->combo = reinterpret_cast<HWND>(cs->lpCreateParams);
        w->state = std::move(state);
        return TRUE;
    }
    case WM_PAINT:
        PaintList(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        ComboListState* ls = StateOf<ComboListState>(hwnd);
        if (ls == nullptr)
            return 0;
        HWND combo = ls->combo;
        RECT client;
        GetClientRect(hwnd, &client);
        POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        ComboState* s = State(combo);
        if (s == nullptr)
            return 0;
        if (PtInRect(&client, p)) {
            int index = ls->topIndex + p.y / kCellHeight;
            if (index < s->items.Count())
                SelectByUser(combo, s, index);
            CloseList(combo, true);
        } else {
            CloseList(combo, false);
        }
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace win
