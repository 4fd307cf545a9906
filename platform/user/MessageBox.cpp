// Message boxes: a real dialog (class "#32770") with the icon as a static (id 20), the text
// as a static (id 0xFFFF, no prefix processing, wrapped to the screen) and push buttons with
// the standard ids, so that the automation reads and answers it through the window API like
// any other dialog. The layout is in whole cells, centred on the screen.
#include "user/Dialog.h"

#include "gdi/GdiInternal.h"
#include "user/FrontendHooks.h"

#include <algorithm>

namespace win {

namespace {

constexpr WORD kIconId = 20;
constexpr WORD kTextId = 0xFFFF;

struct BoxInfo {
    UINT type = MB_OK;
    std::vector<int> buttons;
    bool hasCancel = false;
    int defaultButton = 0;
    bool answered = false;
};

const char* ButtonLabel(int id) {
    bool japanese = GetACP() == 932;
    switch (id) {
    case IDOK:
        return "OK";
    case IDCANCEL:
        return japanese ? "\x83L\x83\x83\x83\x93\x83Z\x83\x8B" : "Cancel";
    case IDABORT:
        return japanese ? "\x92\x86\x8E~(&A)" : "&Abort";
    case IDRETRY:
        return japanese ? "\x8D\xC4\x8E\x8E\x8Ds(&R)" : "&Retry";
    case IDIGNORE:
        return japanese ? "\x96\xB3\x8E\x8B(&I)" : "&Ignore";
    case IDYES:
        return japanese ? "\x82\xCD\x82\xA2(&Y)" : "&Yes";
    case IDNO:
        return japanese ? "\x82\xA2\x82\xA2\x82\xA6(&N)" : "&No";
    case IDTRYAGAIN:
        return japanese ? "\x8D\xC4\x8E\xC0\x8Ds(&T)" : "&Try Again";
    case IDCONTINUE:
        return japanese ? "\x91\xB1\x8Ds(&C)" : "&Continue";
    default:
        return "";
    }
}

std::vector<int> ButtonsOf(UINT type) {
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE:
        return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default:
        return {IDOK};
    }
}

LPCSTR IconOf(UINT type) {
    switch (type & MB_ICONMASK) {
    case MB_ICONHAND:
        return IDI_HAND;
    case MB_ICONQUESTION:
        return IDI_QUESTION;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION;
    case MB_ICONASTERISK:
        return IDI_ASTERISK;
    default:
        return nullptr;
    }
}

// The cells a label takes, without the "&" of its mnemonic.
int LabelCells(const std::string& label) {
    int cells = 0;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label[i] == '&' && i + 1 < label.size() && label[i + 1] != '&')
            continue;
        ++cells;
    }
    return cells;
}

// The size of the wrapped text in cells, measured as the static will draw it.
SIZE TextCells(const std::string& text, int maxColumns) {
    SIZE cells = {0, 0};
    HDC hdc = GetDC(nullptr);
    if (hdc == nullptr)
        return cells;
    RECT r = {0, 0, maxColumns * kCellWidth, 0};
    DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r,
              DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EXPANDTABS);
    ReleaseDC(nullptr, hdc);
    cells.cx = (r.right - r.left + kCellWidth - 1) / kCellWidth;
    cells.cy = (r.bottom - r.top + kCellHeight - 1) / kCellHeight;
    return cells;
}

res::DialogItem Item(const char* className, DWORD style, int column, int row, int columns, int rows,
                     WORD id, const std::string& text) {
    res::DialogItem item;
    item.className = className;
    item.style = WS_CHILD | WS_VISIBLE | style;
    item.x = static_cast<short>(column * 4);
    item.y = static_cast<short>(row * 8);
    item.cx = static_cast<short>(columns * 4);
    item.cy = static_cast<short>(rows * 8);
    item.id = id;
    item.text = text;
    return item;
}

