// The program's own dialog templates drawn on the screen: every text stands at the cell its
// dialog units give (column x / 4 from the dialog's client area, and the row its middle lies
// in: (2 * y + cy) / 16 for a control of one line, y / 8 for a taller one), the pages inside
// a main window from template 101.
#include "WindowsFixture.h"

namespace {

INT_PTR CALLBACK Plain(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

class TemplateRenderingTest : public WindowsTest {
  protected:
    TemplateRenderingTest() : WindowsTest("JPN") {}

    HWND Create(int id, HWND parent = nullptr) {
        HWND dialog =
            CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id), parent, Plain, 0);
        EXPECT_NE(dialog, nullptr) << id;
        return dialog;
    }
    // The main window with one page shown in it.
    HWND ShowPage(int id) {
        m_main = Create(101);
        HWND page = Create(id, m_main);
        ShowWindow(page, SW_SHOW);
        EnableWindow(page, TRUE);
        UpdateWindow(m_main);
        return page;
    }
    static POINT OriginCell(HWND dialog) {
        POINT origin = {0, 0};
        ClientToScreen(dialog, &origin);
        EXPECT_EQ(origin.x % 8, 0);
        EXPECT_EQ(origin.y % 16, 0);
        return POINT{origin.x / 8, origin.y / 16};
    }
    // The row of a control of cy units at y, from the dialog's client area.
    static int RowOfUnits(int y, int cy) { return cy < 16 ? (2 * y + cy) / 16 : y / 8; }
    // The text as the screen shows it at the cell of (x, y) dialog units of the dialog, for a
    // line of text of 8 units.
    static std::string At(HWND dialog, int x, int y, size_t length) {
        POINT origin = OriginCell(dialog);
        std::string row = CellRow(origin.y + RowOfUnits(y, 8));
        size_t column = static_cast<size_t>(origin.x + x / 4);
        if (row.size() < column + length)
            row.resize(column + length, ' ');
        return row.substr(column, length);
    }
    // A control's window lies on the cell of its dialog units.
    static void ExpectControlAt(HWND dialog, int id, int x, int y, int cy) {
        HWND control = GetDlgItem(dialog, id);
        ASSERT_NE(control, nullptr) << id;
        POINT origin = OriginCell(dialog);
        POINT cell = CellOf(control);
        EXPECT_EQ(cell.x - origin.x, x / 4) << id;
        EXPECT_EQ(cell.y - origin.y, RowOfUnits(y, cy)) << id;
    }
    static bool RowHas(HWND dialog, int y, int cy, const std::string& text) {
        POINT origin = OriginCell(dialog);
        return CellRow(origin.y + RowOfUnits(y, cy)).find(text) != std::string::npos;
    }

    HWND m_main = nullptr;
};

TEST_F(TemplateRenderingTest, TheMainWindowIsAFramedWindowOfWholeCells) {
    HWND main = Create(101);
    EXPECT_TRUE(IsWindowVisible(main));
    RECT client;
    GetClientRect(main, &client);
    // 256 x 129 dialog units: 64 columns, 16 rows and a bit, to the nearest row: 16.
    EXPECT_EQ(client.right, 64 * 8);
    EXPECT_EQ(client.bottom, 16 * 16);
    RECT window;
    GetWindowRect(main, &window);
    EXPECT_EQ(window.right - window.left, 66 * 8);
    EXPECT_EQ(window.bottom - window.top, 18 * 16);
}

