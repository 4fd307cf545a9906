// Painting: WM_PAINT comes last and for invalid windows only, parents before children; a
// hidden or moved window leaves the desktop or the windows beneath repainted; the system menu
// of a window, opened from the keyboard, sends the command of the item chosen.
#include "WindowsFixture.h"

namespace {

std::vector<std::string> g_painted;

LRESULT CALLBACK PaintingProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        char name[32] = "";
        GetWindowTextA(hwnd, name, sizeof name);
        g_painted.push_back(name);
        PAINTSTRUCT ps;
        HDC hdc = BeginPaint(hwnd, &ps);
        RECT r;
        GetClientRect(hwnd, &r);
        FillRect(hdc, &r, GetSysColorBrush(COLOR_WINDOW));
        TextOutA(hdc, 0, 0, name, lstrlenA(name));
        EndPaint(hwnd, &ps);
        return 0;
    }
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == 0x10) {
            g_painted.push_back("about");
            return 0;
        }
        break;
    default:
        break;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

class PaintTest : public WindowsTest {
  protected:
    void SetUp() override {
        WindowsTest::SetUp();
        WNDCLASSA wc = {};
        wc.lpfnWndProc = PaintingProc;
        wc.lpszClassName = "Painting";
        RegisterClassA(&wc);
        g_painted.clear();
    }
    void TearDown() override {
        WindowsTest::TearDown();
        UnregisterClassA("Painting", nullptr);
    }
    static HWND Top(const char* name, int column, int row) {
        return CreateWindowExA(0, "Painting", name, WS_POPUP | WS_BORDER | WS_VISIBLE | WS_SYSMENU,
                               column * 8, row * 16, 20 * 8, 5 * 16, nullptr, nullptr, nullptr,
                               nullptr);
    }
    static HWND Child(HWND parent, const char* name, int column, int row) {
        return CreateWindowExA(0, "Painting", name, WS_CHILD | WS_VISIBLE, column * 8, row * 16,
                               6 * 8, 16, parent, nullptr, nullptr, nullptr);
    }
    static std::string Cells(int column, int row, int count) {
        std::string line = CellRow(row);
        line.resize(std::max(line.size(), static_cast<size_t>(column + count)), ' ');
        return line.substr(static_cast<size_t>(column), static_cast<size_t>(count));
    }
};

TEST_F(PaintTest, PaintComesWhenNothingElseWaitsAndParentsFirst) {
    HWND top = Top("top", 2, 2);
    Child(top, "kid", 1, 1);
    PostMessageA(top, WM_USER, 0, 0);
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.message, static_cast<UINT>(WM_USER));
    Pump();
    EXPECT_EQ(g_painted, (std::vector<std::string>{"top", "kid"}));
    // Both drawn, the child over its parent, in the parent's client area.
    EXPECT_EQ(Cells(3, 3, 3), "top");
    EXPECT_EQ(Cells(4, 4, 3), "kid");
    g_painted.clear();
    Pump();
    EXPECT_TRUE(g_painted.empty());
}

TEST_F(PaintTest, InvalidatingAWindowRepaintsItAndTheChildrenItCovers) {
    HWND top = Top("top", 2, 2);
    HWND kid = Child(top, "kid", 1, 1);
    Pump();
    g_painted.clear();
    InvalidateRect(kid, nullptr, TRUE);
    Pump();
    EXPECT_EQ(g_painted, (std::vector<std::string>{"kid"}));
    g_painted.clear();
    InvalidateRect(top, nullptr, TRUE);
    UpdateWindow(top);
    EXPECT_EQ(g_painted, (std::vector<std::string>{"top", "kid"}));
    g_painted.clear();
    ValidateRect(top, nullptr);
    InvalidateRect(top, nullptr, TRUE);
    ValidateRect(top, nullptr);
    ValidateRect(kid, nullptr);
    Pump();
    EXPECT_TRUE(g_painted.empty());
}

