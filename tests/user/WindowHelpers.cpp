// What the window tests share whatever machine they run on: the message pump, the texts of
// windows, dialog templates built in memory and the recording dialog procedures.
#include "WindowsFixture.h"

#include <sstream>

void WindowsTest::Pump(HWND dialog) {
    MSG msg;
    for (int i = 0; i < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (dialog != nullptr && IsDialogMessageA(dialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::string WindowsTest::Text(HWND hwnd) {
    char text[1024] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

std::string WindowsTest::ClassName(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

DialogBuilder::DialogBuilder(DWORD style, short x, short y, short cx, short cy,
                             const char* caption) {
    Dword(style & ~static_cast<DWORD>(DS_SETFONT));
    Dword(0);
    Word(0); // the item count, counted up by Add
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(0); // no menu
    Word(0); // the standard dialog class
    String(caption);
}

DialogBuilder& DialogBuilder::Add(ControlClass cls, DWORD style, short x, short y, short cx,
                                  short cy, WORD id, const char* text) {
    Align();
    Dword(style | WS_CHILD);
    Dword(0);
    Word(static_cast<WORD>(x));
    Word(static_cast<WORD>(y));
    Word(static_cast<WORD>(cx));
    Word(static_cast<WORD>(cy));
    Word(id);
    Word(0xFFFF);
    Word(cls);
    String(text);
    Word(0); // no creation data
    ++m_words[4];
    return *this;
}

void DialogBuilder::String(const char* ansi) {
    int length = MultiByteToWideChar(CP_ACP, 0, ansi, -1, nullptr, 0);
    std::vector<WCHAR> wide(static_cast<size_t>(length > 0 ? length : 1));
    if (length > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi, -1, wide.data(), length);
    for (WCHAR c : wide)
        Word(static_cast<WORD>(c));
    if (length <= 0)
        Word(0);
}

void DialogBuilder::Align() {
    if (m_words.size() % 2 != 0)
        Word(0);
}

std::vector<std::string>& RecordedCommands() {
    static std::vector<std::string> commands;
    return commands;
}

namespace {

std::string ClassOf(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

INT_PTR Record(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, bool end) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND: {
        // Button clicks and commands only; the edits' notifications are not of interest.
        HWND sender = reinterpret_cast<HWND>(lParam);
        if (sender != nullptr && ClassOf(sender) != "Button")
            return TRUE;
        std::ostringstream entry;
        entry << LOWORD(wParam) << ":" << HIWORD(wParam);
        RecordedCommands().push_back(entry.str());
        if (end && HIWORD(wParam) == BN_CLICKED)
            EndDialog(dialog, LOWORD(wParam));
        return TRUE;
    }
    default:
        return FALSE;
    }
}

} // namespace

INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Record(dialog, message, wParam, lParam, false);
}

INT_PTR CALLBACK EndingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    return Record(dialog, message, wParam, lParam, true);
}