TEST_F(TemplateRenderingTest, PathPage) {
    HWND page = ShowPage(110);
    RECT r;
    GetClientRect(page, &r);
    EXPECT_EQ(r.right, 512);
    EXPECT_EQ(r.bottom, 256);
    std::string line1 = "Veltrix \xBF\xCC\xC4\xB3\xAA\xB1\x90\xBB\x95i\x82\xCC\xBE\xAF\xC4\xB1"
                        "\xAF\xCC\xDF\x82\xF0\x8Ds\x82\xA2\x82\xDC\x82\xB7\x81"
                        "B";
    EXPECT_EQ(At(page, 8, 6, line1.size()), line1);
    EXPECT_EQ(At(page, 8, 18, 16), "\x82\xE6\x82\xEB\x82\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81H");
    // Labels show their mnemonic without the "&"; 32 dialog units are 8 cells, one fewer
    // than the label needs, so the label takes the cells beside it and the edits lined up
    // after it start two cells later (column 12), a blank cell after the label.
    EXPECT_EQ(At(page, 8, 36, 10), "\xBA\xCB\xDF\xB0\x8C\xB3(F) ");
    EXPECT_EQ(At(page, 8, 54, 10), "\xBA\xCB\xDF\xB0\x90\xE6(T) ");
    ExpectControlAt(page, 1000, 48, 34, 12);
    ExpectControlAt(page, 1002, 196, 33, 14);
    ExpectControlAt(page, 1001, 48, 52, 12);
    ExpectControlAt(page, 1003, 196, 51, 14);
    ExpectControlAt(page, IDOK, 138, 108, 14);
    ExpectControlAt(page, IDCANCEL, 196, 108, 14);
    EXPECT_TRUE(RowHas(page, 108, 14, "OK"));
    EXPECT_TRUE(RowHas(page, 108, 14, "\xB7\xAC\xDD\xBE\xD9"));
    EXPECT_TRUE(RowHas(page, 33, 14, "\x8EQ\x8F\xC6(B)..."));
}

TEST_F(TemplateRenderingTest, CopyPage) {
    HWND page = ShowPage(111);
    SetDlgItemTextA(page, 1004, "D:\\SETUP.INF");
    UpdateWindow(m_main);
    EXPECT_EQ(At(page, 8, 24, 8), "\xBA\xCB\xDF\xB0\x8C\xB3 :");
    // The destination line, 12 units below, stands on the next row (its middle lies two
    // rows lower).
    EXPECT_EQ(CellRow(OriginCell(page).y + 4).substr(OriginCell(page).x + 2, 8),
              "\xBA\xCB\xDF\xB0\x90\xE6 :");
    // The paths start a cell after their labels, which fill their 8 cells.
    EXPECT_EQ(At(page, 40, 24, 13), " D:\\SETUP.INF");
    // The bar's control takes the row of its middle and those above and below it.
    EXPECT_EQ(CellOf(GetDlgItem(page, 1013)).y - OriginCell(page).y, (2 * 77 + 13) / 16 - 1);
    ExpectControlAt(page, IDCANCEL, 196, 108, 14);
    // The empty static 1013 shows nothing.
    EXPECT_EQ(At(page, 27, 77, 40), std::string(40, ' '));
}

TEST_F(TemplateRenderingTest, FinishAndAbortPages) {
    HWND finish = ShowPage(112);
    EXPECT_EQ(At(finish, 8, 6, 7), "\xBE\xAF\xC4\xB1\xAF\xCC\xDF");
    EXPECT_TRUE(RowHas(finish, 108, 14, "\x8FI\x97\xB9(X)"));
    DestroyWindow(m_main);
    HWND abort = ShowPage(113);
    EXPECT_EQ(At(abort, 8, 6, 7), "\xBE\xAF\xC4\xB1\xAF\xCC\xDF");
    EXPECT_EQ(At(abort, 8, 18, 6), "\x82\xE0\x82\xA4\x88\xEA");
    ExpectControlAt(abort, IDCANCEL, 196, 108, 14);
}

TEST_F(TemplateRenderingTest, OnlyTheShownPageIsDrawn) {
    HWND path = ShowPage(110);
    HWND abort = Create(113, m_main);
    ShowWindow(path, SW_HIDE);
    ShowWindow(abort, SW_SHOW);
    UpdateWindow(m_main);
    EXPECT_EQ(At(abort, 8, 18, 6), "\x82\xE0\x82\xA4\x88\xEA");
    EXPECT_FALSE(RowHas(abort, 36, 8, "(F)"));
    EXPECT_FALSE(RowHas(abort, 108, 14, "OK"));
}

