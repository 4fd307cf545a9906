// What a window holds and how windows hang together: window longs, texts, the tree of
// parents, children and owners, and the helpers that address a dialog's controls by id.
#include "user/WindowSystem.h"

#include <cstring>

using namespace win;

namespace {

bool ExtraSlot(Window* w, int index, size_t size) {
    return index >= 0 && static_cast<size_t>(index) + size <= w->extra.size();
}

LONG_PTR SetStyle(Window* w, int index, LONG_PTR value) {
    HWND hwnd = w->handle;
    DWORD old = index == GWL_STYLE ? w->style : w->exStyle;
    struct {
        DWORD styleOld;
        DWORD styleNew;
    } change = {old, static_cast<DWORD>(value)};
    Send(hwnd, WM_STYLECHANGING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    w = Find(hwnd);
    if (w == nullptr)
        return 0;
    if (index == GWL_STYLE)
        w->style = change.styleNew;
    else
        w->exStyle = change.styleNew;
    Send(hwnd, WM_STYLECHANGED, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&change));
    return static_cast<LONG_PTR>(static_cast<LONG>(old));
}

} // namespace

LONG_PTR WINAPI GetWindowLongPtrA(HWND hWnd, int index) {
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return 0;
    }
    switch (index) {
    case GWLP_WNDPROC:
        return reinterpret_cast<LONG_PTR>(w->proc);
    case GWLP_HINSTANCE:
        return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
        if (w->style & WS_CHILD)
            return reinterpret_cast<LONG_PTR>(w->parent ? w->parent->handle : nullptr);
        return reinterpret_cast<LONG_PTR>(w->owner);
    case GWLP_ID:
        return static_cast<LONG_PTR>(w->id);
    case GWL_STYLE:
        return static_cast<LONG>(w->style);
    case GWL_EXSTYLE:
        return static_cast<LONG>(w->exStyle);
    case GWLP_USERDATA:
        return w->userData;
    default:
        break;
    }
    if (ExtraSlot(w, index, sizeof(LONG_PTR))) {
        LONG_PTR value;
        memcpy(&value, &w->extra[static_cast<size_t>(index)], sizeof value);
        return value;
    }
    if (ExtraSlot(w, index, sizeof(LONG))) {
        LONG value;
        memcpy(&value, &w->extra[static_cast<size_t>(index)], sizeof value);
        return value;
    }
    SetLastError(1413); // ERROR_INVALID_INDEX
    return 0;
}

