// The single-line edit control. Its text is ANSI bytes; in the code pages this system uses,
// a byte is one cell and a double-byte character two, so byte offsets are cell offsets. The
// caret and the selection never split a double-byte character, and neither does horizontal
// scrolling (ES_AUTOHSCROLL), which moves by whole characters. The focused caret shows as an
// inverted cell; the selection in the highlight colours.
#include "Control.h"

#include <algorithm>
#include <cstring>

namespace win {

namespace {

constexpr size_t kDefaultLimit = 30000;
constexpr size_t kMaxLimit = 0x7FFFFFFE;

std::string& Clipboard() {
    static std::string clipboard;
    return clipboard;
}

struct EditState : WindowState {
    std::string text;
    size_t anchor = 0; // where the selection started
    size_t caret = 0;  // where it ends, and the caret
    size_t scroll = 0; // the first byte shown
    size_t limit = kDefaultLimit;
    BYTE pendingLead = 0;
    bool focused = false;
    bool modified = false;
    char passwordChar = '*';
    HFONT font = nullptr;
};

EditState* State(HWND hwnd) {
    return ControlState<EditState>(hwnd);
}

// The start of the character that holds a byte offset.
size_t CharStart(const std::string& text, size_t offset) {
    if (offset >= text.size())
        return text.size();
    size_t pos = 0;
    while (pos < text.size()) {
        size_t next = NextCharOffset(text, pos);
        if (next > offset)
            return pos;
        pos = next;
    }
    return text.size();
}

// The first character boundary at or after a byte offset.
size_t CharBoundaryAfter(const std::string& text, size_t offset) {
    size_t start = CharStart(text, offset);
    return start == offset ? start : NextCharOffset(text, start);
}

size_t SelMin(const EditState* s) {
    return std::min(s->anchor, s->caret);
}

size_t SelMax(const EditState* s) {
    return std::max(s->anchor, s->caret);
}

int Columns(HWND hwnd) {
    return std::max(1, ColumnsOf(hwnd));
}

void ScrollCaret(HWND hwnd, EditState* s) {
    size_t columns = static_cast<size_t>(Columns(hwnd));
    size_t oldScroll = s->scroll;
    if (s->caret < s->scroll) {
        s->scroll = CharStart(s->text, s->caret);
    } else if (s->caret - s->scroll >= columns) {
        s->scroll = CharBoundaryAfter(s->text, s->caret - columns + 1);
    }
    // Show as much text as fits when the end comes into view.
    if (s->scroll > 0 && s->text.size() + 1 - s->scroll < columns) {
        size_t wanted = s->text.size() + 1 > columns ? s->text.size() + 1 - columns : 0;
        wanted = CharBoundaryAfter(s->text, wanted);
        if (wanted <= s->caret)
            s->scroll = std::min(s->scroll, wanted);
    }
    if (s->scroll != oldScroll) {
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, EN_HSCROLL);
    }
}

void Changed(HWND hwnd, EditState* s) {
    s->modified = true;
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, EN_UPDATE);
    Notify(hwnd, EN_CHANGE);
}

