// The terminal front end in a real terminal: this test program runs itself inside a detached
// tmux session (as the TerminalChild tests), and the TerminalSession tests read the terminal
// with capture-pane and type into it with send-keys. Skipped where tmux is not installed.
#include "TempDir.h"
#include "TmuxSession.h"

#include <gtest/gtest.h>
#include <host/Frontend.h>
#include <host/Machine.h>
#include <kernel/MachineState.h>
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
#include <vector>

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

// The command that runs one child test of this program, and stays a minute after it ended.
std::string ChildCommand(const std::string& childTest, const std::string& childDir,
                         const std::string& environment = "") {
    return "env " + environment + " " + std::string(kChildDirVariable) + "=" +
           ShellQuote(childDir) + " " + ShellQuote(SelfPath()) + " --gtest_filter=" + childTest +
           " 2>" + ShellQuote(childDir + "/stderr") + "; echo CHILD-EXIT $?; sleep 60";
}

// A terminal of 100 x 30 that runs a child test.
class CChildTerminal : public CTmuxSession {
  public:
    CChildTerminal(const std::string& childTest, const std::string& childDir,
                   const std::string& environment = "")
        : CTmuxSession(ChildCommand(childTest, childDir, environment), 100, 30) {}
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

// Every dialog template of the program with the longest texts it is given, one after the
// other: each is described in scene.txt (its number, then the texts that must show whole,
// in UTF-8, and the paths as "path" lines) and stays until "n" is typed.
namespace {

INT_PTR CALLBACK PlainDialog(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

std::string Loaded(UINT id) {
    char text[512] = "";
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

std::string Utf8(const std::string& ansi) {
    std::string utf8;
    host::detail::ToUtf8(host::detail::AnsiCodePage(), ansi, utf8);
    return utf8;
}

// A control's text as it shows: without the "&" of its mnemonic.
std::string Shown(HWND dialog, int id) {
    char text[1024] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    std::string shown;
    for (const char* p = text; *p; ++p)
        if (*p != '&' || p[1] == '&')
            shown += *p;
    return shown;
}

const char kDeepDir[] = "D:\\VELTRIX\\SAMPLE\\A LONG FOLDER NAME\\ANOTHER LONG FOLDER\\"
                        "AND ONE MORE FOLDER\\DEEPER STILL\\";
const char kFileName[] = "VXSAMPLE.DLL";

struct Scene {
    std::vector<HWND> windows; // destroyed in reverse order
    std::vector<std::string> texts;
    std::vector<std::string> paths;
};

HWND Make(int id, HWND parent) {
    return CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), parent, PlainDialog,
                              0);
}

HWND ShowPage(Scene& scene, int id) {
    HWND main = Make(101, nullptr);
    HWND page = Make(id, main);
    scene.windows = {main, page};
    ShowWindow(page, SW_SHOW);
    EnableWindow(page, TRUE);
    return page;
}

void Expect(Scene& scene, HWND dialog, std::initializer_list<int> ids) {
    for (int id : ids)
        scene.texts.push_back(Utf8(Shown(dialog, id)));
}

Scene BuildScene(int number) {
    Scene scene;
    switch (number) {
    case 0: { // the path page, both rows
        HWND page = ShowPage(scene, 110);
        SetDlgItemTextA(page, 1000, "C:\\PROGRA~1\\VELTRIX");
        SetDlgItemTextA(page, 1001, "C:\\VXSAMPLE");
        Expect(scene, page, {1007, 1008, 1004, 1005, 1002, 1003, IDOK, IDCANCEL});
        break;
    }
    case 1: { // the next-disk page
        HWND page = ShowPage(scene, 110);
        SetDlgItemTextA(page, 1007, (Loaded(3007) + " 12").c_str());
        SetDlgItemTextA(page, 1008, Loaded(3008).c_str());
        SetDlgItemTextA(page, 1004, Loaded(3005).c_str());
        for (int id : {1005, 1001, 1003})
            ShowWindow(GetDlgItem(page, id), SW_HIDE);
        Expect(scene, page, {1007, 1008, 1004, 1002, IDOK, IDCANCEL});
        break;
    }
    case 2: { // the copy page with deep paths
        HWND page = ShowPage(scene, 111);
        char line[512];
        wsprintfA(line, Loaded(3000).c_str(), "NOTES\\WIN95.TXT");
        SetDlgItemTextA(page, 1006, line);
        SetDlgItemTextA(page, 1004, (std::string(kDeepDir) + kFileName).c_str());
        SetDlgItemTextA(page, 1005,
                        (std::string("C:\\WINDOWS\\SYSTEM32\\") + kDeepDir + kFileName).c_str());
        Expect(scene, page, {1006, IDCANCEL});
        scene.texts.push_back(Utf8("\xBA\xCB\xDF\xB0\x8C\xB3 :"));
        scene.texts.push_back(Utf8("\xBA\xCB\xDF\xB0\x90\xE6 :"));
        scene.paths = {std::string("D:\\|\\") + kFileName, std::string("C:\\|\\") + kFileName};
        break;
    }
    case 3:
    case 4: { // the finish page, restarting Windows, then the computer
        HWND page = ShowPage(scene, 112);
        SetDlgItemTextA(page, 1011, Loaded(number == 3 ? 1005 : 1006).c_str());
        SetDlgItemTextA(page, IDOK, Loaded(number == 3 ? 3003 : 3004).c_str());
        scene.texts.push_back(Utf8("\xBE\xAF\xC4\xB1\xAF\xCC\xDF\x82\xCD\x90\xB3\x8F\xED\x82\xC9"
                                   "\x8FI\x97\xB9\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81\x42"));
        Expect(scene, page, {1011, IDOK, IDCANCEL});
        break;
    }
    case 5: { // the abort page
        HWND page = ShowPage(scene, 113);
        Expect(scene, page, {1005, 1006, IDCANCEL});
        break;
    }
    case 6: { // the overwrite dialog over the copy page
        HWND page = ShowPage(scene, 111);
        HWND dialog = Make(102, scene.windows[0]);
        scene.windows.push_back(dialog);
        (void)page;
        std::string stamp = std::string(kFileName) + "  12/31/98  23:05:09  ";
        SetDlgItemTextA(dialog, 1012, kFileName);
        SetDlgItemTextA(dialog, 1009, kDeepDir);
        SetDlgItemTextA(dialog, 1013, (std::string("E:\\DISK1") + (kDeepDir + 2)).c_str());
        SetDlgItemTextA(dialog, 1011, stamp.c_str());
        SetDlgItemTextA(dialog, 1010, stamp.c_str());
        Expect(scene, dialog, {1012, 1011, 1010, IDYES, IDNO, IDCANCEL});
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (GetDlgCtrlID(child) == -1 || GetDlgCtrlID(child) == 0xFFFF) {
                char text[256] = "";
                GetWindowTextA(child, text, sizeof text);
                scene.texts.push_back(Utf8(text));
            }
        scene.paths = {"D:\\|\\DEEPER STILL\\", "E:\\|\\DEEPER STILL\\"};
        break;
    }
    case 7: { // the about box
        HWND about = Make(100, nullptr);
        scene.windows = {about};
        ShowWindow(about, SW_SHOW);
        for (HWND child = GetWindow(about, GW_CHILD); child;
             child = GetWindow(child, GW_HWNDNEXT)) {
            char text[256] = "";
            GetWindowTextA(child, text, sizeof text);
            if (text[0] && text[0] != '#')
                scene.texts.push_back(Utf8(text));
        }
        break;
    }
    case 8: { // the folder browser's template
        HWND main = Make(101, nullptr);
        HWND browser = Make(1536, main);
        scene.windows = {main, browser};
        ShowWindow(browser, SW_SHOW);
        Expect(scene, browser, {1091, IDOK, IDCANCEL});
        scene.texts.push_back(Utf8("\xCC\xAB\xD9\xC0\xDE(F):"));
        break;
    }
    default:
        break;
    }
    return scene;
}

} // namespace

TEST(TerminalChild, ShowTemplates) {
    ChildSession session;
    std::string error;
    if (!session.Start(error)) {
        if (error.empty())
            GTEST_SKIP() << "runs inside TerminalSession only";
        FAIL() << error;
    }
    for (int number = 0; number < 9; ++number) {
        Scene scene = BuildScene(number);
        std::ofstream out(session.Dir() + "/scene.tmp");
        out << number << "\n";
        for (const std::string& text : scene.texts)
            out << "text " << text << "\n";
        for (const std::string& path : scene.paths)
            out << "path " << path << "\n";
        out.close();
        std::rename((session.Dir() + "/scene.tmp").c_str(), (session.Dir() + "/scene.txt").c_str());
        MSG msg;
        while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
            if (msg.message == WM_CHAR && msg.wParam == 'n')
                break;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        for (auto it = scene.windows.rbegin(); it != scene.windows.rend(); ++it)
            DestroyWindow(*it);
    }
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
    tmux.Keys("-l " + ShellQuote("\\"));
    tmux.Keys("-l " + ShellQuote("フ"));
    // A click on the cell at column 5, row 3, as an xterm reports it.
    tmux.Keys("-l " + ShellQuote(std::string("\x1b[M") + char(32) + char(32 + 6) + char(32 + 4)));
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

namespace {

// The screen's text without blanks and frames, all rows joined: a text wrapped onto the next
// row still reads whole.
std::string Joined(const std::string& screen) {
    std::string joined;
    for (size_t i = 0; i < screen.size();) {
        unsigned char c = static_cast<unsigned char>(screen[i]);
        size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        std::string character = screen.substr(i, length);
        i += length;
        if (character == " " || character == "\n" || character == "│" || character == "─" ||
            character == "┌" || character == "┐" || character == "└" || character == "┘")
            continue;
        joined += character;
    }
    return joined;
}

std::string WithoutBlanks(const std::string& text) {
    std::string out;
    for (char c : text)
        if (c != ' ')
            out += c;
    return out;
}

} // namespace

TEST(TerminalSession, EveryTemplateShowsItsLongestTextsWholeAtEightyByTwentyFour) {
    if (!HaveTmux())
        GTEST_SKIP() << "tmux is not installed";
    TempDir dir;
    CTmuxSession tmux(ChildCommand("TerminalChild.ShowTemplates", dir.path()), 80, 24);
    for (int number = 0; number < 9; ++number) {
        std::string scene;
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < end) {
            scene = ReadFile(dir / "scene.txt");
            if (std::atoi(scene.c_str()) == number && !scene.empty())
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        ASSERT_EQ(std::atoi(scene.c_str()), number) << tmux.Capture() << ReadFile(dir / "stderr");
        std::string screen = tmux.WaitUntilStill();
        std::string joined = Joined(screen);
        std::istringstream lines(scene);
        std::string line;
        std::getline(lines, line);
        while (std::getline(lines, line)) {
            if (line.rfind("text ", 0) == 0) {
                std::string text = WithoutBlanks(line.substr(5));
                EXPECT_NE(joined.find(text), std::string::npos)
                    << "scene " << number << ": " << line.substr(5) << "\n"
                    << screen;
            } else if (line.rfind("path ", 0) == 0) {
                // A path shortened in its middle: its drive, the ellipsis and its last part.
                std::string path = line.substr(5);
                std::string head = path.substr(0, path.find('|'));
                std::string tail = path.substr(path.find('|') + 1);
                bool found = false;
                std::istringstream rows(screen);
                std::string row;
                while (std::getline(rows, row)) {
                    size_t h = row.find(head), e = row.find("…"), t = row.rfind(tail);
                    found = found || (h != std::string::npos && e != std::string::npos &&
                                      t != std::string::npos && h < e && e < t);
                }
                EXPECT_TRUE(found) << "scene " << number << ": " << path << "\n" << screen;
            }
        }
        tmux.Keys("n");
    }
    EXPECT_TRUE(tmux.WaitFor("CHILD-EXIT 0")) << tmux.Capture() << ReadFile(dir / "stderr");
}
