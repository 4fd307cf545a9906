// The copy page's progress bar paints itself with the GDI alone: a sunken edge, then the done
// part and the rest as two ExtTextOutA calls with complementary clip rectangles, each filling
// its part and drawing the same centred percentage. These tests make exactly those calls on
// a control of 202 x 13 dialog units (404 x 26 pixels) and read back the cells.
#include "ProgressBarPainter.h"
#include "ScreenFixture.h"
#include "TestWindows.h"

using namespace progress;

namespace {

// The control where the main window puts it: the window's client area at pixel (64, 64) of
// the screen, the control at dialog units (27, 77), i.e. pixels (54, 154) inside it.
class ProgressBarTest : public ScreenTest {
  protected:
    void SetUp() override {
        ScreenTest::SetUp();
        Clear(RGB(192, 192, 192));
        SetViewportOrgEx(m_hdc, kControlX, kControlY, nullptr);
        m_font = CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             "MS PGothic");
        m_geometry = Measure(m_hdc, RECT{0, 0, 404, 26}, m_font);
    }
    void TearDown() override {
        DeleteObject(m_font);
        ScreenTest::TearDown();
    }

    // The bar's cells: columns 16 to 64 (pixels 121 to 518), rows 14 and 15 (pixels 221 to
    // 240). A cell is blue when its left pixel lies left of the end of the done part.
    void ExpectBar(int percent, int firstBlank, const std::string& text, int textColumn) {
        SCOPED_TRACE("percent " + std::to_string(percent));
        int doneEnd = kControlX + 3 + 398 * percent / 100;
        std::string expectedText(15, ' ');
        expectedText += "┌";
        for (int column = 16; column <= 64; ++column) {
            int offset = column - textColumn;
            expectedText += offset >= 0 && offset < static_cast<int>(text.size())
                                ? text[static_cast<size_t>(offset)]
                                : ' ';
        }
        expectedText += "┐";
        EXPECT_EQ(Row(14), expectedText);
        EXPECT_EQ(Row(15), std::string(15, ' ') + "└" + std::string(49, ' ') + "┘");
        for (int row = 14; row <= 15; ++row) {
            for (int column = 16; column <= 64; ++column) {
                bool done = column * 8 < doneEnd;
                EXPECT_EQ(done, column < firstBlank);
                EXPECT_EQ(Background(column, row), done ? 'B' : 'W')
                    << "column " << column << " row " << row;
            }
            EXPECT_EQ(Background(15, row), 'w');
            EXPECT_EQ(Background(65, row), 'w');
        }
        for (size_t i = 0; i < text.size(); ++i) {
            int column = textColumn + static_cast<int>(i);
            // Each character takes the colour of the part it stands on.
            EXPECT_EQ(Foreground(column, 14), column < firstBlank ? 'W' : 'B')
                << "column " << column;
        }
        EXPECT_EQ(Row(13), "");
        EXPECT_EQ(Row(16), "");
    }

    HFONT m_font = nullptr;
    BarGeometry m_geometry;
};

} // namespace

TEST_F(ProgressBarTest, MeasuresTheBar) {
    EXPECT_EQ(m_geometry.barWidth, 398);
    EXPECT_EQ(m_geometry.textX, 3 + 199);
    EXPECT_EQ(m_geometry.textY, 3 + (20 - 16) / 2);
}

TEST_F(ProgressBarTest, ZeroPercentIsAllWindowColour) {
    Paint(m_hdc, m_geometry, 0, m_font);
    ExpectBar(0, 16, "0 %", 39);
}

TEST_F(ProgressBarTest, FourteenPercentOfSevenFiles) {
    Paint(m_hdc, m_geometry, 14, m_font);
    // 398 * 14 / 100 = 55 pixels: the done part ends at pixel 176, before column 22.
    ExpectBar(14, 22, "14 %", 38);
}

TEST_F(ProgressBarTest, ThirdsOfThreeFiles) {
    Paint(m_hdc, m_geometry, 0, m_font);
    Paint(m_hdc, m_geometry, 33, m_font);
    ExpectBar(33, 32, "33 %", 38);
    Paint(m_hdc, m_geometry, 66, m_font);
    ExpectBar(66, 48, "66 %", 38);
    Paint(m_hdc, m_geometry, 100, m_font);
    ExpectBar(100, 65, "100 %", 38);
}

TEST_F(ProgressBarTest, EdgeOfTheDonePartCrossesTheText) {
    Paint(m_hdc, m_geometry, 50, m_font);
    // 398 * 50 / 100 = 199: the done part ends at pixel 320, the centre of "50 %".
    ExpectBar(50, 40, "50 %", 38);
    EXPECT_EQ(Foregrounds(38, 4, 14), "WWBB");
    EXPECT_EQ(Backgrounds(38, 4, 14), "BBWW");
}

TEST_F(ProgressBarTest, DrawingWithoutThePaintKeepsTheEdge) {
    Paint(m_hdc, m_geometry, 14, m_font);
    // A step draws straight into the control without the edge; the edge stays.
    Draw(m_hdc, m_geometry, 33, m_font);
    ExpectBar(33, 32, "33 %", 38);
}

TEST_F(ProgressBarTest, DrawnThroughTheControlsOwnDeviceContext) {
    // The main window's client area at (64, 64), the control at (54, 154) inside it.
    HWND main = testwindows::MakeTopLevel(64, 64, 512, 258);
    ASSERT_NE(main, nullptr);
    HWND control = testwindows::MakeChild(main, 54, 154, 404, 26);
    ASSERT_NE(control, nullptr);
    testwindows::PaintPending();
    HDC hdc = GetDC(control);
    ASSERT_NE(hdc, nullptr);
    RECT client{};
    GetClientRect(control, &client);
    BarGeometry geometry = Measure(hdc, client, m_font);
    EXPECT_EQ(geometry.barWidth, 398);
    Paint(hdc, geometry, 50, m_font);
    ReleaseDC(control, hdc);
    std::string row14 = Row(14);
    EXPECT_NE(row14.find("┌"), std::string::npos);
    EXPECT_EQ(Foregrounds(38, 4, 14), "WWBB");
    EXPECT_EQ(Backgrounds(38, 4, 14), "BBWW");
    EXPECT_EQ(Backgrounds(16, 1, 15), "B");
    EXPECT_EQ(Backgrounds(64, 1, 15), "W");
    DestroyWindow(main);
}
