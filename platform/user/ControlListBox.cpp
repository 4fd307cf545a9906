// The list box control (single selection): one item per row, the selection in the highlight
// colours while the list has the focus, kept in view while it moves. LBS_NOTIFY sends
// LBN_SELCHANGE and LBN_DBLCLK; an owner-drawn list (LBS_OWNERDRAWFIXED) keeps its texts and
// asks its parent to draw each row with WM_DRAWITEM.
#include "ControlList.h"

#include "Control.h"

#include <algorithm>

namespace win {

namespace {

struct ListBoxState : WindowState {
    ItemList items;
    int topIndex = 0;
    bool focused = false;
    HFONT font = nullptr;
};

ListBoxState* State(HWND hwnd) {
    return ControlState<ListBoxState>(hwnd);
}

int VisibleRows(HWND hwnd) {
    return std::max(1, RowsOf(hwnd));
}

void KeepInView(HWND hwnd, ListBoxState* s, int index) {
    if (index < 0)
        return;
    int rows = VisibleRows(hwnd);
    int old = s->topIndex;
    s->topIndex = TopIndexShowing(s->topIndex, index, rows, s->items.Count());
    if (s->topIndex != old)
        InvalidateRect(hwnd, nullptr, TRUE);
}

void Select(HWND hwnd, ListBoxState* s, int index, bool notify) {
    int count = s->items.Count();
    if (count == 0)
        return;
    index = std::max(0, std::min(index, count - 1));
    bool changed = index != s->items.selection;
    s->items.selection = index;
    KeepInView(hwnd, s, index);
    if (changed) {
        InvalidateRect(hwnd, nullptr, TRUE);
        if (notify && (StyleOf(hwnd) & LBS_NOTIFY))
            Notify(hwnd, LBN_SELCHANGE);
    }
}

bool OwnerDrawn(HWND hwnd) {
    return (StyleOf(hwnd) & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0;
}

// Asks the owner to draw one row, as an owner-drawn list does for each item it shows.
void DrawOwnerItem(HWND hwnd, HDC hdc, ListBoxState* s, int index, const RECT& line,
                   bool disabled) {
    HWND parent = GetParent(hwnd);
    if (parent == nullptr)
        return;
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_LISTBOX;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(hwnd));
    item.itemID = static_cast<UINT>(index);
    item.itemAction = ODA_DRAWENTIRE;
    if (index == s->items.selection)
        item.itemState |= ODS_SELECTED | (s->focused ? ODS_FOCUS : 0);
    if (disabled)
        item.itemState |= ODS_DISABLED;
    item.hwndItem = hwnd;
    item.hDC = hdc;
    item.rcItem = line;
    item.itemData = static_cast<ULONG_PTR>(s->items.items[static_cast<size_t>(index)].data);
    int saved = SaveDC(hdc);
    SendMessageA(parent, WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
    RestoreDC(hdc, saved);
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr)
        return;
    ListBoxState* s = State(hwnd);
    RECT client;
    GetClientRect(hwnd, &client);
    HBRUSH brush = ControlColors(hwnd, hdc, WM_CTLCOLORLISTBOX);
    FillRect(hdc, &client, brush);
    SelectControlFont(hwnd, s->font, hdc);
    bool disabled = (StyleOf(hwnd) & WS_DISABLED) != 0;
    bool ownerDrawn = OwnerDrawn(hwnd);
    if (disabled)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    COLORREF textColor = GetTextColor(hdc);
    COLORREF backColor = GetBkColor(hdc);
    SetBkMode(hdc, OPAQUE);
    int rows = VisibleRows(hwnd);
    for (int row = 0; row < rows; ++row) {
        int index = s->topIndex + row;
        if (index >= s->items.Count())
            break;
        RECT line = {0, row * kCellHeight, client.right, (row + 1) * kCellHeight};
        if (ownerDrawn) {
            DrawOwnerItem(hwnd, hdc, s, index, line, disabled);
            if ((s = State(hwnd)) == nullptr)
                break;
            continue;
        }
        if (index == s->items.selection && !disabled) {
            // Every focused control shows in the highlight colours: a list without the focus
            // keeps its selection in grey, so that it reads as chosen but not focused.
            if (s->focused) {
                UseHighlight(hdc);
            } else {
                SetTextColor(hdc, GetSysColor(COLOR_WINDOWTEXT));
                SetBkColor(hdc, GetSysColor(COLOR_BTNFACE));
            }
            HBRUSH selected = CreateSolidBrush(GetBkColor(hdc));
            FillRect(hdc, &line, selected);
            DeleteObject(selected);
        } else {
            SetTextColor(hdc, textColor);
            SetBkColor(hdc, backColor);
        }
        const std::string& text = s->items.items[static_cast<size_t>(index)].text;
        DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &line,
                  DT_LEFT | DT_SINGLELINE | DT_NOPREFIX);
    }
    EndPaint(hwnd, &ps);
}

int IndexAt(ListBoxState* s, LPARAM lParam) {
    int y = static_cast<SHORT>(HIWORD(lParam));
    if (y < 0)
        return -1;
    int index = s->topIndex + y / kCellHeight;
    return index < s->items.Count() ? index : -1;
}

} // namespace