TEST_F(PaintTest, ChildrenArePaintedAgainAfterTheirParentEvenWhenItClipsThem) {
    HWND top = Top("top", 2, 2);
    SetWindowLongA(top, GWL_STYLE, GetWindowLongA(top, GWL_STYLE) | WS_CLIPCHILDREN);
    Child(top, "kid", 1, 1);
    Pump();
    g_painted.clear();
    InvalidateRect(top, nullptr, TRUE);
    Pump();
    EXPECT_EQ(g_painted, (std::vector<std::string>{"top", "kid"}));
    EXPECT_EQ(Cells(4, 4, 3), "kid");
}

TEST_F(PaintTest, HidingAWindowRepaintsWhatWasBeneath) {
    HWND below = Top("below", 2, 2);
    HWND above = Top("above", 6, 3);
    Pump();
    // The upper window covers part of the lower one.
    EXPECT_EQ(Cells(7, 4, 5), "above");
    g_painted.clear();
    ShowWindow(above, SW_HIDE);
    Pump();
    EXPECT_EQ(g_painted, (std::vector<std::string>{"below"}));
    EXPECT_EQ(Cells(7, 4, 5), "     ");
    // Moving a window away shows the desktop where it was.
    SetWindowPos(below, nullptr, 40 * 8, 10 * 16, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Pump();
    EXPECT_EQ(Cells(3, 3, 5), "     ");
    EXPECT_EQ(Cells(41, 11, 5), "below");
    (void)above;
}

TEST_F(PaintTest, GetDcDrawsAtOnce) {
    HWND top = Top("top", 2, 2);
    Pump();
    HDC hdc = GetDC(top);
    ASSERT_NE(hdc, nullptr);
    TextOutA(hdc, 8 * 8, 2 * 16, "direct", 6);
    EXPECT_EQ(ReleaseDC(top, hdc), 1);
    EXPECT_EQ(Cells(11, 5, 6), "direct");
}

TEST_F(PaintTest, TheSystemMenuSendsTheCommandOfTheItemChosen) {
    HWND top = Top("top", 2, 2);
    HMENU menu = GetSystemMenu(top, FALSE);
    ASSERT_NE(menu, nullptr);
    int items = GetMenuItemCount(menu);
    EXPECT_GE(items, 1);
    EXPECT_TRUE(AppendMenuA(menu, MF_SEPARATOR, 0, nullptr));
    EXPECT_TRUE(AppendMenuA(menu, MF_STRING, 0x10, "&About"));
    EXPECT_EQ(GetMenuItemCount(menu), items + 2);
    EXPECT_EQ(GetMenuItemID(menu, items + 1), 0x10u);
    SetFocus(top);
    g_painted.clear();
    host::PostKeyDown(VK_SPACE, false, true);
    host::PostKeyDown('A');
    Pump();
    EXPECT_EQ(std::count(g_painted.begin(), g_painted.end(), "about"), 1);
    // Down from the first item (Close) skips the separator; Esc leaves without a command.
    host::PostKeyDown(VK_SPACE, false, true);
    host::PostKeyDown(VK_DOWN);
    host::PostKeyDown(VK_RETURN);
    host::PostKeyDown(VK_SPACE, false, true);
    host::PostKeyDown(VK_ESCAPE);
    Pump();
    EXPECT_EQ(std::count(g_painted.begin(), g_painted.end(), "about"), 2);
    EXPECT_TRUE(IsWindow(top));
    // The first item is Close.
    host::PostKeyDown(VK_SPACE, false, true);
    host::PostKeyDown(VK_RETURN);
    Pump();
    EXPECT_FALSE(IsWindow(top));
}

TEST_F(PaintTest, AltF4ClosesTheWindow) {
    HWND top = Top("top", 2, 2);
    SetFocus(top);
    host::PostKeyDown(VK_F4, false, true);
    Pump();
    EXPECT_FALSE(IsWindow(top));
}

} // namespace
