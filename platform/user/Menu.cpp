// Menus, as far as this system has them: the system menu of a top-level window, which
// programs may add items to, and its popup, opened with Alt+Space. Choosing an item sends
// WM_SYSCOMMAND with the item's id to the window.
#include "MessageQueue.h"
#include "user/WindowSystem.h"

#include <algorithm>
#include <map>

namespace win {

namespace {

struct MenuItem {
    UINT flags = 0;
    UINT_PTR id = 0;
    std::string text;
};

struct Menu {
    std::vector<MenuItem> items;
};

std::map<HMENU, std::unique_ptr<Menu>>& Menus() {
    static std::map<HMENU, std::unique_ptr<Menu>> menus;
    return menus;
}

uintptr_t g_nextMenu = 0x70000;

Menu* FindMenu(HMENU menu) {
    auto& menus = Menus();
    auto it = menus.find(menu);
    return it == menus.end() ? nullptr : it->second.get();
}

HMENU NewMenu() {
    HMENU handle = reinterpret_cast<HMENU>(g_nextMenu);
    g_nextMenu += 4;
    Menus()[handle] = std::make_unique<Menu>();
    return handle;
}

bool Japanese() {
    return GetACP() == 932;
}

void FillSystemMenu(Menu* menu, DWORD style) {
    menu->items.clear();
    bool japanese = Japanese();
    if (style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) {
        menu->items.push_back({MF_STRING | MF_GRAYED, SC_RESTORE,
                               japanese ? "\x8C\xB3\x82\xCC\x83T\x83"
                                          "C\x83Y\x82\xC9\x96\xDF\x82\xB7(&R)"
                                        : "&Restore"});
        if (style & WS_MINIMIZEBOX)
            menu->items.push_back(
                {MF_STRING, SC_MINIMIZE, japanese ? "\x8D\xC5\x8F\xAC\x89\xBB(&N)" : "Mi&nimize"});
        menu->items.push_back({MF_SEPARATOR, 0, ""});
    }
    // Ctrl+Q: the key of the close command that reaches the program in a terminal.
    menu->items.push_back({MF_STRING, SC_CLOSE,
                           japanese ? "\x95\xC2\x82\xB6\x82\xE9(&C)\tCtrl+Q" : "&Close\tCtrl+Q"});
}

// Where an item is: by command id (searching popups too) or by position.
MenuItem* Locate(Menu* menu, UINT item, UINT flags, size_t* index = nullptr) {
    if (menu == nullptr)
        return nullptr;
    if (flags & MF_BYPOSITION) {
        if (item >= menu->items.size())
            return nullptr;
        if (index != nullptr)
            *index = item;
        return &menu->items[item];
    }
    for (size_t i = 0; i < menu->items.size(); ++i) {
        if (!(menu->items[i].flags & MF_SEPARATOR) && menu->items[i].id == item) {
            if (index != nullptr)
                *index = i;
            return &menu->items[i];
        }
    }
    return nullptr;
}

MenuItem MakeItem(UINT flags, UINT_PTR id, LPCSTR text) {
    MenuItem item;
    item.flags =
        flags & ~static_cast<UINT>(MF_BYPOSITION | MF_CHANGE | MF_APPEND | MF_DELETE | MF_REMOVE);
    item.id = id;
    if (!(flags & (MF_SEPARATOR | MF_BITMAP | MF_OWNERDRAW)) && text != nullptr &&
        !IS_INTRESOURCE(text))
        item.text = text;
    return item;
}

// The popup of an open system menu.
struct MenuPopupState : WindowState {
    HMENU menu = nullptr;
    int selection = -1;
    int chosen = -1;
    bool done = false;
};

std::string Label(const MenuItem& item) {
    std::string label = item.text;
    size_t tab = label.find('\t');
    if (tab != std::string::npos)
        label = label.substr(0, tab) + "  " + label.substr(tab + 1);
    return label;
}

int LabelWidth(const MenuItem& item) {
    int width = 0;
    std::string label = Label(item);
    for (size_t i = 0; i < label.size(); ++i)
        if (label[i] != '&' || (i + 1 < label.size() && label[i + 1] == '&'))
            ++width;
    return width;
}

bool Selectable(const MenuItem& item) {
    return !(item.flags & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED));
}

void MoveSelection(HWND popup, MenuPopupState* s, Menu* menu, int step) {
    int count = static_cast<int>(menu->items.size());
    if (count == 0)
        return;
    int index = s->selection;
    for (int n = 0; n < count; ++n) {
        index = ((index < 0 && step < 0 ? count : index) + step + count) % count;
        if (Selectable(menu->items[static_cast<size_t>(index)])) {
            s->selection = index;
            InvalidateRect(popup, nullptr, TRUE);
            return;
        }
    }
}

void Choose(MenuPopupState* s, Menu* menu, int index) {
    if (index >= 0 && index < static_cast<int>(menu->items.size()) &&
        Selectable(menu->items[static_cast<size_t>(index)]))
        s->chosen = index;
    s->done = true;
}

} // namespace

