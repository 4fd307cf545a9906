// Fills, frames, edges, icons, GDI objects and system colours.
#include "ScreenFixture.h"

TEST_F(ScreenTest, FillCoversTheCellsWhoseTopLeftPixelIsInside) {
    Clear();
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    RECT first{0, 0, 7, 15};
    EXPECT_TRUE(FillRect(m_hdc, &first, white));
    EXPECT_EQ(Backgrounds(0, 2, 0), "Wk");
    EXPECT_EQ(Background(0, 1), 'k');
    RECT inner{1, 17, 16, 48};
    FillRect(m_hdc, &inner, white);
    EXPECT_EQ(Backgrounds(0, 3, 1), "kkk");
    EXPECT_EQ(Backgrounds(0, 3, 2), "kWk");
    EXPECT_EQ(Backgrounds(0, 3, 3), "kkk");
    RECT none{1, 1, 8, 16};
    FillRect(m_hdc, &none, white);
    EXPECT_EQ(Backgrounds(1, 1, 0), "k");
}

TEST_F(ScreenTest, FillTakesSystemColourBrushValuesAndSkipsTheHollowBrush) {
    Clear();
    RECT rect{0, 0, 16, 16};
    FillRect(m_hdc, &rect, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(Backgrounds(0, 3, 0), "WWk");
    LOGBRUSH hollow{BS_NULL, RGB(255, 0, 0), 0};
    HBRUSH brush = CreateBrushIndirect(&hollow);
    ASSERT_NE(brush, nullptr);
    RECT wide{0, 0, 80, 16};
    FillRect(m_hdc, &wide, brush);
    EXPECT_EQ(Backgrounds(0, 3, 0), "WWk");
    EXPECT_TRUE(DeleteObject(brush));
    FillRect(m_hdc, &rect, GetSysColorBrush(COLOR_HIGHLIGHT));
    EXPECT_EQ(Backgrounds(0, 2, 0), "bb");
}

TEST_F(ScreenTest, FillWipesTheCharacters) {
    Clear();
    TextOutA(m_hdc, 0, 0, "text", 4);
    RECT rect{8, 0, 24, 16};
    HBRUSH brush = CreateSolidBrush(RGB(0, 0, 255));
    FillRect(m_hdc, &rect, brush);
    DeleteObject(brush);
    EXPECT_EQ(Row(0), "t  t");
    EXPECT_EQ(Backgrounds(0, 4, 0), "WBBW");
}

TEST_F(ScreenTest, SunkenEdgeIsABoxOnTheBorderCells) {
    Clear(RGB(192, 192, 192));
    TextOutA(m_hdc, 16, 32, "in", 2);
    RECT rect{8, 16, 48, 64};
    ASSERT_TRUE(DrawEdge(m_hdc, &rect, EDGE_SUNKEN, BF_RECT));
    EXPECT_EQ(Row(1), " ┌───┐");
    EXPECT_EQ(Row(2), " │in │");
    EXPECT_EQ(Row(3), " └───┘");
    EXPECT_EQ(Backgrounds(1, 5, 1), "wwwww");
    EXPECT_EQ(Foregrounds(1, 5, 1), "KKKKK");
    EXPECT_EQ(rect.left, 8);
}

TEST_F(ScreenTest, EdgeOfASingleRowKeepsTheRowItSurrounds) {
    Clear();
    TextOutA(m_hdc, 8, 0, "ok", 2);
    RECT rect{0, 0, 32, 16};
    DrawEdge(m_hdc, &rect, EDGE_RAISED, BF_RECT);
    EXPECT_EQ(Row(0), "│ok│");
}

TEST_F(ScreenTest, EdgeWithAdjustLeavesTheInside) {
    Clear();
    RECT rect{8, 16, 48, 64};
    DrawEdge(m_hdc, &rect, EDGE_SUNKEN, BF_RECT | BF_ADJUST);
    HBRUSH brush = CreateSolidBrush(RGB(255, 0, 0));
    FillRect(m_hdc, &rect, brush);
    DeleteObject(brush);
    EXPECT_EQ(Row(1), " ┌───┐");
    EXPECT_EQ(Row(2), " │   │");
    EXPECT_EQ(Backgrounds(1, 5, 2), "kRRRk");
    EXPECT_EQ(Row(3), " └───┘");
}

TEST_F(ScreenTest, FrameRectAndRectangleDrawBoxes) {
    Clear();
    RECT rect{0, 0, 24, 48};
    FrameRect(m_hdc, &rect, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    EXPECT_EQ(Row(0), "┌─┐");
    EXPECT_EQ(Row(1), "│ │");
    EXPECT_EQ(Row(2), "└─┘");
    HBRUSH brush = CreateSolidBrush(RGB(0, 128, 0));
    HGDIOBJ previous = SelectObject(m_hdc, brush);
    EXPECT_EQ(previous, GetStockObject(WHITE_BRUSH));
    Rectangle(m_hdc, 32, 0, 64, 48);
    EXPECT_EQ(Row(1), "│ │ │  │");
    EXPECT_EQ(Backgrounds(4, 4, 1), "gggg");
    EXPECT_EQ(Foregrounds(4, 1, 1), "k");
    SelectObject(m_hdc, previous);
    DeleteObject(brush);
}

TEST_F(ScreenTest, FocusRectangleInvertsAndDrawnTwiceRestores) {
    Clear();
    SetTextColor(m_hdc, RGB(255, 255, 255));
    SetBkColor(m_hdc, RGB(0, 0, 128));
    TextOutA(m_hdc, 0, 0, "Next", 4);
    RECT rect{0, 0, 32, 16};
    DrawFocusRect(m_hdc, &rect);
    EXPECT_EQ(Foregrounds(0, 4, 0), "bbbb");
    EXPECT_EQ(Backgrounds(0, 5, 0), "WWWWk");
    DrawFocusRect(m_hdc, &rect);
    EXPECT_EQ(Foregrounds(0, 4, 0), "WWWW");
    EXPECT_EQ(Backgrounds(0, 4, 0), "bbbb");
    EXPECT_EQ(Row(0), "Next");
}

TEST_F(ScreenTest, SystemIconsShowTheirSymbol) {
    Clear();
    HICON exclamation = LoadIconA(nullptr, IDI_EXCLAMATION);
    ASSERT_NE(exclamation, nullptr);
    ASSERT_TRUE(DrawIcon(m_hdc, 16, 32, exclamation));
    EXPECT_EQ(Row(2), "   !");
    EXPECT_EQ(Backgrounds(2, 4, 2), "YYYY");
    EXPECT_EQ(Backgrounds(2, 4, 3), "YYYY");
    EXPECT_EQ(Backgrounds(1, 1, 2), "k");
    DrawIcon(m_hdc, 16, 64, LoadIconA(nullptr, IDI_QUESTION));
    EXPECT_EQ(Row(4), "   ?");
    DrawIcon(m_hdc, 16, 96, LoadIconA(nullptr, IDI_ASTERISK));
    EXPECT_EQ(Row(6), "   i");
    DrawIcon(m_hdc, 16, 128, LoadIconA(nullptr, IDI_HAND));
    EXPECT_EQ(Row(8), "   x");
    EXPECT_EQ(Backgrounds(2, 4, 8), "RRRR");
    EXPECT_FALSE(DrawIcon(m_hdc, 0, 0, nullptr));
}

TEST_F(ScreenTest, OtherIconsAreDrawnInHalfCells) {
    Clear();
    ASSERT_TRUE(DrawIcon(m_hdc, 0, 0, LoadIconA(nullptr, IDI_APPLICATION)));
    // The picture takes two rows of half-cell blocks and nothing below them.
    std::string rows = Row(0) + Row(1);
    EXPECT_TRUE(rows.find("▀") != std::string::npos || rows.find("▄") != std::string::npos);
    EXPECT_NE(Row(1), "");
    EXPECT_EQ(Row(2), "");
    EXPECT_EQ(Backgrounds(4, 4, 0), "kkkk");
}

TEST_F(ScreenTest, SelectObjectReturnsWhatWasSelected) {
    HFONT font =
        CreateFontA(-12, 0, 0, 0, FW_NORMAL, 0, 0, 0, SHIFTJIS_CHARSET, 0, 0, 0, 0, "MS PGothic");
    ASSERT_NE(font, nullptr);
    HGDIOBJ previous = SelectObject(m_hdc, font);
    EXPECT_EQ(previous, GetStockObject(SYSTEM_FONT));
    EXPECT_EQ(SelectObject(m_hdc, previous), font);
    LOGFONTA logFont{};
    EXPECT_EQ(GetObjectA(font, sizeof logFont, &logFont), static_cast<int>(sizeof logFont));
    EXPECT_EQ(logFont.lfHeight, -12);
    EXPECT_STREQ(logFont.lfFaceName, "MS PGothic");
    EXPECT_EQ(GetObjectType(font), static_cast<DWORD>(OBJ_FONT));
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(GetObjectType(font), 0u);
    EXPECT_EQ(SelectObject(m_hdc, font), nullptr);
    // Stock objects outlive DeleteObject.
    EXPECT_TRUE(DeleteObject(GetStockObject(NULL_BRUSH)));
    EXPECT_EQ(GetObjectType(GetStockObject(NULL_BRUSH)), static_cast<DWORD>(OBJ_BRUSH));
    EXPECT_EQ(GetStockObject(1000), nullptr);
}

TEST_F(ScreenTest, SystemColours) {
    EXPECT_EQ(GetSysColor(COLOR_WINDOW), RGB(255, 255, 255));
    EXPECT_EQ(GetSysColor(COLOR_WINDOWTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_BTNFACE), RGB(192, 192, 192));
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), RGB(0, 0, 0));
    EXPECT_EQ(GetSysColor(COLOR_HIGHLIGHTTEXT), RGB(255, 255, 255));
    EXPECT_NE(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW));
    LOGBRUSH logBrush{};
    ASSERT_EQ(GetObjectA(GetSysColorBrush(COLOR_BTNFACE), sizeof logBrush, &logBrush),
              static_cast<int>(sizeof logBrush));
    EXPECT_EQ(logBrush.lbColor, RGB(192, 192, 192));
    EXPECT_EQ(GetSysColorBrush(-1), nullptr);
}

