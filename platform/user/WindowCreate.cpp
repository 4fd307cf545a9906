// Making and destroying windows.
#include "user/WindowSystem.h"

#include <algorithm>

using namespace win;

namespace {

void Retire(HWND hwnd) {
    System& s = Sys();
    auto it = s.windows.find(hwnd);
    if (it == s.windows.end())
        return;
    std::unique_ptr<Window> w = std::move(it->second);
    s.windows.erase(it);
    if (w->parent != nullptr) {
        auto& siblings = w->parent->children;
        siblings.erase(std::remove(siblings.begin(), siblings.end(), w.get()), siblings.end());
    }
    for (Window* child : w->children)
        child->parent = nullptr;
    w->children.clear();
    if (w->cls != nullptr)
        --w->cls->windows;
    if (w->sysMenu != nullptr)
        DestroyMenu(w->sysMenu);
    w->sysMenu = nullptr;
    w->state.reset();
    s.graveyard.push_back(std::move(w));
}

std::vector<HWND> ChildHandles(const Window* w) {
    std::vector<HWND> handles;
    for (const Window* child : w->children)
        handles.push_back(child->handle);
    return handles;
}

void MarkDestroying(Window* w) {
    w->destroying = true;
    for (Window* child : w->children)
        MarkDestroying(child);
}

void SendDestroy(HWND hwnd) {
    if (Find(hwnd) == nullptr)
        return;
    Send(hwnd, WM_DESTROY);
    Window* w = Find(hwnd);
    if (w == nullptr)
        return;
    for (HWND child : ChildHandles(w))
        SendDestroy(child);
}

void SendNcDestroy(HWND hwnd) {
    Window* w = Find(hwnd);
    if (w == nullptr)
        return;
    for (HWND child : ChildHandles(w))
        SendNcDestroy(child);
    if (Find(hwnd) == nullptr)
        return;
    Send(hwnd, WM_NCDESTROY);
    Retire(hwnd);
}

bool InSubtree(HWND candidate, const Window* root) {
    for (Window* w = Find(candidate); w != nullptr; w = w->parent)
        if (w == root)
            return true;
    return false;
}

} // namespace

