// The terminal front end in a real terminal: this test program runs itself inside a detached
// tmux session (as the TerminalChild tests), and the TerminalSession tests read the terminal
// with capture-pane and type into it with send-keys. Skipped where tmux is not installed.
#include "TempDir.h"
#include "TmuxSession.h"

#include <gtest/gtest.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <windows.h>

#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char kChildDirVariable[] = "VELTRIX_TUI_CHILD_DIR";

std::string SelfPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// A terminal that runs a child test of this program.
class CChildTerminal : public CTmuxSession {
  public:
    CChildTerminal(const std::string& childTest, const std::string& childDir,
                   const std::string& environment = "")
        : CTmuxSession("env " + environment + " " + std::string(kChildDirVariable) + "=" +
                       Quote(childDir) + " " + Quote(SelfPath()) + " --gtest_filter=" + childTest +
                       " 2>" + Quote(childDir + "/stderr") + "; echo CHILD-EXIT $?; sleep 60") {}
};

// The child's side: a Japanese machine with the terminal front end and one window that takes
// the keys; what arrives is written to keys.txt, one message a line, until "q".
class ChildSession {
  public:
    bool Start(std::string& error) {
        const char* dir = std::getenv(kChildDirVariable);
        if (!dir)
            return false;
        m_dir = dir;
        host::MachineOptions options;
        options.prefix = m_prefix.path();
        options.mediaDir = m_media.path();
        options.language = "JPN";
        if (!host::StartMachine(options, error))
            return false;
        return host::StartFrontend(host::FrontendKind::Tui, error);
    }
    ~ChildSession() {
        host::StopFrontend();
        host::StopMachine();
    }
    const std::string& Dir() const { return m_dir; }

  private:
    std::string m_dir;
    TempDir m_prefix;
    TempDir m_media;
};

LRESULT CALLBACK ChildWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_PAINT) {
        PAINTSTRUCT paint;
        HDC hdc = BeginPaint(hwnd, &paint);
        SetTextColor(hdc, RGB(255, 255, 255));
        SetBkColor(hdc, RGB(0, 0, 255));
        TextOutA(hdc, 8, 16, "Hello from the screen", 21);
        SetTextColor(hdc, RGB(0, 0, 0));
        SetBkColor(hdc, RGB(255, 255, 0));
        // "ファイル" and "ﾌｧｲﾙ"
        TextOutA(hdc, 8, 32, "\x83\x74\x83\x40\x83\x43\x83\x8B|\xCC\xA7\xB2\xD9|", 14);
        RECT edge{8, 64, 88, 112};
        DrawEdge(hdc, &edge, EDGE_SUNKEN, BF_RECT);
        EndPaint(hwnd, &paint);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

HWND MakeChildWindow() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = ChildWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = "TerminalChildWindow";
    RegisterClassA(&wc);
    SIZE screen{GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    HWND hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0, screen.cx,
                                screen.cy, nullptr, nullptr, wc.hInstance, nullptr);
    SetActiveWindow(hwnd);
    SetFocus(hwnd);
    return hwnd;
}

} // namespace

TEST(TerminalChild, RecordKeys) {
    ChildSession session;
    std::string error;
    if (!session.Start(error)) {
        if (error.empty())
            GTEST_SKIP() << "runs inside TerminalSession only";
        FAIL() << error;
    }
    HWND hwnd = MakeChildWindow();
    ASSERT_NE(hwnd, nullptr);
    std::ofstream keys(session.Dir() + "/keys.txt");
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        switch (msg.message) {
        case WM_KEYDOWN:
            keys << "KEYDOWN " << msg.wParam << (GetKeyState(VK_SHIFT) < 0 ? " shift" : "") << "\n";
            break;
        case WM_SYSKEYDOWN:
            keys << "SYSKEYDOWN " << msg.wParam << "\n";
            break;
        case WM_SYSCHAR:
            keys << "SYSCHAR " << msg.wParam << "\n";
            break;
        case WM_CHAR:
            keys << "CHAR " << msg.wParam << "\n";
            break;
        case WM_LBUTTONDOWN:
            keys << "LBUTTONDOWN " << LOWORD(msg.lParam) << " " << HIWORD(msg.lParam) << "\n";
            break;
        default:
            break;
        }
        keys.flush();
        DispatchMessageA(&msg);
        if (msg.message == WM_CHAR && msg.wParam == 'q')
            break;
    }
    keys << "END\n";
}

