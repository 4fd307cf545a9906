#include "WindowFixture.h"

#include "CWnd.h"

#include <vector>

void WindowFixture::SetUp() {
    host::MachineOptions options;
    options.prefix = m_prefix / "machine";
    options.mediaDir = m_media.path();
    options.language = "JPN";
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    ASSERT_TRUE(host::StartFrontend(host::FrontendKind::Headless, error)) << error;
    host::SetAutomation([this]() {
        ++m_waits;
        if (m_steps.empty()) {
            // Nothing scripted: end whatever loop waits, so that a failing test cannot hang.
            ++m_unexpectedWaits;
            if (m_unexpectedWaits > 3)
                return false;
            PostQuitMessage(99);
            return true;
        }
        std::function<void()> step = std::move(m_steps.front());
        m_steps.pop_front();
        step();
        return true;
    });
    DrainQueue();
}

void WindowFixture::TearDown() {
    host::SetAutomation({});
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND hWnd, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    for (HWND hWnd : windows) {
        if (IsWindow(hWnd))
            DestroyWindow(hWnd);
    }
    DrainQueue();
    CWnd::DeleteTempMap();
    host::StopFrontend();
    host::StopMachine();
}
