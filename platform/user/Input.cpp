// The input queue: raw key, character and mouse events from the front end, cooked into window
// messages when they reach the head of the message queue, so that they go to whatever window
// has the focus (or is under the mouse) at that moment.
#include "user/Input.h"

#include "MessageQueue.h"
#include "user/WindowSystem.h"

#include <deque>

namespace win {

namespace {

enum class RawKind { KeyDown, KeyUp, Char, Click, DoubleClick, ButtonUp };

struct RawEvent {
    RawKind kind = RawKind::Char;
    UINT vk = 0;
    bool shift = false;
    bool alt = false;
    bool ctrl = false;
    BYTE ch = 0;
    POINT pt = {0, 0};
    HWND target = nullptr;
};

std::deque<RawEvent> g_raw;
std::deque<MSG> g_cooked;
bool g_shift = false;
bool g_ctrl = false;
bool g_alt = false;
// The window the last press went to: the second press of a double click must go there too.
HWND g_lastPressed = nullptr;

constexpr size_t kMaxRawEvents = 100000;

void PostRaw(const RawEvent& e) {
    if (g_raw.size() < kMaxRawEvents)
        g_raw.push_back(e);
}

HWND KeyTarget(bool& asSystemKey) {
    System& s = Sys();
    if (s.focus != nullptr && Find(s.focus) != nullptr)
        return s.focus;
    // With no focus, keys go to the active window as system keys.
    asSystemKey = true;
    return Find(s.active) ? s.active : nullptr;
}

LPARAM KeyData(UINT vk, bool alt, bool up) {
    LPARAM data = 1 | (static_cast<LPARAM>(vk & 0xFF) << 16);
    if (alt)
        data |= 1L << 29;
    if (up)
        data |= (1L << 30) | (1UL << 31);
    return data;
}

bool Inside(const RECT& r, POINT p) {
    return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

Window* TopLevelAt(POINT p) {
    for (Window* top : Desktop()->children)
        if ((top->style & WS_VISIBLE) && Inside(ScreenRect(top), p))
            return top;
    return nullptr;
}

// The enabled window a disabled owner's input goes to instead: its visible owned popup.
Window* EnabledPopupOf(Window* top) {
    for (Window* t : Desktop()->children)
        if (t->owner == top->handle && (t->style & WS_VISIBLE) && !(t->style & WS_DISABLED))
            return t;
    return nullptr;
}

WPARAM MouseKeys() {
    WPARAM keys = MK_LBUTTON;
    if (g_shift)
        keys |= MK_SHIFT;
    if (g_ctrl)
        keys |= MK_CONTROL;
    return keys;
}

LPARAM ClientPoint(HWND target, POINT screen) {
    POINT p = screen;
    ScreenToClient(target, &p);
    return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
}

// Turns the raw event at the head into a message; FALSE when it makes none (dropped).
bool Cook(const RawEvent& e, MSG& msg) {
    msg = MSG{};
    msg.pt = e.pt;
    switch (e.kind) {
    case RawKind::KeyDown: {
        bool system = e.alt;
        HWND target = KeyTarget(system);
        g_shift = e.shift;
        g_ctrl = e.ctrl;
        g_alt = e.alt;
        RawEvent up = e;
        up.kind = RawKind::KeyUp;
        g_raw.push_front(up);
        if (target == nullptr)
            return false;
        msg.hwnd = target;
        msg.message = system ? WM_SYSKEYDOWN : WM_KEYDOWN;
        msg.wParam = e.vk;
        msg.lParam = KeyData(e.vk, e.alt, false);
        return true;
    }
    case RawKind::KeyUp: {
        bool system = e.alt;
        HWND target = KeyTarget(system);
        g_shift = g_ctrl = g_alt = false;
        if (target == nullptr)
            return false;
        msg.hwnd = target;
        msg.message = system ? WM_SYSKEYUP : WM_KEYUP;
        msg.wParam = e.vk;
        msg.lParam = KeyData(e.vk, e.alt, true);
        return true;
    }
    case RawKind::Char: {
        bool system = false;
        HWND target = KeyTarget(system);
        if (target == nullptr)
            return false;
        msg.hwnd = target;
        msg.message = WM_CHAR;
        msg.wParam = e.ch;
        msg.lParam = 1;
        return true;
    }
    case RawKind::Click:
    case RawKind::DoubleClick: {
        System& s = Sys();
        HWND target = nullptr;
        if (s.capture != nullptr && Find(s.capture) != nullptr) {
            target = s.capture;
        } else {
            Window* top = TopLevelAt(e.pt);
            if (top == nullptr)
                return false;
            if (top->style & WS_DISABLED) {
                // The window waits for a modal window: that one comes forward instead.
                if (Window* popup = EnabledPopupOf(top))
                    SetActiveWindow(popup->handle);
                return false;
            }
            HWND topHandle = top->handle;
            POINT origin = ClientOrigin(top);
            RECT client = ClientRectOf(top);
            OffsetRect(&client, origin.x, origin.y);
            if (s.active != topHandle)
                SetActiveWindow(topHandle);
            top = Find(topHandle);
            if (top == nullptr)
                return false;
            if (!Inside(client, e.pt)) {
                if (Inside(CloseBoxRect(top), e.pt)) {
                    msg.hwnd = topHandle;
                    msg.message = WM_SYSCOMMAND;
                    msg.wParam = SC_CLOSE;
                    msg.lParam = MAKELPARAM(e.pt.x, e.pt.y);
                    return true;
                }
                return false;
            }
            target = WindowFromPoint(e.pt);
            if (Find(target) == nullptr || (Find(target)->style & WS_DISABLED))
                return false;
        }
        Window* w = Find(target);
        bool doubleClick = e.kind == RawKind::DoubleClick && target == g_lastPressed &&
                           w->cls != nullptr && (w->cls->wc.style & CS_DBLCLKS);
        // After a double click the next press starts afresh.
        g_lastPressed = doubleClick ? nullptr : target;
        RawEvent up = e;
        up.kind = RawKind::ButtonUp;
        up.target = target;
        g_raw.push_front(up);
        msg.hwnd = target;
        msg.message = doubleClick ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
        msg.wParam = MouseKeys();
        msg.lParam = ClientPoint(target, e.pt);
        return true;
    }
    case RawKind::ButtonUp: {
        HWND target = e.target;
        if (Sys().capture != nullptr && Find(Sys().capture) != nullptr)
            target = Sys().capture;
        if (Find(target) == nullptr)
            return false;
        msg.hwnd = target;
        msg.message = WM_LBUTTONUP;
        msg.wParam = MouseKeys() & ~static_cast<WPARAM>(MK_LBUTTON);
        msg.lParam = ClientPoint(target, e.pt);
        return true;
    }
    }
    return false;
}

bool Matches(const MSG& msg, HWND hwnd, UINT low, UINT high) {
    if ((low != 0 || high != 0) && low <= high && (msg.message < low || msg.message > high))
        return false;
    return hwnd == nullptr || msg.hwnd == hwnd || IsChild(hwnd, msg.hwnd);
}

} // namespace

bool PeekInput(MSG& out, HWND hwnd, UINT low, UINT high, bool remove) {
    while (g_cooked.empty() && !g_raw.empty()) {
        RawEvent e = g_raw.front();
        g_raw.pop_front();
        MSG msg;
        if (Cook(e, msg))
            g_cooked.push_back(msg);
    }
    if (g_cooked.empty())
        return false;
    // A message whose window went away since it was cooked goes nowhere.
    while (!g_cooked.empty() && g_cooked.front().hwnd != nullptr &&
           Find(g_cooked.front().hwnd) == nullptr)
        g_cooked.pop_front();
    if (g_cooked.empty())
        return false;
    if (!Matches(g_cooked.front(), hwnd, low, high))
        return false;
    out = g_cooked.front();
    if (remove)
        g_cooked.pop_front();
    return true;
}

bool InputPending() {
    return !g_raw.empty() || !g_cooked.empty();
}

void ClearInput() {
    g_raw.clear();
    g_cooked.clear();
    g_lastPressed = nullptr;
    g_shift = g_ctrl = g_alt = false;
}

int CharOfKey(UINT vk) {
    if (vk >= 'A' && vk <= 'Z') {
        if (g_ctrl && !g_alt)
            return static_cast<int>(vk - 'A' + 1);
        return g_shift ? static_cast<int>(vk) : static_cast<int>(vk - 'A' + 'a');
    }
    if (vk >= '0' && vk <= '9') {
        static const char shifted[] = ")!@#$%^&*(";
        return g_shift ? shifted[vk - '0'] : static_cast<int>(vk);
    }
    if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9)
        return static_cast<int>('0' + (vk - VK_NUMPAD0));
    switch (vk) {
    case VK_SPACE:
        return ' ';
    case VK_RETURN:
        return '\r';
    case VK_TAB:
        return '\t';
    case VK_BACK:
        return 8;
    case VK_ESCAPE:
        return 27;
    case VK_MULTIPLY:
        return '*';
    case VK_ADD:
        return '+';
    case VK_SUBTRACT:
        return '-';
    case VK_DECIMAL:
        return '.';
    case VK_DIVIDE:
        return '/';
    default:
        return -1;
    }
}

} // namespace win