TEST(TerminalChild, WaitForSignal) {
    ChildSession session;
    std::string error;
    if (!session.Start(error)) {
        if (error.empty())
            GTEST_SKIP() << "runs inside TerminalSession only";
        FAIL() << error;
    }
    std::ofstream(session.Dir() + "/pid") << getpid();
    HWND hwnd = MakeChildWindow();
    ASSERT_NE(hwnd, nullptr);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
}

TEST(TerminalChild, BusyLoop) {
    ChildSession session;
    std::string error;
    if (!session.Start(error)) {
        if (error.empty())
            GTEST_SKIP() << "runs inside TerminalSession only";
        FAIL() << error;
    }
    HWND hwnd = MakeChildWindow();
    ASSERT_NE(hwnd, nullptr);
    std::ofstream keys(session.Dir() + "/keys.txt");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool quit = false;
    // Like the installation's idle passes: work, look at the queue, never wait.
    for (long pass = 0; !quit && std::chrono::steady_clock::now() < end; ++pass) {
        HDC hdc = GetDC(hwnd);
        std::string text = "pass " + std::to_string(pass);
        TextOutA(hdc, 8, 160, text.c_str(), static_cast<int>(text.size()));
        ReleaseDC(hwnd, hdc);
        MSG msg;
        if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            host::PollInput();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            continue;
        }
        TranslateMessage(&msg);
        if (msg.message == WM_KEYDOWN)
            keys << "KEYDOWN " << msg.wParam << "\n";
        quit = msg.message == WM_CHAR && msg.wParam == 'q';
        DispatchMessageA(&msg);
    }
    keys << (quit ? "END\n" : "TIMEOUT\n");
}

TEST(TerminalChild, RefuseTheTerminal) {
    ChildSession session;
    std::string error;
    bool started = session.Start(error);
    if (!started && error.empty())
        GTEST_SKIP() << "runs inside TerminalSession only";
    std::ofstream(session.Dir() + "/result") << (started ? "started" : "refused: " + error);
}

TEST(TerminalSession, RefusesATerminalThatCannotPlaceTheCursor) {
    if (!HaveTmux())
        GTEST_SKIP() << "tmux is not installed";
    TempDir dir;
    CChildTerminal tmux("TerminalChild.RefuseTheTerminal", dir.path(), "TERM=dumb");
    ASSERT_TRUE(tmux.WaitFor("CHILD-EXIT 0")) << tmux.Capture() << ReadFile(dir / "stderr");
    std::string result = ReadFile(dir / "result");
    EXPECT_EQ(result.rfind("refused: ", 0), 0u) << result;
    EXPECT_NE(result.find("dumb"), std::string::npos) << result;
    EXPECT_FALSE(tmux.AlternateScreen());
}