TEST_F(TemplateRenderingTest, OverwriteDialog) {
    HWND dialog = Create(102);
    ASSERT_TRUE(IsWindowVisible(dialog));
    SetDlgItemTextA(dialog, 1012, "APP.EXE");
    UpdateWindow(dialog);
    EXPECT_EQ(At(dialog, 6, 6, 7), "APP.EXE");
    EXPECT_EQ(At(dialog, 20, 18, 4), "\x82\xCD\xBA\xCB");
    // "存在するﾌｧｲﾙ :" needs 14 cells: the column of values moves from 14 to 16.
    EXPECT_EQ(At(dialog, 6, 32, 15), "\x91\xB6\x8D\xDD\x82\xB7\x82\xE9\xCC\xA7\xB2\xD9 : ");
    // Lines 12 units apart stand on consecutive rows; the groups the template sets apart by
    // a pitch and a little more stand one blank row apart; the margins above the first line
    // and below the buttons are one row each.
    auto rowOf = [&](int id) { return CellOf(GetDlgItem(dialog, id)).y - OriginCell(dialog).y; };
    RECT client;
    GetClientRect(dialog, &client);
    std::vector<int> rows = {rowOf(1012), rowOf(1009), rowOf(1011),
                             rowOf(1013), rowOf(1010), rowOf(IDYES)};
    EXPECT_EQ(rows, (std::vector<int>{1, 4, 5, 7, 8, 14}));
    EXPECT_EQ(client.bottom / 16 - 1 - rowOf(IDCANCEL), 1);
    EXPECT_NE(CellRow(OriginCell(dialog).y + 2).find("\x82\xCD\xBA\xCB"), std::string::npos);
    EXPECT_NE(CellRow(OriginCell(dialog).y + 10).find("\x8F\xE3\x8F\x91"), std::string::npos);
    EXPECT_TRUE(RowHas(dialog, 108, 14, "\x82\xCD\x82\xA2(Y)"));
    EXPECT_TRUE(RowHas(dialog, 108, 14, "\x82\xA2\x82\xA2\x82\xA6(N)"));
    // The buttons, 6 units apart in the template each, stand two cells apart each (the units
    // fall on half cells: cell by cell they would be two and then one apart).
    POINT origin = OriginCell(dialog);
    std::string row = CellRow(origin.y + RowOfUnits(108, 14));
    size_t yes = row.find("<  \x82\xCD\x82\xA2(Y)  >");
    size_t no = row.find("[ \x82\xA2\x82\xA2\x82\xA6(N) ]");
    size_t cancel = row.find("[   \xB7\xAC\xDD\xBE\xD9   ]");
    ASSERT_NE(yes, std::string::npos) << row;
    ASSERT_NE(no, std::string::npos) << row;
    ASSERT_NE(cancel, std::string::npos) << row;
    EXPECT_EQ(no - (yes + 13), 2u) << row;
    EXPECT_EQ(cancel - (no + 13), 2u) << row;
}

TEST_F(TemplateRenderingTest, AboutBox) {
    HWND about = Create(100);
    ShowWindow(about, SW_SHOW);
    UpdateWindow(about);
    EXPECT_EQ(At(about, 40, 10, 23), "Veltrix Setup for Win32");
    ExpectControlAt(about, IDOK, 170, 7, 14);
    EXPECT_TRUE(RowHas(about, 7, 14, "OK"));
    RECT r;
    GetWindowRect(about, &r);
    char caption[64] = "";
    GetWindowTextA(about, caption, sizeof caption);
    EXPECT_EQ(std::string(caption).substr(0, 23), "Veltrix Setup for Win32");
}

TEST_F(TemplateRenderingTest, DirectoryBrowserTemplate) {
    HWND browser = Create(1536);
    ShowWindow(browser, SW_SHOW);
    UpdateWindow(browser);
    EXPECT_EQ(At(browser, 6, 6, 9), "\xCC\xAB\xD9\xC0\xDE(F):");
    EXPECT_EQ(At(browser, 6, 104, 10), "\xC4\xDE\xD7\xB2\xCC\xDE(V):");
    ExpectControlAt(browser, 1121, 6, 32, 60);
    ExpectControlAt(browser, 1137, 6, 114, 75);
    ExpectControlAt(browser, IDOK, 114, 6, 15);
    ExpectControlAt(browser, IDCANCEL, 114, 25, 15);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(browser, 1152)));
    // The hidden file-name label is not drawn.
    EXPECT_FALSE(RowHas(browser, 6, 9, "\xCC\xA7\xB2\xD9\x96\xBC"));
}

} // namespace
