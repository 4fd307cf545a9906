// Device contexts of windows: their origin and clip come from the window's place, and windows
// above are never drawn on.
#include "ScreenFixture.h"
#include "TestWindows.h"

TEST_F(ScreenTest, ChildDeviceContextStartsAtTheControlAndClipsToIt) {
    HWND main = testwindows::MakeTopLevel(64, 64, 512, 256);
    HWND control = testwindows::MakeChild(main, 54, 154, 404, 26);
    ASSERT_NE(control, nullptr);
    testwindows::PaintPending();
    Clear();
    HDC hdc = GetDC(control);
    ASSERT_NE(hdc, nullptr);
    // The control's left pixel is 118: its first cell is column 15 (pixel 120).
    TextOutA(hdc, 0, 0, "x", 1);
    EXPECT_EQ(Row(14), std::string(15, ' ') + "x");
    // Its right pixel is 521: column 65 (pixel 520) is its last.
    TextOutA(hdc, 400, 0, "abcd", 4);
    EXPECT_EQ(Row(14).substr(65), "a");
    // Starting left of the control: only what falls inside shows ("k" over the "x").
    TextOutA(hdc, -16, 0, "ijk", 3);
    EXPECT_EQ(Row(14).substr(13, 3), "  k");
    RECT box{};
    GetClipBox(hdc, &box);
    EXPECT_EQ(box.left, 0);
    EXPECT_EQ(box.right, 404);
    ReleaseDC(control, hdc);
    DestroyWindow(main);
}

TEST_F(ScreenTest, ChildIsClippedToItsParent) {
    HWND main = testwindows::MakeTopLevel(0, 0, 160, 64);
    HWND control = testwindows::MakeChild(main, 120, 0, 200, 16);
    ASSERT_NE(control, nullptr);
    testwindows::PaintPending();
    Clear();
    HDC hdc = GetDC(control);
    TextOutA(hdc, 0, 0, "0123456789", 10);
    ReleaseDC(control, hdc);
    EXPECT_EQ(Row(0), std::string(15, ' ') + "01234");
    DestroyWindow(main);
}

TEST_F(ScreenTest, WindowAboveIsNotDrawnOn) {
    HWND below = testwindows::MakeTopLevel(0, 0, 320, 160);
    HWND above = testwindows::MakeTopLevel(80, 32, 80, 32);
    ASSERT_NE(above, nullptr);
    SetWindowPos(above, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    testwindows::PaintPending();
    Clear();
    HDC hdc = GetDC(below);
    RECT all{0, 0, 320, 160};
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(hdc, &all, brush);
    DeleteObject(brush);
    ReleaseDC(below, hdc);
    EXPECT_EQ(Backgrounds(0, 40, 1), std::string(40, 'R'));
    EXPECT_EQ(Backgrounds(0, 40, 2),
              std::string(10, 'R') + std::string(10, 'k') + std::string(20, 'R'));
    EXPECT_EQ(Backgrounds(0, 40, 3),
              std::string(10, 'R') + std::string(10, 'k') + std::string(20, 'R'));
    EXPECT_EQ(Backgrounds(0, 41, 4), std::string(40, 'R') + "k");
    DestroyWindow(above);
    DestroyWindow(below);
}

TEST_F(ScreenTest, FramedWindowHasItsCaptionInTheTopRow) {
    testwindows::RegisterPlainClass();
    HWND framed =
        CreateWindowExA(0, "GdiTestWindow", "Setup", WS_POPUP | WS_CAPTION | WS_VISIBLE, 80, 32,
                        160, 64, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(framed, nullptr);
    SetActiveWindow(framed);
    testwindows::PaintPending();
    EXPECT_EQ(Row(2).substr(10), " Setup");
    EXPECT_EQ(Backgrounds(10, 20, 2), std::string(20, 'b'));
    EXPECT_EQ(Foregrounds(11, 5, 2), "WWWWW");
    EXPECT_EQ(Row(3).substr(10), "│" + std::string(18, ' ') + "│");
    std::string bottom = "└";
    for (int i = 0; i < 18; ++i)
        bottom += "─";
    EXPECT_EQ(Row(5).substr(10), bottom + "┘");
    EXPECT_EQ(Backgrounds(11, 18, 3), std::string(18, 'w'));
    POINT origin{0, 0};
    ClientToScreen(framed, &origin);
    EXPECT_EQ(origin.x, 88);
    EXPECT_EQ(origin.y, 48);
    DestroyWindow(framed);
}

TEST_F(ScreenTest, NothingDrawnInAHiddenWindowShows) {
    HWND main = testwindows::MakeTopLevel(0, 0, 320, 160);
    HWND control = testwindows::MakeChild(main, 0, 0, 160, 16);
    ASSERT_NE(control, nullptr);
    testwindows::PaintPending();
    Clear();
    ShowWindow(control, SW_HIDE);
    HDC hdc = GetDC(control);
    ASSERT_NE(hdc, nullptr);
    TextOutA(hdc, 0, 0, "hidden", 6);
    ReleaseDC(control, hdc);
    EXPECT_EQ(Row(0), "");
    // Hiding the parent hides its children too.
    ShowWindow(control, SW_SHOW);
    ShowWindow(main, SW_HIDE);
    hdc = GetDC(control);
    TextOutA(hdc, 0, 0, "hidden", 6);
    ReleaseDC(control, hdc);
    EXPECT_EQ(Row(0), "");
    ShowWindow(main, SW_SHOW);
    hdc = GetDC(control);
    TextOutA(hdc, 0, 0, "shown", 5);
    ReleaseDC(control, hdc);
    EXPECT_EQ(Row(0), "shown");
    DestroyWindow(main);
}