HWND WINAPI CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x,
                            int y, int width, int height, HWND parent, HMENU menu,
                            HINSTANCE instance, LPVOID param) {
    WindowClass* cls = FindClass(className);
    if (cls == nullptr || cls->name == "#32769") {
        SetLastError(1407); // ERROR_CANNOT_FIND_WND_CLASS
        return nullptr;
    }
    System& s = Sys();
    Window* parentWindow = nullptr;
    HWND owner = nullptr;
    if (style & WS_CHILD) {
        parentWindow = Find(parent);
        if (parentWindow == nullptr) {
            SetLastError(1406); // ERROR_TLW_WITH_WSCHILD
            return nullptr;
        }
    } else {
        parentWindow = Desktop();
        if (parent != nullptr && parent != parentWindow->handle) {
            Window* p = Find(parent);
            if (p == nullptr) {
                SetLastError(1400);
                return nullptr;
            }
            owner = TopLevelOf(p)->handle;
        }
        // An overlapped window always has a caption.
        if ((style & WS_POPUP) == 0)
            style |= WS_CLIPSIBLINGS | WS_CAPTION;
    }

    auto record = std::make_unique<Window>();
    Window* w = record.get();
    w->handle = reinterpret_cast<HWND>(s.nextHandle);
    s.nextHandle += 4;
    w->cls = cls;
    ++cls->windows;
    w->proc = cls->wc.lpfnWndProc;
    w->style = style & ~WS_VISIBLE;
    w->exStyle = exStyle;
    w->id = (style & WS_CHILD) ? reinterpret_cast<UINT_PTR>(menu) : 0;
    w->instance = instance;
    w->parent = parentWindow;
    w->owner = owner;
    w->extra.assign(static_cast<size_t>(std::max(0, cls->wc.cbWndExtra)), 0);

    if (!(style & WS_CHILD)) {
        RECT screen = ScreenBounds();
        if (x == CW_USEDEFAULT) {
            x = 2 * kCellWidth;
            y = kCellHeight;
        }
        if (width == CW_USEDEFAULT) {
            width = (screen.right - screen.left) * 3 / 4;
            height = (screen.bottom - screen.top) * 3 / 4;
        }
    } else {
        if (x == CW_USEDEFAULT)
            x = y = 0;
        if (width == CW_USEDEFAULT)
            width = height = 0;
    }
    RECT r = {x, y, x + std::max(0, width), y + std::max(0, height)};
    w->rect = (style & WS_CHILD) ? r : SnapToCells(r);

    HWND hwnd = w->handle;
    if (style & WS_CHILD)
        parentWindow->children.push_back(w);
    else
        parentWindow->children.insert(parentWindow->children.begin(), w);
    s.windows.emplace(hwnd, std::move(record));

    CREATESTRUCTA cs = {};
    cs.lpCreateParams = param;
    cs.hInstance = instance;
    cs.hMenu = menu;
    cs.hwndParent = parent;
    cs.cx = width;
    cs.cy = height;
    cs.x = x;
    cs.y = y;
    cs.style = static_cast<LONG>(style);
    cs.lpszName = windowName;
    cs.lpszClass = className;
    cs.dwExStyle = exStyle;
    if (!Send(hwnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
        DestroyWindow(hwnd);
        SetLastError(1400);
        return nullptr;
    }
    if (Find(hwnd) == nullptr)
        return nullptr;
    if (Send(hwnd, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
        DestroyWindow(hwnd);
        return nullptr;
    }
    w = Find(hwnd);
    if (w == nullptr)
        return nullptr;
    RECT client = ClientRectOf(w);
    Send(hwnd, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
    if (Find(hwnd) == nullptr)
        return nullptr;
    POINT origin = ClientOrigin(w);
    POINT parentOrigin = ClientOrigin(w->parent);
    Send(hwnd, WM_MOVE, 0, MAKELPARAM(origin.x - parentOrigin.x, origin.y - parentOrigin.y));
    if (Find(hwnd) == nullptr)
        return nullptr;
    if (style & WS_VISIBLE)
        ShowWindow(hwnd, SW_SHOW);
    return Find(hwnd) ? hwnd : nullptr;
}

BOOL WINAPI DestroyWindow(HWND hWnd) {
    Window* w = Find(hWnd);
    if (w == nullptr || w == Sys().desktop) {
        SetLastError(1400);
        return FALSE;
    }
    if (w->destroying)
        return FALSE;

    // Windows it owns go first.
    if (IsTopLevel(w)) {
        std::vector<HWND> owned;
        for (Window* top : Desktop()->children)
            if (top->owner == hWnd && top != w)
                owned.push_back(top->handle);
        for (HWND o : owned)
            DestroyWindow(o);
        w = Find(hWnd);
        if (w == nullptr)
            return TRUE;
    }

    if (w->style & WS_VISIBLE) {
        SetWindowPos(hWnd, nullptr, 0, 0, 0, 0,
                     SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER);
        w = Find(hWnd);
        if (w == nullptr)
            return TRUE;
    }
    System& s = Sys();
    if (s.focus != nullptr && InSubtree(s.focus, w)) {
        HWND old = s.focus;
        s.focus = nullptr;
        Send(old, WM_KILLFOCUS, 0);
        w = Find(hWnd);
        if (w == nullptr)
            return TRUE;
    }
    if (s.active == hWnd)
        ChooseNewActiveWindow(hWnd);
    w = Find(hWnd);
    if (w == nullptr)
        return TRUE;
    if (s.capture != nullptr && InSubtree(s.capture, w))
        s.capture = nullptr;

    MarkDestroying(w);
    SendDestroy(hWnd);
    SendNcDestroy(hWnd);
    ForgetWindow(hWnd);
    return TRUE;
}