res::DialogTemplate Layout(const std::string& text, const std::string& caption, UINT type,
                           const BoxInfo& info) {
    SIZE screen = gdi::ScreenSize();
    int screenColumns = std::max(20, static_cast<int>(screen.cx / kCellWidth));
    int screenRows = std::max(8, static_cast<int>(screen.cy / kCellHeight));
    bool hasIcon = IconOf(type) != nullptr;
    int iconColumns = hasIcon ? 6 : 0;
    int maxText = std::max(10, std::min(64, screenColumns - 6 - iconColumns));
    SIZE textSize = TextCells(text, maxText);
    int textColumns = std::max(1, static_cast<int>(textSize.cx));
    int textRows = std::max(1, static_cast<int>(textSize.cy));
    // A text too long for the screen is cut; the box always keeps its buttons.
    textRows = std::min(textRows, std::max(1, screenRows - 7));

    int buttonColumns = 10;
    for (int id : info.buttons)
        buttonColumns = std::max(buttonColumns, LabelCells(ButtonLabel(id)) + 4);
    int buttonCount = static_cast<int>(info.buttons.size());
    int buttonsWidth = buttonCount * buttonColumns + (buttonCount - 1) * 2;

    int contentRows = std::max(textRows, hasIcon ? 2 : 0);
    int width = std::max(
        {2 + iconColumns + textColumns + 2, 2 + buttonsWidth + 2, LabelCells(caption) + 6, 20});
    width = std::min(width, screenColumns - 2);
    int height = 1 + contentRows + 1 + 1 + 1;

    res::DialogTemplate t;
    t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_NOIDLEMSG;
    t.exStyle = WS_EX_DLGMODALFRAME | ((type & MB_TOPMOST) ? WS_EX_TOPMOST : 0);
    t.cx = static_cast<short>(width * 4);
    t.cy = static_cast<short>(height * 8);
    t.caption = caption;
    if (hasIcon) {
        res::DialogItem icon = Item("Static", SS_ICON, 2, 1, 4, 2, kIconId, "");
        icon.textIsOrdinal = true;
        icon.textOrdinal = static_cast<WORD>(reinterpret_cast<uintptr_t>(IconOf(type)));
        t.items.push_back(icon);
    }
    int textLeft = 2 + iconColumns;
    int textWidth = std::max(1, std::min(textColumns, width - textLeft - 1));
    int textTop = 1 + (contentRows - textRows) / 2;
    t.items.push_back(Item("Static", SS_LEFT | SS_NOPREFIX | WS_GROUP, textLeft, textTop, textWidth,
                           textRows, kTextId, text));
    int left = (width - buttonsWidth) / 2;
    int row = 1 + contentRows + 1;
    for (int i = 0; i < buttonCount; ++i) {
        DWORD style = WS_TABSTOP | (i == 0 ? WS_GROUP : 0) |
                      (i == info.defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        t.items.push_back(Item("Button", style, left + i * (buttonColumns + 2), row, buttonColumns,
                               1, static_cast<WORD>(info.buttons[i]),
                               ButtonLabel(info.buttons[i])));
    }
    return t;
}

INT_PTR CALLBACK BoxProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG: {
        auto* info = reinterpret_cast<BoxInfo*>(lParam);
        SetWindowLongPtrA(hwnd, GWLP_USERDATA, lParam);
        if (info == nullptr)
            return TRUE;
        if (!info->hasCancel && (info->type & MB_TYPEMASK) != MB_OK) {
            // No Cancel button: Esc and the close box do nothing.
            HMENU menu = GetSystemMenu(hwnd, FALSE);
            if (menu != nullptr)
                EnableMenuItem(menu, SC_CLOSE, MF_BYCOMMAND | MF_GRAYED);
        }
        HWND button = GetDlgItem(hwnd, info->buttons[static_cast<size_t>(info->defaultButton)]);
        if (button != nullptr)
            SetFocus(button);
        return FALSE;
    }
    case WM_COMMAND: {
        auto* info = reinterpret_cast<BoxInfo*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (info == nullptr)
            return FALSE;
        int id = LOWORD(wParam);
        if (id == IDCANCEL && !info->hasCancel) {
            if ((info->type & MB_TYPEMASK) != MB_OK)
                return TRUE;
            id = IDOK;
        }
        if (std::find(info->buttons.begin(), info->buttons.end(), id) == info->buttons.end())
            return FALSE;
        info->answered = true;
        EndDialog(hwnd, id);
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

} // namespace win

using namespace win;

int WINAPI MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
    std::string body = text ? text : "";
    std::string title = caption ? caption : "Error";
    BoxInfo info;
    info.type = type;
    info.buttons = ButtonsOf(type);
    info.hasCancel =
        std::find(info.buttons.begin(), info.buttons.end(), IDCANCEL) != info.buttons.end();
    info.defaultButton = static_cast<int>((type & MB_DEFMASK) >> 8);
    if (info.defaultButton >= static_cast<int>(info.buttons.size()))
        info.defaultButton = 0;
    if (owner != nullptr && !IsWindow(owner))
        owner = nullptr;

    // A task-modal box without owner holds every window of the program still.
    std::vector<HWND> disabled;
    if (owner == nullptr && (type & MB_TASKMODAL)) {
        for (Window* top : Desktop()->children)
            if ((top->style & WS_VISIBLE) && !(top->style & WS_DISABLED))
                disabled.push_back(top->handle);
        for (HWND h : disabled)
            EnableWindow(h, FALSE);
    }

    res::DialogTemplate t = Layout(body, title, type, info);
    INT_PTR result = RunDialogBox(t, nullptr, owner, &BoxProc, reinterpret_cast<LPARAM>(&info));
    for (HWND h : disabled)
        if (IsWindow(h))
            EnableWindow(h, TRUE);
    int answer = info.answered ? static_cast<int>(result) : 0;
    if (const auto& note = host::CurrentFrontendHooks().messageBoxAnswered)
        note(body.c_str(), title.c_str(), type, answer);
    return answer;
}

BOOL WINAPI MessageBeep(UINT type) {
    if (const auto& note = host::CurrentFrontendHooks().beeped)
        note(type);
    return TRUE;
}