// Replaces the selection with text (cut to the limit at a character boundary).
bool ReplaceSelection(HWND hwnd, EditState* s, std::string insert, bool byUser) {
    DWORD style = StyleOf(hwnd);
    for (char& c : insert) {
        if (style & ES_UPPERCASE)
            c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
        else if (style & ES_LOWERCASE)
            c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    // A single-line edit takes the first line only.
    size_t lineEnd = insert.find_first_of("\r\n");
    if (lineEnd != std::string::npos && !(style & ES_MULTILINE))
        insert.resize(lineEnd);
    size_t from = SelMin(s);
    size_t to = SelMax(s);
    size_t kept = s->text.size() - (to - from);
    size_t room = kept >= s->limit ? 0 : s->limit - kept;
    if (byUser && !(style & (ES_AUTOHSCROLL | ES_MULTILINE))) {
        // Without horizontal scrolling the text ends at the right edge.
        size_t columns = static_cast<size_t>(Columns(hwnd));
        size_t fits = kept >= columns ? 0 : columns - kept;
        room = std::min(room, fits);
    }
    bool truncated = false;
    if (insert.size() > room) {
        size_t cut = 0;
        while (cut < insert.size()) {
            size_t next = NextCharOffset(insert, cut);
            if (next > room)
                break;
            cut = next;
        }
        insert.resize(cut);
        truncated = true;
    }
    if (insert.empty() && from == to) {
        if (truncated)
            Notify(hwnd, EN_MAXTEXT);
        return false;
    }
    s->text.replace(from, to - from, insert);
    s->anchor = s->caret = from + insert.size();
    if (Window* w = Find(hwnd))
        w->text = s->text;
    Changed(hwnd, s);
    ScrollCaret(hwnd, s);
    if (truncated)
        Notify(hwnd, EN_MAXTEXT);
    return true;
}

void SetSelection(HWND hwnd, EditState* s, size_t anchor, size_t caret) {
    anchor = CharStart(s->text, std::min(anchor, s->text.size()));
    caret = CharStart(s->text, std::min(caret, s->text.size()));
    if (anchor != s->anchor || caret != s->caret) {
        s->anchor = anchor;
        s->caret = caret;
        InvalidateRect(hwnd, nullptr, TRUE);
    }
}

void MoveCaret(HWND hwnd, EditState* s, size_t to, bool extend) {
    SetSelection(hwnd, s, extend ? s->anchor : to, to);
    ScrollCaret(hwnd, s);
}

std::string Shown(HWND hwnd, const EditState* s) {
    if (!(StyleOf(hwnd) & ES_PASSWORD))
        return s->text;
    return std::string(s->text.size(), s->passwordChar ? s->passwordChar : '*');
}

void Paint(HWND hwnd) {
    PAINTSTRUCT ps;
    HDC hdc = BeginPaint(hwnd, &ps);
    if (hdc == nullptr)
        return;
    EditState* s = State(hwnd);
    DWORD style = StyleOf(hwnd);
    bool disabled = (style & WS_DISABLED) != 0;
    bool readOnly = (style & ES_READONLY) != 0;
    HBRUSH brush =
        ControlColors(hwnd, hdc, disabled || readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    RECT client;
    GetClientRect(hwnd, &client);
    RECT row = {0, 0, client.right, std::min(static_cast<int>(client.bottom), kCellHeight)};
    if (!(style & ES_MULTILINE))
        FillRect(hdc, &client, ControlColors(hwnd, hdc, WM_CTLCOLORSTATIC));
    brush = ControlColors(hwnd, hdc, disabled || readOnly ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT);
    FillRect(hdc, (style & ES_MULTILINE) ? &client : &row, brush);
    SelectControlFont(hwnd, s->font, hdc);
    if (disabled)
        SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
    SetBkMode(hdc, OPAQUE);
    COLORREF textColor = GetTextColor(hdc);
    COLORREF backColor = GetBkColor(hdc);

    std::string shown = Shown(hwnd, s);
    size_t columns = static_cast<size_t>(Columns(hwnd));
    size_t first = std::min(s->scroll, shown.size());
    // The last whole character that fits.
    size_t last = first;
    while (last < s->text.size()) {
        size_t next = NextCharOffset(s->text, last);
        if (next - first > columns)
            break;
        last = next;
    }
    bool showSelection = s->focused || (style & ES_NOHIDESEL);
    size_t selFrom = showSelection ? std::max(SelMin(s), first) : 0;
    size_t selTo = showSelection ? std::min(SelMax(s), last) : 0;
    auto draw = [&](size_t from, size_t to, bool highlight) {
        if (to <= from)
            return;
        if (highlight)
            UseHighlight(hdc);
        else {
            SetTextColor(hdc, textColor);
            SetBkColor(hdc, backColor);
        }
        ExtTextOutA(hdc, static_cast<int>((from - first) * kCellWidth), 0, 0, nullptr,
                    shown.data() + from, static_cast<UINT>(to - from), nullptr);
    };
    if (selFrom < selTo) {
        draw(first, selFrom, false);
        draw(selFrom, selTo, true);
        draw(selTo, last, false);
    } else {
        draw(first, last, false);
    }
    if (s->focused && s->anchor == s->caret && s->caret >= first && s->caret - first < columns) {
        // The caret: the cell it stands on, inverted.
        size_t end = NextCharOffset(s->text, s->caret);
        std::string under =
            s->caret < shown.size() ? shown.substr(s->caret, end - s->caret) : std::string(" ");
        if (s->caret - first + under.size() > columns)
            under = " ";
        SetTextColor(hdc, backColor);
        SetBkColor(hdc, textColor);
        ExtTextOutA(hdc, static_cast<int>((s->caret - first) * kCellWidth), 0, 0, nullptr,
                    under.data(), static_cast<UINT>(under.size()), nullptr);
    }
    EndPaint(hwnd, &ps);
}

void DeleteSelectionOrChar(HWND hwnd, EditState* s, bool forward) {
    if (s->anchor == s->caret) {
        if (forward) {
            if (s->caret >= s->text.size())
                return;
            s->anchor = NextCharOffset(s->text, s->caret);
        } else {
            if (s->caret == 0)
                return;
            s->anchor = PrevCharOffset(s->text, s->caret);
        }
    }
    ReplaceSelection(hwnd, s, std::string(), true);
}

void Copy(EditState* s, HWND hwnd) {
    if (SelMin(s) == SelMax(s) || (StyleOf(hwnd) & ES_PASSWORD))
        return;
    Clipboard() = s->text.substr(SelMin(s), SelMax(s) - SelMin(s));
}

void TypeChar(HWND hwnd, EditState* s, BYTE ch) {
    DWORD style = StyleOf(hwnd);
    if (style & ES_READONLY)
        return;
    if (s->pendingLead != 0) {
        std::string pair;
        pair += static_cast<char>(s->pendingLead);
        pair += static_cast<char>(ch);
        s->pendingLead = 0;
        ReplaceSelection(hwnd, s, pair, true);
        return;
    }
    if (IsLeadByte(ch)) {
        s->pendingLead = ch;
        return;
    }
    if ((style & ES_NUMBER) && (ch < '0' || ch > '9'))
        return;
    ReplaceSelection(hwnd, s, std::string(1, static_cast<char>(ch)), true);
}

void OnChar(HWND hwnd, EditState* s, WPARAM ch) {
    switch (ch) {
    case 8: // Backspace
        s->pendingLead = 0;
        if (!(StyleOf(hwnd) & ES_READONLY))
            DeleteSelectionOrChar(hwnd, s, false);
        return;
    case 1: // Ctrl+A
        SetSelection(hwnd, s, 0, s->text.size());
        ScrollCaret(hwnd, s);
        return;
    case 3: // Ctrl+C
        Copy(s, hwnd);
        return;
    case 0x18: // Ctrl+X
        Send(hwnd, WM_CUT);
        return;
    case 0x16: // Ctrl+V
        Send(hwnd, WM_PASTE);
        return;
    case '\r':
    case '\n':
    case '\t':
    case 27:
        return;
    default:
        if (ch < 0x20 || ch > 0xFF)
            return;
        TypeChar(hwnd, s, static_cast<BYTE>(ch));
        return;
    }
}

void OnKeyDown(HWND hwnd, EditState* s, WPARAM vk) {
    bool shift = GetKeyState(VK_SHIFT) < 0;
    bool ctrl = GetKeyState(VK_CONTROL) < 0;
    switch (vk) {
    case VK_LEFT:
        if (!shift && s->anchor != s->caret)
            MoveCaret(hwnd, s, SelMin(s), false);
        else
            MoveCaret(hwnd, s, PrevCharOffset(s->text, s->caret), shift);
        break;
    case VK_RIGHT:
        if (!shift && s->anchor != s->caret)
            MoveCaret(hwnd, s, SelMax(s), false);
        else
            MoveCaret(hwnd, s, NextCharOffset(s->text, s->caret), shift);
        break;
    case VK_HOME:
        MoveCaret(hwnd, s, 0, shift);
        break;
    case VK_END:
        MoveCaret(hwnd, s, s->text.size(), shift);
        break;
    case VK_DELETE:
        if (StyleOf(hwnd) & ES_READONLY)
            break;
        if (shift)
            Send(hwnd, WM_CUT);
        else
            DeleteSelectionOrChar(hwnd, s, true);
        break;
    case VK_INSERT:
        if (ctrl)
            Copy(s, hwnd);
        else if (shift)
            Send(hwnd, WM_PASTE);
        break;
    default:
        break;
    }
}

void SetText(HWND hwnd, EditState* s, const char* text) {
    std::string value = text ? text : "";
    if (!(StyleOf(hwnd) & ES_MULTILINE)) {
        size_t lineEnd = value.find_first_of("\r\n");
        if (lineEnd != std::string::npos)
            value.resize(lineEnd);
    }
    s->text = value;
    s->anchor = s->caret = 0;
    s->scroll = 0;
    s->pendingLead = 0;
    s->modified = false;
    if (Window* w = Find(hwnd))
        w->text = s->text;
    InvalidateRect(hwnd, nullptr, TRUE);
    Notify(hwnd, EN_UPDATE);
    Notify(hwnd, EN_CHANGE);
}

LRESULT GetSel(EditState* s, WPARAM wParam, LPARAM lParam) {
    DWORD from = static_cast<DWORD>(SelMin(s));
    DWORD to = static_cast<DWORD>(SelMax(s));
    if (wParam != 0)
        *reinterpret_cast<DWORD*>(wParam) = from;
    if (lParam != 0)
        *reinterpret_cast<DWORD*>(lParam) = to;
    if (from > 0xFFFF || to > 0xFFFF)
        return -1;
    return MAKELONG(from, to);
}

} // namespace

LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    EditState* s = State(hwnd);
    if (s == nullptr)
        return 0;
    switch (message) {
    case WM_NCCREATE: {
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (cs != nullptr && cs->lpszName != nullptr && !IS_INTRESOURCE(cs->lpszName)) {
            s->text = cs->lpszName;
            if (!(cs->style & ES_MULTILINE)) {
                size_t lineEnd = s->text.find_first_of("\r\n");
                if (lineEnd != std::string::npos)
                    s->text.resize(lineEnd);
            }
        }
        if (Window* w = Find(hwnd))
            w->text = s->text;
        return TRUE;
    }
    case WM_PAINT:
        Paint(hwnd);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETTEXT:
        SetText(hwnd, s, reinterpret_cast<const char*>(lParam));
        return TRUE;
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH:
        if (Window* w = Find(hwnd))
            w->text = s->text;
        return DefWindowProcA(hwnd, message, wParam, lParam);
    case WM_SETFONT:
    case WM_GETFONT:
        return AnswerFontMessage(hwnd, &s->font, message, wParam, lParam);
    case WM_ENABLE:
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case WM_GETDLGCODE: {
        LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
        if (StyleOf(hwnd) & ES_MULTILINE)
            code |= DLGC_WANTALLKEYS;
        return code;
    }
    case WM_SETFOCUS:
        s->focused = true;
        InvalidateRect(hwnd, nullptr, TRUE);
        ScrollCaret(hwnd, s);
        Notify(hwnd, EN_SETFOCUS);
        return 0;
    case WM_KILLFOCUS:
        s->focused = false;
        s->pendingLead = 0;
        InvalidateRect(hwnd, nullptr, TRUE);
        Notify(hwnd, EN_KILLFOCUS);
        return 0;
    case WM_CHAR:
        OnChar(hwnd, s, wParam);
        return 0;
    case WM_KEYDOWN:
        OnKeyDown(hwnd, s, wParam);
        return 0;
    case WM_LBUTTONDOWN: {
        SetFocus(hwnd);
        s = State(hwnd);
        if (s == nullptr)
            return 0;
        int x = static_cast<SHORT>(LOWORD(lParam));
        size_t column = x > 0 ? static_cast<size_t>(x / kCellWidth) : 0;
        MoveCaret(hwnd, s, std::min(s->scroll + column, s->text.size()), (wParam & MK_SHIFT) != 0);
        return 0;
    }
    case WM_LBUTTONDBLCLK:
        SetFocus(hwnd);
        if ((s = State(hwnd)) != nullptr)
            SetSelection(hwnd, s, 0, s->text.size());
        return 0;
    case EM_GETSEL:
        return GetSel(s, wParam, lParam);
    case EM_SETSEL: {
        size_t length = s->text.size();
        if (static_cast<int>(wParam) == -1) {
            SetSelection(hwnd, s, s->caret, s->caret);
            return 0;
        }
        size_t start = static_cast<LONG>(wParam) < 0 ? length : std::min<size_t>(wParam, length);
        size_t end = static_cast<LONG>(lParam) < 0
                         ? length
                         : std::min<size_t>(static_cast<size_t>(lParam), length);
        SetSelection(hwnd, s, start, end);
        return 0;
    }
    case EM_SCROLLCARET:
        ScrollCaret(hwnd, s);
        return TRUE;
    case EM_REPLACESEL: {
        const char* text = reinterpret_cast<const char*>(lParam);
        ReplaceSelection(hwnd, s, text ? text : "", false);
        return 0;
    }
    case EM_LIMITTEXT:
        s->limit = wParam == 0 ? kMaxLimit : std::min<size_t>(wParam, kMaxLimit);
        return 0;
    case EM_GETLIMITTEXT:
        return static_cast<LRESULT>(s->limit);
    case EM_GETMODIFY:
        return s->modified;
    case EM_SETMODIFY:
        s->modified = wParam != 0;
        return 0;
    case EM_SETREADONLY: {
        Window* w = Find(hwnd);
        if (w != nullptr) {
            if (wParam)
                w->style |= ES_READONLY;
            else
                w->style &= ~static_cast<DWORD>(ES_READONLY);
            InvalidateRect(hwnd, nullptr, TRUE);
        }
        return TRUE;
    }
    case EM_SETPASSWORDCHAR:
        s->passwordChar = static_cast<char>(wParam);
        InvalidateRect(hwnd, nullptr, TRUE);
        return 0;
    case EM_LINELENGTH:
        return static_cast<LRESULT>(s->text.size());
    case EM_GETLINECOUNT:
        return 1;
    case EM_LINEINDEX:
    case EM_LINEFROMCHAR:
    case EM_GETFIRSTVISIBLELINE:
        return 0;
    case EM_GETLINE: {
        char* buffer = reinterpret_cast<char*>(lParam);
        if (buffer == nullptr || wParam != 0)
            return 0;
        WORD size;
        memcpy(&size, buffer, sizeof size);
        size_t count = std::min<size_t>(size, s->text.size());
        memcpy(buffer, s->text.data(), count);
        return static_cast<LRESULT>(count);
    }
    case EM_CANUNDO:
    case EM_UNDO:
        return 0;
    case EM_EMPTYUNDOBUFFER:
        return 0;
    case EM_POSFROMCHAR: {
        size_t index = std::min<size_t>(wParam, s->text.size());
        LONG x = static_cast<LONG>(
            (static_cast<long long>(index) - static_cast<long long>(s->scroll)) * kCellWidth);
        return MAKELONG(static_cast<WORD>(x), 0);
    }
    case EM_CHARFROMPOS: {
        int x = static_cast<SHORT>(LOWORD(lParam));
        size_t column = x > 0 ? static_cast<size_t>(x / kCellWidth) : 0;
        return static_cast<LRESULT>(
            CharStart(s->text, std::min(s->scroll + column, s->text.size())));
    }
    case EM_GETRECT: {
        if (lParam != 0)
            GetClientRect(hwnd, reinterpret_cast<LPRECT>(lParam));
        return 0;
    }
    case WM_CLEAR:
        if (!(StyleOf(hwnd) & ES_READONLY) && SelMin(s) != SelMax(s))
            ReplaceSelection(hwnd, s, std::string(), true);
        return 0;
    case WM_CUT:
        Copy(s, hwnd);
        if (!(StyleOf(hwnd) & ES_READONLY) && SelMin(s) != SelMax(s))
            ReplaceSelection(hwnd, s, std::string(), true);
        return 0;
    case WM_COPY:
        Copy(s, hwnd);
        return 0;
    case WM_PASTE:
        if (!(StyleOf(hwnd) & ES_READONLY))
            ReplaceSelection(hwnd, s, Clipboard(), true);
        return 0;
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

} // namespace win