LRESULT CALLBACK ListBoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ListBoxState* s = State(hwnd);
    if (s == nullptr)
        return 0;
    bool sorted = (StyleOf(hwnd) & LBS_SORT) != 0;
    switch (message) {
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETFONT:
    case WM_GETFONT:
        return AnswerFontMessage(hwnd, &s->font, message, wParam, lParam);
    case WM_ENABLE:
    case WM_SIZE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (StyleOf(hwnd) & LBS_NOTIFY)
            Notify(hwnd, LBN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        InvalidateRect(hwnd, nullptr, TRUE);
        if (StyleOf(hwnd) & LBS_NOTIFY)
            Notify(hwnd, LBN_KILLFOCUS);
        return 0;
    case WM_KEYDOWN: {
        int count = s->items.Count();
        if (count == 0)
            return 0;
        int current = s->items.selection;
        int rows = VisibleRows(hwnd);
        switch (wParam) {
        case VK_UP:
            Select(hwnd, s, current < 0 ? 0 : current - 1, true);
            break;
        case VK_DOWN:
            Select(hwnd, s, current < 0 ? 0 : current + 1, true);
            break;
        case VK_HOME:
            Select(hwnd, s, 0, true);
            break;
        case VK_END:
            Select(hwnd, s, count - 1, true);
            break;
        case VK_PRIOR:
            Select(hwnd, s, current - (rows - 1), true);
            break;
        case VK_NEXT:
            Select(hwnd, s, current + (rows - 1), true);
            break;
        default:
            break;
        }
        return 0;
    }
    case WM_CHAR: {
        int found = s->items.FindTyped(wParam);
        if (found >= 0)
            Select(hwnd, s, found, true);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        if ((s = State(hwnd)) == nullptr)
            return 0;
        int index = IndexAt(s, lParam);
        if (index >= 0)
            Select(hwnd, s, index, true);
        return 0;
    }
    case WM_LBUTTONDBLCLK: {
        SetFocus(hwnd);
        if ((s = State(hwnd)) == nullptr)
            return 0;
        int index = IndexAt(s, lParam);
        if (index >= 0) {
            Select(hwnd, s, index, true);
            if (StyleOf(hwnd) & LBS_NOTIFY)
                Notify(hwnd, LBN_DBLCLK);
        }
        return 0;
    }
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
        const char* text = reinterpret_cast<const char*>(lParam);
        int index = message == LB_ADDSTRING ? s->items.Add(text, sorted)
                                            : s->items.Insert(static_cast<int>(wParam), text);
        InvalidateRect(hwnd, nullptr, TRUE);
        return index;
    }
    case LB_DELETESTRING: {
        int left = s->items.Delete(static_cast<int>(wParam));
        if (left >= 0)
            InvalidateRect(hwnd, nullptr, TRUE);
        KeepInView(hwnd, s, std::min(s->topIndex, std::max(0, s->items.Count() - 1)));
        return left;
    }
    case LB_RESETCONTENT:
        s->items.Reset();
        s->topIndex = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case LB_GETCOUNT:
        return s->items.Count();
    case LB_GETCURSEL:
        return s->items.selection;
    case LB_SETCURSEL: {
        int index = static_cast<int>(wParam);
        if (index < 0 || index >= s->items.Count()) {
            if (s->items.selection != -1)
                InvalidateRect(hwnd, nullptr, TRUE);
            s->items.selection = -1;
            return index == -1 ? 0 : LB_ERR;
        }
        Select(hwnd, s, index, false);
        return index;
    }
    case LB_GETSEL:
        if (static_cast<int>(wParam) < 0 || static_cast<int>(wParam) >= s->items.Count())
            return LB_ERR;
        return static_cast<int>(wParam) == s->items.selection ? 1 : 0;
    case LB_SETSEL:
        if (wParam)
            Select(hwnd, s, static_cast<int>(lParam), false);
        else if (static_cast<int>(lParam) == s->items.selection || lParam == -1) {
            s->items.selection = -1;
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return 0;
    case LB_GETTEXT:
        return s->items.GetText(static_cast<int>(wParam), reinterpret_cast<char*>(lParam));
    case LB_GETTEXTLEN:
        return s->items.GetTextLength(static_cast<int>(wParam));
    case LB_FINDSTRING:
        return s->items.FindPrefix(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
    case LB_FINDSTRINGEXACT:
        return s->items.FindExact(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
    case LB_SELECTSTRING: {
        int found =
            s->items.FindPrefix(static_cast<int>(wParam), reinterpret_cast<const char*>(lParam));
        if (found >= 0)
            Select(hwnd, s, found, false);
        return found;
    }
    case LB_GETITEMDATA:
        return s->items.GetData(static_cast<int>(wParam));
    case LB_SETITEMDATA:
        return s->items.SetData(static_cast<int>(wParam), lParam);
    case LB_GETTOPINDEX:
        return s->topIndex;
    case LB_SETTOPINDEX: {
        int index = static_cast<int>(wParam);
        if (index < 0 || (index >= s->items.Count() && index != 0))
            return LB_ERR;
        s->topIndex = index;
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    }
    case LB_GETITEMHEIGHT:
        return kCellHeight;
    case LB_SETITEMHEIGHT:
        return 0;
    case LB_GETITEMRECT: {
        int index = static_cast<int>(wParam);
        auto* rect = reinterpret_cast<LPRECT>(lParam);
        if (rect == nullptr || index < 0 || index >= s->items.Count())
            return LB_ERR;
        RECT client;
        GetClientRect(hwnd, &client);
        int row = index - s->topIndex;
        *rect = {0, row * kCellHeight, client.right, (row + 1) * kCellHeight};
        return 1;
    }
    case LB_SETCARETINDEX:
        KeepInView(hwnd, s, static_cast<int>(wParam));
        return 0;
    case LB_GETCARETINDEX:
        return s->items.selection < 0 ? 0 : s->items.selection;
    case LB_GETSELCOUNT:
    case LB_GETSELITEMS:
        return LB_ERR;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace win