LRESULT CALLBACK MenuPopupProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    MenuPopupState* s = StateOf<MenuPopupState>(hwnd);
    switch (message) {
    case WM_NCCREATE: {
        Window* w = Find(hwnd);
        auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        if (w == nullptr || cs == nullptr)
            return FALSE;
        auto state = std::make_unique<MenuPopupState>();
        state->menu = reinterpret_cast<HMENU>(cs->lpCreateParams);
        w->state = std::move(state);
        return TRUE;
    }
    case WM_MOUSEACTIVATE:
        return MA_NOACTIVATE;
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        if (hdc == nullptr)
            return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        FillRect(hdc, &client, GetSysColorBrush(COLOR_MENU));
        Menu* menu = s ? FindMenu(s->menu) : nullptr;
        SetBkMode(hdc, OPAQUE);
        for (size_t i = 0; menu != nullptr && i < menu->items.size(); ++i) {
            const MenuItem& item = menu->items[i];
            RECT row = {0, static_cast<LONG>(i) * kCellHeight, client.right,
                        static_cast<LONG>(i + 1) * kCellHeight};
            if (item.flags & MF_SEPARATOR) {
                // A line across the row: a row of cells has no room for an etched edge.
                HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
                HGDIOBJ old = SelectObject(hdc, pen);
                MoveToEx(hdc, 0, row.top + kCellHeight / 2, nullptr);
                LineTo(hdc, client.right, row.top + kCellHeight / 2);
                SelectObject(hdc, old);
                DeleteObject(pen);
                continue;
            }
            bool selected = static_cast<int>(i) == s->selection;
            SetTextColor(hdc, GetSysColor(selected           ? COLOR_HIGHLIGHTTEXT
                                          : Selectable(item) ? COLOR_MENUTEXT
                                                             : COLOR_GRAYTEXT));
            SetBkColor(hdc, GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_MENU));
            if (selected)
                FillRect(hdc, &row, GetSysColorBrush(COLOR_HIGHLIGHT));
            RECT text = row;
            text.left += kCellWidth;
            std::string label = Label(item);
            DrawTextA(hdc, label.c_str(), static_cast<int>(label.size()), &text,
                      DT_LEFT | DT_SINGLELINE);
        }
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_LBUTTONDOWN: {
        Menu* menu = s ? FindMenu(s->menu) : nullptr;
        if (menu == nullptr)
            return 0;
        RECT client;
        GetClientRect(hwnd, &client);
        POINT p = {static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam))};
        if (PtInRect(&client, p))
            Choose(s, menu, p.y / kCellHeight);
        else
            s->done = true;
        return 0;
    }
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

