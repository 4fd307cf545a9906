// The copy page's progress bar paints itself with the GDI alone: a sunken edge, then the done
// part and the rest as two ExtTextOutA calls with complementary clip rectangles, each filling
// its part and drawing the same centred percentage. These tests make exactly those calls on
// the control of 202 x 13 dialog units as the window system places it (51 columns and the
// three rows that edge and bar need, 408 x 48 pixels) and read back the cells.
#include "ProgressBarPainter.h"
#include "ScreenFixture.h"
#include "TestWindows.h"

using namespace progress;

namespace {

// The control where the main window puts it: the window's client area at pixel (64, 64) of
// the screen, the control at dialog units (27, 77), i.e. column 6 and row 9 inside it.
class ProgressBarTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        Clear(RGB(192, 192, 192));
        SetViewportOrgEx(m_hdc, kControlX, kControlY, nullptr);
        m_font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             "MS PGothic");
        m_geometry = Measure(m_hdc, RECT{0, 0, 408, 48}, m_font);
    }
    void TearDown() override {
        DeleteObject(m_font);
        ScreenTest::TearDown();
    }

    // The edge's lines take rows 13 and 15 and columns 14 and 64 whole; the bar lies between
    // them, on columns 15 to 63 of row 14 (pixels 115 to 517). A cell is blue when its left
    // pixel lies left of the end of the done part.
    void ExpectBar(int percent, int firstBlank, const std::string& text, int textColumn) {
        SCOPED_TRACE("percent " + std::to_string(percent));
        int doneEnd = kControlX + 3 + 402 * percent / 100;
        std::string line;
        for (int column = 15; column <= 63; ++column)
            line += "─";
        EXPECT_EQ(Row(13), std::string(14, ' ') + "┌" + line + "┐");
        EXPECT_EQ(Row(15), std::string(14, ' ') + "└" + line + "┘");
        std::string expectedText(14, ' ');
        expectedText += "│";
        for (int column = 15; column <= 63; ++column) {
            int offset = column - textColumn;
            expectedText += offset >= 0 && offset < static_cast<int>(text.size())
                                ? text[static_cast<size_t>(offset)]
                                : ' ';
        }
        expectedText += "│";
        EXPECT_EQ(Row(14), expectedText);
        for (int column = 15; column <= 63; ++column) {
            bool done = column * 8 < doneEnd;
            EXPECT_EQ(done, column < firstBlank);
            EXPECT_EQ(Background(column, 14), done ? 'B' : 'W') << "column " << column;
        }
        for (int column = 14; column <= 64; ++column)
            for (int row : {13, 15})
                EXPECT_EQ(Background(column, row), 'w') << "column " << column << " row " << row;
        EXPECT_EQ(Background(14, 14), 'w');
        EXPECT_EQ(Background(64, 14), 'w');
        for (size_t i = 0; i < text.size(); ++i) {
            int column = textColumn + static_cast<int>(i);
            // Each character takes the colour of the part it stands on.
            EXPECT_EQ(Foreground(column, 14), column < firstBlank ? 'W' : 'B')
                << "column " << column;
        }
        EXPECT_EQ(Row(12), "");
        EXPECT_EQ(Row(16), "");
    }

    HFONT m_font = nullptr;
    BarGeometry m_geometry;
};

} // namespace

TEST_F(ProgressBarTest, MeasuresTheBar) {
    EXPECT_EQ(m_geometry.barWidth, 402);
    EXPECT_EQ(m_geometry.textX, 3 + 201);
    EXPECT_EQ(m_geometry.textY, 3 + (42 - 16) / 2);
}

TEST_F(ProgressBarTest, ZeroPercentIsAllWindowColour) {
    Paint(m_hdc, m_geometry, 0, m_font);
    ExpectBar(0, 15, "0 %", 38);
}

TEST_F(ProgressBarTest, FourteenPercentOfSevenFiles) {
    Paint(m_hdc, m_geometry, 14, m_font);
    // 402 * 14 / 100 = 56 pixels: the done part ends at pixel 171, before column 22.
    ExpectBar(14, 22, "14 %", 38);
}

TEST_F(ProgressBarTest, ThirdsOfThreeFiles) {
    Paint(m_hdc, m_geometry, 0, m_font);
    Paint(m_hdc, m_geometry, 33, m_font);
    ExpectBar(33, 31, "33 %", 38);
    Paint(m_hdc, m_geometry, 66, m_font);
    ExpectBar(66, 48, "66 %", 38);
    // All done: the bar fills the edge to its right line and not past it.
    Paint(m_hdc, m_geometry, 100, m_font);
    ExpectBar(100, 65, "100 %", 37);
}

TEST_F(ProgressBarTest, EdgeOfTheDonePartCrossesTheText) {
    Paint(m_hdc, m_geometry, 50, m_font);
    // 402 * 50 / 100 = 201: the done part ends at pixel 316, the centre of "50 %".
    ExpectBar(50, 40, "50 %", 38);
    EXPECT_EQ(Foregrounds(38, 4, 14), "WWBB");
    EXPECT_EQ(Backgrounds(38, 4, 14), "BBWW");
}

TEST_F(ProgressBarTest, DrawingWithoutThePaintKeepsTheEdge) {
    Paint(m_hdc, m_geometry, 14, m_font);
    // A step draws straight into the control without the edge; the edge stays.
    Draw(m_hdc, m_geometry, 33, m_font);
    ExpectBar(33, 31, "33 %", 38);
}

TEST_F(ProgressBarTest, DrawnThroughTheControlsOwnDeviceContext) {
    // The main window's client area at (64, 64), the control at (48, 144) inside it.
    HWND main = testwindows::MakeTopLevel(64, 64, 512, 258);
    ASSERT_NE(main, nullptr);
    HWND control = testwindows::MakeChild(main, 48, 144, 408, 48);
    ASSERT_NE(control, nullptr);
    testwindows::PaintPending();
    HDC hdc = GetDC(control);
    ASSERT_NE(hdc, nullptr);
    RECT client{};
    GetClientRect(control, &client);
    BarGeometry geometry = Measure(hdc, client, m_font);
    EXPECT_EQ(geometry.barWidth, 402);
    Paint(hdc, geometry, 50, m_font);
    ReleaseDC(control, hdc);
    EXPECT_NE(Row(13).find("┌"), std::string::npos);
    EXPECT_NE(Row(15).find("└─"), std::string::npos);
    EXPECT_EQ(Foregrounds(38, 4, 14), "WWBB");
    EXPECT_EQ(Backgrounds(38, 4, 14), "BBWW");
    EXPECT_EQ(Backgrounds(15, 1, 14), "B");
    EXPECT_EQ(Backgrounds(63, 1, 14), "W");
    DestroyWindow(main);
}
