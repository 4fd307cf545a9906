// Windows of a registered class: creation and destruction messages, texts, window longs, the
// tree of windows, geometry and subclassing.
#include "WindowsFixture.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_log;

std::string Name(HWND hwnd) {
    char text[64] = "";
    GetWindowTextA(hwnd, text, sizeof text);
    return text;
}

LRESULT CALLBACK LoggingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NCCREATE:
        g_log.push_back("nccreate");
        break;
    case WM_CREATE: {
        auto* cs = reinterpret_cast<CREATESTRUCTA*>(lParam);
        g_log.push_back(std::string("create ") + cs->lpszName);
        if (cs->lpCreateParams == reinterpret_cast<void*>(-1))
            return -1;
        break;
    }
    case WM_DESTROY:
        g_log.push_back("destroy " + Name(hwnd));
        break;
    case WM_NCDESTROY:
        g_log.push_back("ncdestroy " + Name(hwnd));
        break;
    case WM_SETFOCUS:
        g_log.push_back("setfocus " + Name(hwnd));
        break;
    case WM_KILLFOCUS:
        g_log.push_back("killfocus " + Name(hwnd));
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class WindowLifecycleTest : public WindowsTest {
  protected:
    void SetUp() override {
        WindowsTest::SetUp();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = LoggingProc;
        wc.lpszClassName = "LoggingWindow";
        wc.cbWndExtra = 16;
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_3DFACE + 1);
        RegisterClassA(&wc);
        g_log.clear();
    }
    void TearDown() override {
        WindowsTest::TearDown();
        UnregisterClassA("LoggingWindow", nullptr);
    }
    HWND Top(const char* name, int x = 16, int y = 32) {
        return CreateWindowExA(0, "LoggingWindow", name,
                               WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, x, y, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
    }
    HWND Child(HWND parent, const char* name, int id, int x = 0, int y = 0) {
        return CreateWindowExA(0, "LoggingWindow", name, WS_CHILD | WS_VISIBLE | WS_TABSTOP, x, y,
                               40, 16, parent, reinterpret_cast<HMENU>(id), nullptr, nullptr);
    }
};

TEST_F(WindowLifecycleTest, CreationSendsNcCreateThenCreate) {
    HWND top = Top("top");
    ASSERT_NE(top, nullptr);
    ASSERT_GE(g_log.size(), 2u);
    EXPECT_EQ(g_log[0], "nccreate");
    EXPECT_EQ(g_log[1], "create top");
    EXPECT_EQ(ClassName(top), "LoggingWindow");
    EXPECT_EQ(Text(top), "top");
    EXPECT_TRUE(IsWindowVisible(top));
}

TEST_F(WindowLifecycleTest, CreateRefusedByWindowProcedure) {
    HWND top = CreateWindowExA(0, "LoggingWindow", "no", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, reinterpret_cast<void*>(-1));
    EXPECT_EQ(top, nullptr);
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log.back(), "ncdestroy no");
}

TEST_F(WindowLifecycleTest, UnknownClassAndMissingParentFail) {
    EXPECT_EQ(CreateWindowExA(0, "NoSuchClass", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);
    EXPECT_EQ(
        CreateWindowExA(0, "Static", "", WS_CHILD, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr),
        nullptr);
}

TEST_F(WindowLifecycleTest, DestroyGoesToParentFirstAndFreesChildrenFirst) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    Child(a, "a1", 2);
    Child(top, "b", 3);
    g_log.clear();
    ASSERT_TRUE(DestroyWindow(top));
    std::vector<std::string> destroys;
    std::vector<std::string> ncdestroys;
    for (const std::string& entry : g_log) {
        if (entry.rfind("destroy ", 0) == 0)
            destroys.push_back(entry.substr(8));
        if (entry.rfind("ncdestroy ", 0) == 0)
            ncdestroys.push_back(entry.substr(10));
    }
    EXPECT_EQ(destroys, (std::vector<std::string>{"top", "a", "a1", "b"}));
    EXPECT_EQ(ncdestroys, (std::vector<std::string>{"a1", "a", "b", "top"}));
    EXPECT_FALSE(IsWindow(top));
    EXPECT_FALSE(IsWindow(a));
    EXPECT_FALSE(DestroyWindow(top));
}