void RunSystemMenu(HWND hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr)
        return;
    w = TopLevelOf(w);
    if (w == nullptr || !(w->style & WS_SYSMENU))
        return;
    hwnd = w->handle;
    HMENU menu = GetSystemMenu(hwnd, FALSE);
    if (menu == nullptr)
        return;
    Send(hwnd, WM_INITMENU, reinterpret_cast<WPARAM>(menu));
    Send(hwnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), MAKELPARAM(0, TRUE));
    Menu* m = FindMenu(menu);
    w = Find(hwnd);
    if (m == nullptr || m->items.empty() || w == nullptr)
        return;
    int width = 0;
    for (const MenuItem& item : m->items)
        width = std::max(width, LabelWidth(item));
    width = (width + 2) * kCellWidth;
    int height = static_cast<int>(m->items.size()) * kCellHeight;
    RECT window = ScreenRect(w);
    RECT screen = ScreenBounds();
    int left = std::max(0, std::min(static_cast<int>(window.left),
                                    static_cast<int>(screen.right) - width - 2 * kCellWidth));
    int top = std::max(0, std::min(static_cast<int>(window.top) + kCellHeight,
                                   static_cast<int>(screen.bottom) - height - 2 * kCellHeight));
    HWND popup =
        CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "#32768", "", WS_POPUP | WS_BORDER, left,
                        top, width + 2 * kCellWidth, height + 2 * kCellHeight, hwnd, nullptr,
                        nullptr, reinterpret_cast<LPVOID>(menu));
    if (popup == nullptr)
        return;
    ShowWindow(popup, SW_SHOWNA);
    HWND oldCapture = SetCapture(popup);
    Send(hwnd, WM_ENTERMENULOOP, FALSE);
    if (MenuPopupState* s = StateOf<MenuPopupState>(popup))
        MoveSelection(popup, s, m, 1);
    for (;;) {
        MenuPopupState* s = StateOf<MenuPopupState>(popup);
        m = FindMenu(menu);
        if (s == nullptr || m == nullptr || s->done || !IsWindow(hwnd))
            break;
        MSG msg;
        if (!PeekQueue(msg, nullptr, 0, 0, true)) {
            if (!WaitForMore())
                EndOnNoInput();
            continue;
        }
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            s->done = true;
            break;
        }
        if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
            switch (msg.wParam) {
            case VK_UP:
                MoveSelection(popup, s, m, -1);
                break;
            case VK_DOWN:
                MoveSelection(popup, s, m, 1);
                break;
            case VK_RETURN:
                Choose(s, m, s->selection);
                break;
            case VK_ESCAPE:
            case VK_MENU:
            case VK_F10:
                s->done = true;
                break;
            default:
                TranslateMessage(&msg);
                break;
            }
            continue;
        }
        if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
            int wanted = static_cast<int>(msg.wParam);
            if (wanted >= 'a' && wanted <= 'z')
                wanted = wanted - 'a' + 'A';
            for (size_t i = 0; i < m->items.size(); ++i)
                if (Selectable(m->items[i]) && MnemonicOf(m->items[i].text) == wanted)
                    Choose(s, m, static_cast<int>(i));
            continue;
        }
        if (msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP)
            continue;
        DispatchMessageA(&msg);
    }
    MenuPopupState* s = StateOf<MenuPopupState>(popup);
    UINT_PTR command = 0;
    m = FindMenu(menu);
    if (s != nullptr && m != nullptr && s->chosen >= 0 &&
        s->chosen < static_cast<int>(m->items.size()))
        command = m->items[static_cast<size_t>(s->chosen)].id;
    if (GetCapture() == popup)
        SetCapture(oldCapture);
    DestroyWindow(popup);
    if (IsWindow(hwnd)) {
        Send(hwnd, WM_EXITMENULOOP, FALSE);
        if (command != 0)
            PostMessageA(hwnd, WM_SYSCOMMAND, command, 0);
    }
}

} // namespace win

using namespace win;

HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL revert) {
    Window* w = Find(hWnd);
    if (w == nullptr || !IsTopLevel(w) || !(w->style & WS_SYSMENU))
        return nullptr;
    if (revert) {
        if (w->sysMenu != nullptr)
            if (Menu* m = FindMenu(w->sysMenu))
                FillSystemMenu(m, w->style);
        return nullptr;
    }
    if (w->sysMenu == nullptr) {
        w->sysMenu = NewMenu();
        FillSystemMenu(FindMenu(w->sysMenu), w->style);
    }
    return w->sysMenu;
}

