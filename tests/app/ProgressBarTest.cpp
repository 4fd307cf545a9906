// The copy page's progress bar on the real page template: its figures after each file and
// what it draws on the screen.
#include "app/ProgressBar.h"

#include "HeadlessMachine.h"
#include "framework/CDialog.h"
#include "gdi/Screen.h"
#include "host/Frontend.h"
#include "host/Machine.h"
#include "resources/resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kBarControl = 1013;

class ProgressBarTest : public HeadlessMachineTest {
  protected:
    void SetUp() override {
        HeadlessMachineTest::SetUp();
        ASSERT_TRUE(m_main.Create(IDD_SETUP_DIALOG, nullptr));
        ASSERT_TRUE(m_page.Create(IDD_COPY_PAGE, &m_main));
        m_page.EnableWindow(TRUE);
        m_page.ShowWindow(SW_SHOW);
        ASSERT_TRUE(m_bar.SubclassDlgItem(kBarControl, &m_page));
    }
    void TearDown() override {
        m_bar.DestroyWindow();
        m_page.DestroyWindow();
        m_main.DestroyWindow();
        HeadlessMachineTest::TearDown();
    }

    static bool screenShows(const std::string& text) {
        return host::DumpScreen().find(text) != std::string::npos;
    }

    CDialog m_main;
    CDialog m_page;
    CProgressBar m_bar;
};

TEST_F(ProgressBarTest, ThreeFilesGoFromNoneToAll) {
    ASSERT_TRUE(m_bar.SetRange(3, 0, 1));
    EXPECT_EQ(0, m_bar.m_nPercent);
    EXPECT_EQ(0, m_bar.m_nPos);
    const int expected[] = {33, 66, 100};
    for (int percent : expected) {
        EXPECT_TRUE(m_bar.Step());
        EXPECT_EQ(percent, m_bar.m_nPercent);
        EXPECT_TRUE(screenShows(std::to_string(percent) + " %")) << host::DumpScreen();
    }
    EXPECT_EQ(3, m_bar.m_nPos);
}

TEST_F(ProgressBarTest, GeometryFollowsTheControl) {
    ASSERT_TRUE(m_bar.SetRange(7, 0, 1));
    // The control is 202 x 13 dialog units, placed on whole cells of 8 x 16 pixels.
    RECT client;
    m_bar.GetClientRect(&client);
    int width = client.right - client.left;
    int height = client.bottom - client.top;
    EXPECT_GE(width, 400);
    EXPECT_EQ(0, std::memcmp(&client, &m_bar.m_rcClient, sizeof client));
    EXPECT_EQ(3, m_bar.m_rcBar.left);
    EXPECT_EQ(3, m_bar.m_rcBar.top);
    EXPECT_EQ(width - 3, m_bar.m_rcBar.right);
    EXPECT_EQ(height - 3, m_bar.m_rcBar.bottom);
    EXPECT_EQ(width - 6, m_bar.m_nBarWidth);
    EXPECT_EQ(3 + (width - 6) / 2, m_bar.m_nTextX);
    // "100%" is one cell row high.
    EXPECT_EQ(3 + (height - 6 - 16) / 2, m_bar.m_nTextY);
}

TEST_F(ProgressBarTest, SevenFilesAfterOneAreFourteenPercent) {
    ASSERT_TRUE(m_bar.SetRange(7, 0, 1));
    m_bar.Step();
    EXPECT_EQ(14, m_bar.m_nPercent);
    EXPECT_TRUE(screenShows("14 %")) << host::DumpScreen();
    // The done part, m_nBarWidth * 14 / 100 pixels from the bar's left, has the bar's colour
    // (blue, "B"): the cells whose left edge lies in it.
    POINT origin = {m_bar.m_rcBar.left, 0};
    ClientToScreen(m_bar.m_hWnd, &origin);
    int from = origin.x;
    int to = from + m_bar.m_nBarWidth * m_bar.m_nPercent / 100;
    int expectedCells = (to + 7) / 8 - (from + 7) / 8;
    std::string colours = host::DumpScreenWithColors();
    size_t text = colours.find("14 %");
    ASSERT_NE(std::string::npos, text);
    size_t rowStart = colours.rfind('\n', text) + 1;
    // Each row is followed by its foreground and background lines.
    size_t background = rowStart;
    for (int i = 0; i < 2; ++i)
        background = colours.find('\n', background) + 1;
    std::string backgroundRow =
        colours.substr(background, colours.find('\n', background) - background);
    EXPECT_EQ(expectedCells,
              static_cast<int>(std::count(backgroundRow.begin(), backgroundRow.end(), 'B')))
        << backgroundRow;
}

TEST_F(ProgressBarTest, TheBarSitsInsideAWholeFrame) {
    ASSERT_TRUE(m_bar.SetRange(2, 0, 1));
    m_main.UpdateWindow();
    m_bar.Step();
    // The control takes three rows: the edge's top line, the bar, the edge's bottom line.
    POINT origin = {0, 0};
    ClientToScreen(m_bar.m_hWnd, &origin);
    RECT client;
    m_bar.GetClientRect(&client);
    int left = origin.x / 8, top = origin.y / 16;
    int right = left + client.right / 8 - 1, bottom = top + client.bottom / 16 - 1;
    ASSERT_EQ(bottom - top, 2) << host::DumpScreen();
    const gdi::CScreen& screen = gdi::CScreen::Get();
    auto glyph = [&](int column, int row) {
        const gdi::Cell& cell = screen.At(column, row);
        return cell.kind == gdi::CellKind::Glyph ? cell.glyph : U'\0';
    };
    EXPECT_EQ(glyph(left, top), U'\u250C');
    EXPECT_EQ(glyph(right, top), U'\u2510');
    EXPECT_EQ(glyph(left, bottom), U'\u2514');
    EXPECT_EQ(glyph(right, bottom), U'\u2518');
    EXPECT_EQ(glyph(left, top + 1), U'\u2502');
    EXPECT_EQ(glyph(right, top + 1), U'\u2502');
    for (int column = left + 1; column < right; ++column) {
        EXPECT_EQ(glyph(column, top), U'\u2500') << "column " << column << host::DumpScreen();
        EXPECT_EQ(glyph(column, bottom), U'\u2500') << "column " << column;
        // Inside, the cells left of the middle of the bar are done (blue), the others not.
        int doneEnd = origin.x + m_bar.m_rcBar.left + m_bar.m_nBarWidth / 2;
        char expected = column * 8 < doneEnd ? 'B' : 'W';
        EXPECT_EQ(gdi::ColorLetter(screen.At(column, top + 1).background), expected)
            << "column " << column;
    }
    EXPECT_TRUE(screenShows("50 %")) << host::DumpScreen();
}

TEST_F(ProgressBarTest, ARangeOfNothingStaysAtZero) {
    ASSERT_TRUE(m_bar.SetRange(0, 0, 1));
    EXPECT_TRUE(m_bar.Step());
    EXPECT_EQ(0, m_bar.m_nPercent);
}

} // namespace