TEST_F(WindowLifecycleTest, OwnedWindowsGoWithTheirOwner) {
    HWND owner = Top("owner");
    HWND owned = CreateWindowExA(0, "LoggingWindow", "owned", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                 owner, nullptr, nullptr, nullptr);
    ASSERT_NE(owned, nullptr);
    EXPECT_EQ(GetWindow(owned, GW_OWNER), owner);
    EXPECT_EQ(GetParent(owned), owner);
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(owned));
}

TEST_F(WindowLifecycleTest, AnOwnerChainNeverComesBackToTheWindow) {
    HWND a = Top("a");
    HWND b = CreateWindowExA(0, "LoggingWindow", "b", WS_POPUP, 0, 0, 50, 50, a, nullptr, nullptr,
                             nullptr);
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(SetWindowLongPtrA(a, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(b)), 0);
    EXPECT_EQ(GetWindow(a, GW_OWNER), nullptr);
    EXPECT_EQ(SetWindowLongPtrA(a, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(a)), 0);
    EXPECT_EQ(GetWindow(a, GW_OWNER), nullptr);
    EXPECT_TRUE(DestroyWindow(a));
    EXPECT_FALSE(IsWindow(b));
}

TEST_F(WindowLifecycleTest, TreeOfWindows) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    HWND b = Child(top, "b", 2);
    HWND c = Child(top, "c", 3);
    EXPECT_EQ(GetWindow(top, GW_CHILD), a);
    EXPECT_EQ(GetWindow(a, GW_HWNDNEXT), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDPREV), b);
    EXPECT_EQ(GetWindow(c, GW_HWNDNEXT), nullptr);
    EXPECT_EQ(GetParent(b), top);
    EXPECT_EQ(GetParent(top), nullptr);
    EXPECT_TRUE(IsChild(top, b));
    EXPECT_FALSE(IsChild(b, top));
    EXPECT_EQ(GetDlgItem(top, 2), b);
    EXPECT_EQ(GetDlgCtrlID(c), 3);
    EXPECT_EQ(GetDlgItem(top, 99), nullptr);

    std::vector<HWND> seen;
    EnumChildWindows(
        top,
        [](HWND hwnd, LPARAM lParam) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&seen));
    EXPECT_EQ(seen, (std::vector<HWND>{a, b, c}));
}