HMENU WINAPI CreateMenu() {
    return NewMenu();
}

HMENU WINAPI CreatePopupMenu() {
    return NewMenu();
}

BOOL WINAPI DestroyMenu(HMENU menu) {
    return Menus().erase(menu) != 0;
}

BOOL WINAPI AppendMenuA(HMENU menu, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    Menu* m = FindMenu(menu);
    if (m == nullptr || m->items.size() >= 1000)
        return FALSE;
    m->items.push_back(MakeItem(flags, idNewItem, newItem));
    return TRUE;
}

BOOL WINAPI InsertMenuA(HMENU menu, UINT position, UINT flags, UINT_PTR idNewItem, LPCSTR newItem) {
    Menu* m = FindMenu(menu);
    if (m == nullptr || m->items.size() >= 1000)
        return FALSE;
    size_t index = m->items.size();
    if (flags & MF_BYPOSITION) {
        if (position != static_cast<UINT>(-1) && position < m->items.size())
            index = position;
    } else if (position != static_cast<UINT>(-1)) {
        if (Locate(m, position, MF_BYCOMMAND, &index) == nullptr)
            return FALSE;
    }
    m->items.insert(m->items.begin() + static_cast<long>(index),
                    MakeItem(flags, idNewItem, newItem));
    return TRUE;
}

BOOL WINAPI DeleteMenu(HMENU menu, UINT position, UINT flags) {
    return RemoveMenu(menu, position, flags);
}

BOOL WINAPI RemoveMenu(HMENU menu, UINT position, UINT flags) {
    Menu* m = FindMenu(menu);
    size_t index = 0;
    if (Locate(m, position, flags, &index) == nullptr)
        return FALSE;
    m->items.erase(m->items.begin() + static_cast<long>(index));
    return TRUE;
}

int WINAPI GetMenuItemCount(HMENU menu) {
    Menu* m = FindMenu(menu);
    return m ? static_cast<int>(m->items.size()) : -1;
}

UINT WINAPI GetMenuItemID(HMENU menu, int position) {
    Menu* m = FindMenu(menu);
    if (m == nullptr || position < 0 || position >= static_cast<int>(m->items.size()))
        return static_cast<UINT>(-1);
    const MenuItem& item = m->items[static_cast<size_t>(position)];
    if (item.flags & MF_SEPARATOR)
        return 0;
    return static_cast<UINT>(item.id);
}

int WINAPI GetMenuStringA(HMENU menu, UINT item, LPSTR text, int maxCount, UINT flags) {
    MenuItem* found = Locate(FindMenu(menu), item, flags);
    if (found == nullptr)
        return 0;
    if (text == nullptr || maxCount <= 0)
        return static_cast<int>(found->text.size());
    lstrcpynA(text, found->text.c_str(), maxCount);
    return lstrlenA(text);
}

UINT WINAPI GetMenuState(HMENU menu, UINT item, UINT flags) {
    MenuItem* found = Locate(FindMenu(menu), item, flags);
    return found ? found->flags : static_cast<UINT>(-1);
}

BOOL WINAPI EnableMenuItem(HMENU menu, UINT item, UINT enable) {
    MenuItem* found = Locate(FindMenu(menu), item, enable & MF_BYPOSITION);
    if (found == nullptr)
        return -1;
    // The close box of a window follows its Close item.
    for (auto& entry : Sys().windows)
        if (entry.second->sysMenu == menu)
            InvalidateFrame(entry.second.get());
    UINT old = found->flags & (MF_GRAYED | MF_DISABLED);
    found->flags = (found->flags & ~static_cast<UINT>(MF_GRAYED | MF_DISABLED)) |
                   (enable & (MF_GRAYED | MF_DISABLED));
    return static_cast<BOOL>(old);
}