using namespace win;

namespace host {

void PostKeyDown(unsigned vk, bool shift, bool alt, bool ctrl) {
    RawEvent e;
    e.kind = RawKind::KeyDown;
    e.vk = vk & 0xFF;
    e.shift = shift;
    e.alt = alt;
    e.ctrl = ctrl;
    PostRaw(e);
}

void PostChar(unsigned char byte) {
    RawEvent e;
    e.kind = RawKind::Char;
    e.ch = byte;
    PostRaw(e);
}

void PostText(const std::string& ansiText) {
    for (char c : ansiText)
        PostChar(static_cast<unsigned char>(c));
}

void PostMouseClick(int xPixel, int yPixel) {
    RawEvent e;
    e.kind = RawKind::Click;
    e.pt = {xPixel, yPixel};
    PostRaw(e);
}

void PostMouseDoubleClick(int xPixel, int yPixel) {
    RawEvent e;
    e.kind = RawKind::DoubleClick;
    e.pt = {xPixel, yPixel};
    PostRaw(e);
}

bool HasPendingInput() {
    return InputPending();
}

void DiscardInput() {
    ClearInput();
}

} // namespace host

SHORT WINAPI GetKeyState(int virtualKey) {
    bool down = false;
    switch (virtualKey) {
    case VK_SHIFT:
    case VK_LSHIFT:
        down = g_shift;
        break;
    case VK_CONTROL:
    case VK_LCONTROL:
        down = g_ctrl;
        break;
    case VK_MENU:
    case VK_LMENU:
        down = g_alt;
        break;
    default:
        break;
    }
    return down ? static_cast<SHORT>(0x8000) : 0;
}

SHORT WINAPI GetAsyncKeyState(int virtualKey) {
    return GetKeyState(virtualKey);
}

UINT WINAPI GetDoubleClickTime() {
    // The system's default: the second press of a double click comes within half a second.
    return 500;
}