TEST_F(WindowLifecycleTest, TextsAndWindowLongs) {
    HWND top = Top("top");
    HWND child = Child(top, "child", 7);
    EXPECT_TRUE(SetWindowTextA(child, "renamed"));
    EXPECT_EQ(GetWindowTextLengthA(child), 7);
    char small[4] = "";
    EXPECT_EQ(GetWindowTextA(child, small, sizeof small), 3);
    EXPECT_STREQ(small, "ren");
    EXPECT_TRUE(SetDlgItemTextA(top, 7, "by id"));
    char text[32] = "";
    EXPECT_EQ(GetDlgItemTextA(top, 7, text, sizeof text), 5u);
    EXPECT_STREQ(text, "by id");

    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_ID), 7);
    EXPECT_NE(GetWindowLongA(child, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_EQ(SetWindowLongPtrA(child, GWLP_USERDATA, 1234), 0);
    EXPECT_EQ(GetWindowLongPtrA(child, GWLP_USERDATA), 1234);
    // The class's extra bytes.
    EXPECT_EQ(SetWindowLongPtrA(child, 8, 77), 0);
    EXPECT_EQ(GetWindowLongPtrA(child, 8), 77);
    EXPECT_EQ(GetWindowLongPtrA(child, 16), 0);
}

TEST_F(WindowLifecycleTest, TopLevelWindowsLieOnWholeCellsWithAOneCellFrame) {
    HWND top = Top("top", 13, 37);
    RECT window;
    ASSERT_TRUE(GetWindowRect(top, &window));
    EXPECT_EQ(window.left % 8, 0);
    EXPECT_EQ(window.top % 16, 0);
    EXPECT_EQ((window.right - window.left) % 8, 0);
    EXPECT_EQ((window.bottom - window.top) % 16, 0);
    RECT client;
    ASSERT_TRUE(GetClientRect(top, &client));
    EXPECT_EQ(client.right, window.right - window.left - 16);
    EXPECT_EQ(client.bottom, window.bottom - window.top - 32);
    POINT origin = {0, 0};
    ClientToScreen(top, &origin);
    EXPECT_EQ(origin.x, window.left + 8);
    EXPECT_EQ(origin.y, window.top + 16);

    HWND child = Child(top, "child", 1, 24, 48);
    RECT childRect;
    GetWindowRect(child, &childRect);
    EXPECT_EQ(childRect.left, origin.x + 24);
    EXPECT_EQ(childRect.top, origin.y + 48);
    POINT p = {childRect.left, childRect.top};
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 24);
    EXPECT_EQ(p.y, 48);
    POINT q = {0, 0};
    MapWindowPoints(child, top, &q, 1);
    EXPECT_EQ(q.x, 24);
    EXPECT_EQ(q.y, 48);
}

TEST_F(WindowLifecycleTest, MovingAControlKeepsItsSize) {
    HWND top = Top("top");
    HWND child = Child(top, "child", 1, 8, 16);
    ASSERT_TRUE(SetWindowPos(child, nullptr, 80, 64, 0, 0, SWP_NOSIZE | SWP_NOZORDER));
    RECT r;
    GetWindowRect(child, &r);
    POINT p = {r.left, r.top};
    ScreenToClient(top, &p);
    EXPECT_EQ(p.x, 80);
    EXPECT_EQ(p.y, 64);
    EXPECT_EQ(r.right - r.left, 40);
    EXPECT_EQ(r.bottom - r.top, 16);
    ASSERT_TRUE(MoveWindow(child, 0, 0, 16, 32, TRUE));
    GetWindowRect(child, &r);
    EXPECT_EQ(r.right - r.left, 16);
    EXPECT_EQ(r.bottom - r.top, 32);
}