TEST_F(ScreenTest, RectangleHelpers) {
    RECT a, b{5, 5, 15, 15}, c;
    SetRect(&a, 0, 0, 10, 10);
    EXPECT_TRUE(IntersectRect(&c, &a, &b));
    RECT overlap{5, 5, 10, 10};
    EXPECT_TRUE(EqualRect(&c, &overlap));
    RECT far{20, 20, 30, 30};
    EXPECT_FALSE(IntersectRect(&c, &a, &far));
    EXPECT_TRUE(IsRectEmpty(&c));
    EXPECT_TRUE(PtInRect(&a, POINT{0, 0}));
    EXPECT_FALSE(PtInRect(&a, POINT{10, 5}));
    EXPECT_FALSE(PtInRect(&a, POINT{5, 10}));
    OffsetRect(&a, 3, 4);
    InflateRect(&a, 1, 2);
    EXPECT_EQ(a.left, 2);
    EXPECT_EQ(a.top, 2);
    EXPECT_EQ(a.right, 14);
    EXPECT_EQ(a.bottom, 16);
    RECT empty{};
    EXPECT_TRUE(UnionRect(&c, &empty, &b));
    EXPECT_TRUE(EqualRect(&c, &b));
    EXPECT_TRUE(UnionRect(&c, &b, &far));
    EXPECT_EQ(c.left, 5);
    EXPECT_EQ(c.bottom, 30);
}
