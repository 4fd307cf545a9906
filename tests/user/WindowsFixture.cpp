// The emulated machine's side of WindowsFixture.h: the machine, its headless front end, the
// automation hook that runs the test's steps at each wait, and the screen as text.
#include "WindowsFixture.h"

#include <sstream>

void WindowsTest::SetUp() {
    host::MachineOptions options;
    options.prefix = m_prefix / "machine";
    options.mediaDir = m_media.path();
    options.language = m_language;
    options.codePage = m_language == "JPN" ? 932 : 1252;
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    ASSERT_TRUE(host::StartFrontend(host::FrontendKind::Headless, error)) << error;
    host::SetAutomation([this]() {
        if (m_steps.empty()) {
            // Nothing scripted: end the waiting loop, so that a failing test cannot hang.
            ++m_unexpectedWaits;
            return false;
        }
        std::function<void()> step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
        return true;
    });
    host::DiscardInput();
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    RecordedCommands().clear();
}

void WindowsTest::TearDown() {
    host::SetAutomation({});
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND hwnd : windows)
        if (IsWindow(hwnd))
            DestroyWindow(hwnd);
    host::DiscardInput();
    MSG msg;
    for (int i = 0; i < 100000 && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
    }
    host::StopFrontend();
    host::StopMachine();
}

std::vector<std::string> WindowsTest::ScreenLines() {
    std::vector<std::string> lines;
    std::istringstream in(host::DumpScreen());
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

std::string WindowsTest::CellRow(int row) {
    std::vector<std::string> lines = ScreenLines();
    if (row < 0 || static_cast<size_t>(row) >= lines.size())
        return std::string();
    const std::string& line = lines[static_cast<size_t>(row)];
    std::string cells;
    for (size_t i = 0; i < line.size();) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::string one = line.substr(i, length);
        i += length;
        unsigned codePoint = c;
        if (length == 3)
            codePoint = ((c & 0x0F) << 12) | ((one[1] & 0x3F) << 6) | (one[2] & 0x3F);
        if (codePoint >= 0x2500 && codePoint < 0x2600)
            cells += '#';
        else
            cells += length == 1 ? one : host::Utf8ToAnsi(one);
    }
    return cells;
}

POINT WindowsTest::CellOf(HWND hwnd) {
    RECT r = {};
    GetWindowRect(hwnd, &r);
    return POINT{r.left / 8, r.top / 16};
}
