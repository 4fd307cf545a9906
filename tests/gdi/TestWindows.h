// Windows for the tests that draw through window device contexts: a frameless top-level
// window with a child control, made with the window API and painted once by the queue.
#pragma once

#include <windows.h>

namespace testwindows {

inline ATOM RegisterPlainClass() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "GdiTestWindow";
    WNDCLASSA existing{};
    if (GetClassInfoA(wc.hInstance, wc.lpszClassName, &existing))
        return 1;
    return RegisterClassA(&wc);
}

inline HWND MakeTopLevel(int x, int y, int width, int height) {
    RegisterPlainClass();
    return CreateWindowExA(0, "GdiTestWindow", "", WS_POPUP | WS_VISIBLE, x, y, width, height,
                           nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

inline HWND MakeChild(HWND parent, int x, int y, int width, int height) {
    return CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(1013), GetModuleHandleA(nullptr), nullptr);
}

// Lets the queue paint what is pending, without waiting for input.
inline void PaintPending() {
    MSG msg;
    for (int i = 0; i < 1000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

} // namespace testwindows
