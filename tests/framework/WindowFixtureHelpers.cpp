// The helpers of the window tests that only call the Windows API, shared by the tests built
// for the emulated machine and those built for a real system.
#include "WindowFixture.h"

void WindowFixture::Click(HWND dialog, int id) {
    HWND button = GetDlgItem(dialog, id);
    PostMessageA(dialog, WM_COMMAND, static_cast<WPARAM>(static_cast<WORD>(id)),
                 reinterpret_cast<LPARAM>(button));
}

std::string WindowFixture::TextOf(HWND hWnd) {
    char text[512] = "";
    GetWindowTextA(hWnd, text, sizeof text);
    return text;
}

void WindowFixture::DrainQueue() {
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    }
}