TEST(TerminalSession, ShowsTheScreenAndTurnsKeysIntoMessages) {
    if (!HaveTmux())
        GTEST_SKIP() << "tmux is not installed";
    TempDir dir;
    CChildTerminal tmux("TerminalChild.RecordKeys", dir.path());
    ASSERT_TRUE(tmux.WaitFor("Hello from the screen"))
        << tmux.Capture() << ReadFile(dir / "stderr");
    std::string screen = tmux.Capture();
    EXPECT_NE(screen.find(" Hello from the screen"), std::string::npos) << screen;
    EXPECT_NE(screen.find(" ファイル|ﾌｧｲﾙ|"), std::string::npos) << screen;
    EXPECT_NE(screen.find(" ┌────────┐"), std::string::npos) << screen;
    EXPECT_TRUE(tmux.AlternateScreen());
    // The colours reach the terminal: white on blue, and black on yellow.
    std::string colored = tmux.Capture(true);
    size_t hello = colored.find("Hello");
    ASSERT_NE(hello, std::string::npos);
    std::string before = colored.substr(hello > 40 ? hello - 40 : 0, hello > 40 ? 40 : hello);
    bool blue = before.find("48;5;21m") != std::string::npos ||
                before.find("44m") != std::string::npos || before.find("104m") != std::string::npos;
    EXPECT_TRUE(blue) << colored;

    tmux.Keys("Tab");
    tmux.Keys("BTab");
    tmux.Keys("M-n");
    tmux.Keys("Enter");
    tmux.Keys("Left");
    tmux.Keys("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    tmux.Keys("-l " + Quote("\\"));
    tmux.Keys("-l " + Quote("フ"));
    // A click on the cell at column 5, row 3, as an xterm reports it.
    tmux.Keys("-l " + Quote(std::string("\x1b[M") + char(32) + char(32 + 6) + char(32 + 4)));
    tmux.Keys("q");
    ASSERT_TRUE(tmux.WaitFor("CHILD-EXIT 0")) << tmux.Capture() << ReadFile(dir / "stderr");
    EXPECT_FALSE(tmux.AlternateScreen());

    std::string keys = ReadFile(dir / "keys.txt");
    EXPECT_NE(keys.find("KEYDOWN 9\nCHAR 9\nKEYDOWN 9 shift\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("SYSKEYDOWN 78\nSYSCHAR 110\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("KEYDOWN 13\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("KEYDOWN 37\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("KEYDOWN 27\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("CHAR 92\n"), std::string::npos) << keys;
    // "フ" in code page 932 is 0x83 0x74: its lead byte, then its trail byte.
    EXPECT_NE(keys.find("CHAR 131\nCHAR 116\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("LBUTTONDOWN 44 56\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("CHAR 113\nEND\n"), std::string::npos) << keys;
}

TEST(TerminalSession, SignalGivesTheTerminalBack) {
    if (!HaveTmux())
        GTEST_SKIP() << "tmux is not installed";
    TempDir dir;
    CChildTerminal tmux("TerminalChild.WaitForSignal", dir.path());
    ASSERT_TRUE(tmux.WaitFor("Hello from the screen"))
        << tmux.Capture() << ReadFile(dir / "stderr");
    EXPECT_TRUE(tmux.AlternateScreen());
    int pid = std::atoi(ReadFile(dir / "pid").c_str());
    ASSERT_GT(pid, 0);
    ASSERT_EQ(kill(pid, SIGTERM), 0);
    ASSERT_TRUE(tmux.WaitFor("CHILD-EXIT 143")) << tmux.Capture();
    EXPECT_FALSE(tmux.AlternateScreen());
    EXPECT_EQ(tmux.Capture().find("Hello from the screen"), std::string::npos);
}

TEST(TerminalSession, BusyProgramStillShowsAndReads) {
    if (!HaveTmux())
        GTEST_SKIP() << "tmux is not installed";
    TempDir dir;
    CChildTerminal tmux("TerminalChild.BusyLoop", dir.path());
    ASSERT_TRUE(tmux.WaitFor(" pass ")) << tmux.Capture() << ReadFile(dir / "stderr");
    std::string first = tmux.Capture();
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    std::string second = tmux.Capture();
    EXPECT_NE(first, second) << "the screen did not move while the program was busy";
    tmux.Keys("Escape");
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    tmux.Keys("q");
    ASSERT_TRUE(tmux.WaitFor("CHILD-EXIT 0")) << tmux.Capture() << ReadFile(dir / "stderr");
    std::string keys = ReadFile(dir / "keys.txt");
    EXPECT_NE(keys.find("KEYDOWN 27\n"), std::string::npos) << keys;
    EXPECT_NE(keys.find("END\n"), std::string::npos) << keys;
}
