// The window records and the small helpers every part of the window system uses.
#include "user/WindowSystem.h"

namespace win {

namespace {

// The desktop: the parent of every top-level window, its client area the screen.
void MakeDesktop(System& system) {
    auto desktop = std::make_unique<Window>();
    desktop->handle = reinterpret_cast<HWND>(system.nextHandle);
    system.nextHandle += 4;
    desktop->cls = FindClass("#32769");
    desktop->proc = desktop->cls ? desktop->cls->wc.lpfnWndProc : DesktopProc;
    desktop->style = WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    desktop->rect = ScreenBounds();
    desktop->updatePending = true;
    desktop->update = desktop->rect;
    system.desktop = desktop.get();
    system.windows.emplace(desktop->handle, std::move(desktop));
}

} // namespace

System* g_pReadySystem = nullptr;

System& StartSystem() {
    // Never destroyed: windows may still be asked about while the program exits.
    static System* system = new System;
    if (system->desktop == nullptr && !system->starting) {
        system->starting = true;
        RegisterBuiltinClasses();
        MakeDesktop(*system);
        system->starting = false;
        g_pReadySystem = system;
    }
    return *system;
}

Window* Find(HWND hwnd) {
    if (hwnd == nullptr)
        return nullptr;
    System& s = Sys();
    auto it = s.windows.find(hwnd);
    return it == s.windows.end() ? nullptr : it->second.get();
}

Window* Desktop() {
    Window* d = Sys().desktop;
    // The screen can change size when a front end starts.
    d->rect = ScreenBounds();
    return d;
}

bool IsTopLevel(const Window* w) {
    return w != nullptr && w->parent == Sys().desktop;
}

Window* TopLevelOf(Window* w) {
    while (w != nullptr && w->parent != nullptr && !IsTopLevel(w))
        w = w->parent;
    return w;
}

void CollectGarbage() {
    System& s = Sys();
    if (s.callDepth == 0)
        s.graveyard.clear();
}

std::string TextOf(HWND hwnd) {
    int length = static_cast<int>(Send(hwnd, WM_GETTEXTLENGTH));
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int got =
        static_cast<int>(Send(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0])));
    if (got < 0)
        got = 0;
    text.resize(std::min(static_cast<size_t>(got), text.size() - 1));
    return text;
}

bool IsLeadByte(BYTE b) {
    return b >= 0x80 && IsDBCSLeadByte(b);
}

size_t NextCharOffset(const std::string& s, size_t offset) {
    if (offset >= s.size())
        return s.size();
    if (IsLeadByte(static_cast<BYTE>(s[offset])) && offset + 1 < s.size())
        return offset + 2;
    return offset + 1;
}

size_t PrevCharOffset(const std::string& s, size_t offset) {
    if (offset == 0)
        return 0;
    if (offset > s.size())
        offset = s.size();
    // Walk from the start: a trail byte can look like a lead byte.
    size_t pos = 0;
    size_t prev = 0;
    while (pos < offset) {
        prev = pos;
        pos = NextCharOffset(s, pos);
    }
    return prev;
}

int MnemonicOf(const std::string& label) {
    for (size_t i = 0; i < label.size(); i = NextCharOffset(label, i)) {
        if (label[i] != '&')
            continue;
        if (i + 1 >= label.size())
            return 0;
        if (label[i + 1] == '&') {
            ++i; // "&&" is a literal ampersand
            continue;
        }
        BYTE c = static_cast<BYTE>(label[i + 1]);
        if (IsLeadByte(c))
            return 0;
        if (c >= 'a' && c <= 'z')
            c = static_cast<BYTE>(c - 'a' + 'A');
        return c;
    }
    return 0;
}

} // namespace win