LONG_PTR WINAPI SetWindowLongPtrA(HWND hWnd, int index, LONG_PTR newLong) {
    Window* w = Find(hWnd);
    if (w == nullptr || w == Sys().desktop) {
        SetLastError(1400);
        return 0;
    }
    LONG_PTR old = 0;
    switch (index) {
    case GWLP_WNDPROC:
        if (newLong == 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        old = reinterpret_cast<LONG_PTR>(w->proc);
        w->proc = reinterpret_cast<WNDPROC>(newLong);
        return old;
    case GWLP_HINSTANCE:
        old = reinterpret_cast<LONG_PTR>(w->instance);
        w->instance = reinterpret_cast<HINSTANCE>(newLong);
        return old;
    case GWLP_HWNDPARENT:
        if (w->style & WS_CHILD)
            return 0; // SetParent's job
        old = reinterpret_cast<LONG_PTR>(w->owner);
        if (Window* owner = Find(reinterpret_cast<HWND>(newLong))) {
            // An owner chain never comes back to the window itself.
            HWND candidate = TopLevelOf(owner)->handle;
            for (Window* o = Find(candidate); o != nullptr; o = Find(o->owner))
                if (o == w)
                    return 0;
            w->owner = candidate == Desktop()->handle ? nullptr : candidate;
        } else {
            w->owner = nullptr;
        }
        return old;
    case GWLP_ID:
        old = static_cast<LONG_PTR>(w->id);
        w->id = static_cast<UINT_PTR>(newLong);
        return old;
    case GWL_STYLE:
    case GWL_EXSTYLE:
        return SetStyle(w, index, newLong);
    case GWLP_USERDATA:
        old = w->userData;
        w->userData = newLong;
        return old;
    default:
        break;
    }
    if (ExtraSlot(w, index, sizeof(LONG_PTR))) {
        memcpy(&old, &w->extra[static_cast<size_t>(index)], sizeof old);
        memcpy(&w->extra[static_cast<size_t>(index)], &newLong, sizeof newLong);
        return old;
    }
    if (ExtraSlot(w, index, sizeof(LONG))) {
        LONG previous;
        LONG value = static_cast<LONG>(newLong);
        memcpy(&previous, &w->extra[static_cast<size_t>(index)], sizeof previous);
        memcpy(&w->extra[static_cast<size_t>(index)], &value, sizeof value);
        return previous;
    }
    SetLastError(1413);
    return 0;
}

LONG WINAPI GetWindowLongA(HWND hWnd, int index) {
    return static_cast<LONG>(GetWindowLongPtrA(hWnd, index));
}

LONG WINAPI SetWindowLongA(HWND hWnd, int index, LONG newLong) {
    Window* w = Find(hWnd);
    if (w != nullptr && index >= 0 && !ExtraSlot(w, index, sizeof(LONG_PTR)) &&
        ExtraSlot(w, index, sizeof(LONG))) {
        LONG previous;
        memcpy(&previous, &w->extra[static_cast<size_t>(index)], sizeof previous);
        memcpy(&w->extra[static_cast<size_t>(index)], &newLong, sizeof newLong);
        return previous;
    }
    if (index == GWLP_WNDPROC) {
        // A 32-bit value cannot hold a procedure on this host.
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return static_cast<LONG>(SetWindowLongPtrA(hWnd, index, newLong));
}

HWND WINAPI GetDesktopWindow() {
    return Desktop()->handle;
}

HWND WINAPI GetParent(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return nullptr;
    }
    if (w->style & WS_CHILD)
        return w->parent ? w->parent->handle : nullptr;
    if (w->style & WS_POPUP)
        return w->owner;
    return nullptr;
}

HWND WINAPI SetParent(HWND child, HWND newParent) {
    Window* w = Find(child);
    if (w == nullptr || w == Sys().desktop)
        return nullptr;
    Window* p = newParent ? Find(newParent) : Desktop();
    if (p == nullptr)
        return nullptr;
    for (Window* a = p; a != nullptr; a = a->parent)
        if (a == w)
            return nullptr; // no cycles
    HWND old = w->parent ? w->parent->handle : nullptr;
    bool visible = IsWindowVisible(child) != FALSE;
    RECT oldScreen = ScreenRect(w);
    auto& siblings = w->parent->children;
    for (auto it = siblings.begin(); it != siblings.end(); ++it) {
        if (*it == w) {
            siblings.erase(it);
            break;
        }
    }
    w->parent = p;
    p->children.insert(p->children.begin(), w);
    if (visible)
        ExposeScreenRect(Find(old) ? Find(old) : Desktop(), oldScreen, w);
    InvalidateAll(w);
    return old == Desktop()->handle ? nullptr : old;
}

HWND WINAPI GetWindow(HWND hWnd, UINT command) {
    Window* w = Find(hWnd);
    if (w == nullptr) {
        SetLastError(1400);
        return nullptr;
    }
    if (command == GW_CHILD)
        return w->children.empty() ? nullptr : w->children.front()->handle;
    if (command == GW_OWNER)
        return IsTopLevel(w) ? w->owner : nullptr;
    if (command == GW_ENABLEDPOPUP) {
        for (Window* top : Desktop()->children)
            if (top->owner == hWnd && (top->style & WS_VISIBLE) && !(top->style & WS_DISABLED))
                return top->handle;
        return nullptr;
    }
    if (w->parent == nullptr)
        return nullptr;
    auto& siblings = w->parent->children;
    size_t index = 0;
    while (index < siblings.size() && siblings[index] != w)
        ++index;
    if (index == siblings.size())
        return nullptr;
    switch (command) {
    case GW_HWNDFIRST:
        return siblings.front()->handle;
    case GW_HWNDLAST:
        return siblings.back()->handle;
    case GW_HWNDNEXT:
        return index + 1 < siblings.size() ? siblings[index + 1]->handle : nullptr;
    case GW_HWNDPREV:
        return index > 0 ? siblings[index - 1]->handle : nullptr;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
}

HWND WINAPI GetTopWindow(HWND hWnd) {
    Window* w = hWnd ? Find(hWnd) : Desktop();
    if (w == nullptr || w->children.empty())
        return nullptr;
    return w->children.front()->handle;
}

namespace {

void CollectDescendants(const Window* w, std::vector<HWND>& out) {
    for (const Window* child : w->children) {
        out.push_back(child->handle);
        CollectDescendants(child, out);
    }
}

} // namespace

BOOL WINAPI EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM lParam) {
    Window* w = parent ? Find(parent) : Desktop();
    if (w == nullptr || proc == nullptr)
        return FALSE;
    std::vector<HWND> handles;
    CollectDescendants(w, handles);
    for (HWND h : handles) {
        if (Find(h) == nullptr)
            continue;
        if (!proc(h, lParam))
            return FALSE;
    }
    return TRUE;
}

BOOL WINAPI EnumWindows(WNDENUMPROC proc, LPARAM lParam) {
    if (proc == nullptr)
        return FALSE;
    std::vector<HWND> handles;
    for (Window* top : Desktop()->children)
        handles.push_back(top->handle);
    for (HWND h : handles) {
        if (Find(h) == nullptr)
            continue;
        if (!proc(h, lParam))
            return FALSE;
    }
    return TRUE;
}

BOOL WINAPI IsChild(HWND parent, HWND hWnd) {
    Window* p = Find(parent);
    Window* w = Find(hWnd);
    if (p == nullptr || w == nullptr)
        return FALSE;
    for (Window* a = w; (a->style & WS_CHILD) && a->parent != nullptr; a = a->parent)
        if (a->parent == p)
            return TRUE;
    return FALSE;
}

BOOL WINAPI IsWindow(HWND hWnd) {
    return Find(hWnd) != nullptr;
}

HWND WINAPI FindWindowA(LPCSTR className, LPCSTR windowName) {
    WindowClass* cls = className ? FindClass(className) : nullptr;
    if (className != nullptr && cls == nullptr)
        return nullptr;
    for (Window* top : Desktop()->children) {
        if (cls != nullptr && top->cls != cls)
            continue;
        if (windowName != nullptr && top->text != windowName)
            continue;
        return top->handle;
    }
    return nullptr;
}

BOOL WINAPI SetWindowTextA(HWND hWnd, LPCSTR text) {
    if (Find(hWnd) == nullptr) {
        SetLastError(1400);
        return FALSE;
    }
    return Send(hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) != 0;
}

int WINAPI GetWindowTextA(HWND hWnd, LPSTR text, int maxCount) {
    if (text == nullptr || maxCount <= 0)
        return 0;
    text[0] = '\0';
    if (Find(hWnd) == nullptr) {
        SetLastError(1400);
        return 0;
    }
    int length = static_cast<int>(
        Send(hWnd, WM_GETTEXT, static_cast<WPARAM>(maxCount), reinterpret_cast<LPARAM>(text)));
    if (length < 0)
        length = 0;
    if (length >= maxCount)
        length = maxCount - 1;
    text[length] = '\0';
    return length;
}

int WINAPI GetWindowTextLengthA(HWND hWnd) {
    if (Find(hWnd) == nullptr)
        return 0;
    return static_cast<int>(Send(hWnd, WM_GETTEXTLENGTH));
}

HWND WINAPI GetDlgItem(HWND dialog, int id) {
    Window* w = Find(dialog);
    if (w == nullptr) {
        SetLastError(1400);
        return nullptr;
    }
    for (Window* child : w->children)
        if (static_cast<WORD>(child->id) == static_cast<WORD>(id) &&
            static_cast<int>(child->id) == id)
            return child->handle;
    // Ids are 16 bits in templates: -1 and 0xFFFF name the same control.
    for (Window* child : w->children)
        if (static_cast<WORD>(child->id) == static_cast<WORD>(id))
            return child->handle;
    SetLastError(1421); // ERROR_CONTROL_ID_NOT_FOUND
    return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr || !(w->style & WS_CHILD))
        return 0;
    return static_cast<int>(w->id);
}