TEST_F(WindowLifecycleTest, FocusMovesWithKillAndSetFocus) {
    HWND top = Top("top");
    HWND a = Child(top, "a", 1);
    HWND b = Child(top, "b", 2);
    SetFocus(a);
    EXPECT_EQ(GetFocus(), a);
    EXPECT_EQ(GetActiveWindow(), top);
    g_log.clear();
    EXPECT_EQ(SetFocus(b), a);
    EXPECT_EQ(g_log, (std::vector<std::string>{"killfocus a", "setfocus b"}));
    EXPECT_EQ(GetFocus(), b);

    // A disabled window loses the focus and cannot take it.
    EnableWindow(b, FALSE);
    EXPECT_EQ(GetFocus(), nullptr);
    EXPECT_FALSE(IsWindowEnabled(b));
    EXPECT_EQ(SetFocus(b), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    // A hidden window cannot take it either.
    ShowWindow(a, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(a));
    EXPECT_EQ(SetFocus(a), nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
    ShowWindow(a, SW_SHOW);
    SetFocus(a);
    EXPECT_EQ(GetFocus(), a);
    // Hiding the window that has the focus hands it to the parent.
    ShowWindow(a, SW_HIDE);
    EXPECT_EQ(GetFocus(), top);
    SetFocus(nullptr);
    EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(WindowLifecycleTest, VisibilityFollowsTheParents) {
    HWND top = Top("top");
    HWND child = Child(top, "child", 1);
    EXPECT_TRUE(IsWindowVisible(child));
    ShowWindow(top, SW_HIDE);
    EXPECT_FALSE(IsWindowVisible(child));
    EXPECT_NE(GetWindowLongA(child, GWL_STYLE) & WS_VISIBLE, 0);
    EXPECT_TRUE(ShowWindow(child, SW_HIDE));
    EXPECT_FALSE(ShowWindow(child, SW_HIDE));
}

TEST_F(WindowLifecycleTest, ActivationFollowsShowingAndHiding) {
    HWND first = Top("first");
    HWND second = Top("second", 40, 64);
    EXPECT_EQ(GetActiveWindow(), second);
    EXPECT_EQ(GetForegroundWindow(), second);
    SetActiveWindow(first);
    EXPECT_EQ(GetActiveWindow(), first);
    ShowWindow(first, SW_HIDE);
    EXPECT_EQ(GetActiveWindow(), second);
    DestroyWindow(second);
    EXPECT_EQ(GetActiveWindow(), nullptr);
}

TEST_F(WindowLifecycleTest, PostedMessagesArriveInOrderAndSentOnesAtOnce) {
    HWND top = Top("top");
    PostMessageA(top, WM_USER + 1, 1, 0);
    PostMessageA(top, WM_USER + 2, 2, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_NOREMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER + 1));
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER + 2, WM_USER + 2, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 2u);
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 1u);
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, WM_USER, WM_USER + 10, PM_REMOVE));

    PostQuitMessage(5);
    ASSERT_TRUE(GetMessageA(&msg, nullptr, 0, 0) == FALSE);
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST_F(WindowLifecycleTest, GetMessageEndsWhenNoInputCanCome) {
    // The automation has nothing scripted: the loop gets WM_QUIT instead of waiting for ever.
    MSG msg;
    Pump();
    EXPECT_FALSE(GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_QUIT));
}

WNDPROC g_original = nullptr;
std::string g_seen;

LRESULT CALLBACK UppercaseEdit(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CHAR && wParam >= 'a' && wParam <= 'z') {
        g_seen += static_cast<char>(wParam);
        wParam = wParam - 'a' + 'A';
    }
    return CallWindowProcA(g_original, hwnd, message, wParam, lParam);
}

TEST_F(WindowLifecycleTest, SubclassedEditSeesItsMessagesFirst) {
    HWND top = Top("top");
    HWND edit = CreateWindowExA(0, "Edit", "", WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL, 8, 16, 160,
                                16, top, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    g_seen.clear();
    g_original = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(UppercaseEdit)));
    ASSERT_NE(g_original, nullptr);
    EXPECT_EQ(reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_WNDPROC)), UppercaseEdit);
    SetFocus(edit);
    host::PostText("abc");
    Pump();
    EXPECT_EQ(g_seen, "abc");
    EXPECT_EQ(Text(edit), "ABC");
    SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_original));
    host::PostText("d");
    Pump();
    EXPECT_EQ(Text(edit), "ABCd");
}

TEST_F(WindowLifecycleTest, BuiltInClassesAreKnown) {
    WNDCLASSA wc;
    for (const char* name : {"#32770", "Static", "Edit", "Button", "ListBox", "ComboBox"}) {
        EXPECT_TRUE(GetClassInfoA(nullptr, name, &wc)) << name;
        EXPECT_NE(wc.lpfnWndProc, nullptr) << name;
    }
    EXPECT_TRUE(GetClassInfoA(nullptr, "button", &wc));
    EXPECT_FALSE(GetClassInfoA(nullptr, "Nothing", &wc));
    WNDCLASSA twice = {};
    twice.lpfnWndProc = LoggingProc;
    twice.lpszClassName = "LoggingWindow";
    EXPECT_EQ(RegisterClassA(&twice), 0);
}

} // namespace