BOOL WINAPI SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
    HWND control = GetDlgItem(dialog, id);
    return control != nullptr && SetWindowTextA(control, text);
}

UINT WINAPI GetDlgItemTextA(HWND dialog, int id, LPSTR text, int maxCount) {
    if (text != nullptr && maxCount > 0)
        text[0] = '\0';
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr)
        return 0;
    return static_cast<UINT>(GetWindowTextA(control, text, maxCount));
}

BOOL WINAPI SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned) {
    char buffer[16];
    if (isSigned)
        wsprintfA(buffer, "%d", static_cast<int>(value));
    else
        wsprintfA(buffer, "%u", value);
    return SetDlgItemTextA(dialog, id, buffer);
}

UINT WINAPI GetDlgItemInt(HWND dialog, int id, BOOL* translated, BOOL isSigned) {
    char buffer[32];
    if (translated != nullptr)
        *translated = FALSE;
    if (GetDlgItemTextA(dialog, id, buffer, sizeof buffer) == 0)
        return 0;
    const char* p = buffer;
    while (*p == ' ')
        ++p;
    bool negative = false;
    if (isSigned && *p == '-') {
        negative = true;
        ++p;
    }
    if (*p < '0' || *p > '9')
        return 0;
    unsigned long long value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<unsigned>(*p - '0');
        if (value > 0xFFFFFFFFull)
            return 0;
        ++p;
    }
    while (*p == ' ')
        ++p;
    if (*p != '\0')
        return 0;
    if (isSigned && value > (negative ? 0x80000000ull : 0x7FFFFFFFull))
        return 0;
    if (translated != nullptr)
        *translated = TRUE;
    return negative ? static_cast<UINT>(-static_cast<long long>(value)) : static_cast<UINT>(value);
}

LRESULT WINAPI SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam,
                                   LPARAM lParam) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr)
        return 0;
    return SendMessageA(control, message, wParam, lParam);
}

BOOL WINAPI CheckDlgButton(HWND dialog, int id, UINT check) {
    HWND control = GetDlgItem(dialog, id);
    if (control == nullptr)
        return FALSE;
    SendMessageA(control, BM_SETCHECK, check, 0);
    return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND dialog, int id) {
    return static_cast<UINT>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}
