// Text measurement and ExtTextOutA/TextOutA on the screen of cells.
#include "ScreenFixture.h"

#include <cstring>

namespace {

const char kFileWide[] = "\x83\x74\x83\x40\x83\x43\x83\x8B"; // "ファイル", four double-byte
const char kFileNarrow[] = "\xCC\xA7\xB2\xD9";               // "ﾌｧｲﾙ", four half-width

int Length(const char* text) {
    return static_cast<int>(std::strlen(text));
}

} // namespace

TEST_F(ScreenTest, TextExtentIsOneCellPerByte) {
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPointA(m_hdc, "100%", 4, &size));
    EXPECT_EQ(size.cx, 32);
    EXPECT_EQ(size.cy, 16);
    ASSERT_TRUE(GetTextExtentPoint32A(m_hdc, "Setup", 5, &size));
    EXPECT_EQ(size.cx, 40);
    ASSERT_TRUE(GetTextExtentPointA(m_hdc, "", 0, &size));
    EXPECT_EQ(size.cx, 0);
    EXPECT_EQ(size.cy, 16);
    EXPECT_FALSE(GetTextExtentPointA(m_hdc, "abc", -1, &size));
    EXPECT_FALSE(GetTextExtentPointA(nullptr, "abc", 3, &size));
}

TEST_F(ScreenTest, TextMetricsDescribeTheCell) {
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(m_hdc, &metrics));
    EXPECT_EQ(metrics.tmHeight, 16);
    EXPECT_EQ(metrics.tmAscent + metrics.tmDescent, 16);
    EXPECT_EQ(metrics.tmAveCharWidth, 8);
    EXPECT_EQ(metrics.tmCharSet, ANSI_CHARSET);
}

TEST_F(ScreenTest, TextOutPutsCharactersInTheTextAndBackgroundColours) {
    Clear();
    SetTextColor(m_hdc, RGB(255, 255, 255));
    SetBkColor(m_hdc, RGB(0, 0, 255));
    ASSERT_TRUE(TextOutA(m_hdc, 16, 32, "Hi", 2));
    EXPECT_EQ(Row(2), "  Hi");
    EXPECT_EQ(Foregrounds(2, 2, 2), "WW");
    EXPECT_EQ(Backgrounds(1, 4, 2), "kBBk");
    EXPECT_EQ(Row(1), "");
}

TEST_F(ScreenTest, TextBetweenCellsStartsInTheNextCell) {
    Clear();
    TextOutA(m_hdc, 9, 17, "A", 1);
    EXPECT_EQ(Row(2), "  A");
    TextOutA(m_hdc, 24, 48, "B", 1);
    EXPECT_EQ(Row(3), "   B");
}

TEST_F(ScreenTest, TransparentTextKeepsTheBackground) {
    Clear(RGB(0, 128, 0));
    SetBkMode(m_hdc, TRANSPARENT);
    SetTextColor(m_hdc, RGB(255, 255, 0));
    TextOutA(m_hdc, 0, 0, "ok", 2);
    EXPECT_EQ(Row(0), "ok");
    EXPECT_EQ(Backgrounds(0, 3, 0), "ggg");
    EXPECT_EQ(Foregrounds(0, 2, 0), "YY");
}

TEST_F(ScreenTest, OpaqueRectangleIsFilledAroundTheText) {
    Clear();
    SetBkColor(m_hdc, RGB(255, 255, 255));
    RECT rect{8, 16, 48, 32};
    ASSERT_TRUE(ExtTextOutA(m_hdc, 8, 16, ETO_OPAQUE, &rect, "ab", 2, nullptr));
    EXPECT_EQ(Row(1), " ab");
    EXPECT_EQ(Backgrounds(0, 7, 1), "kWWWWWk");
    EXPECT_EQ(Backgrounds(0, 7, 0), "kkkkkkk");
    EXPECT_EQ(Backgrounds(0, 7, 2), "kkkkkkk");
}

TEST_F(ScreenTest, ClippedTextStopsAtTheRectangle) {
    Clear();
    RECT rect{8, 16, 24, 32};
    ExtTextOutA(m_hdc, 8, 16, ETO_CLIPPED, &rect, "abcd", 4, nullptr);
    EXPECT_EQ(Row(1), " ab");
    // Without ETO_CLIPPED the rectangle only says what to fill.
    ExtTextOutA(m_hdc, 8, 32, 0, &rect, "abcd", 4, nullptr);
    EXPECT_EQ(Row(2), " abcd");
}

TEST_F(ScreenTest, EmptyClipRectangleDrawsNothing) {
    Clear();
    RECT rect{40, 16, 40, 32};
    ExtTextOutA(m_hdc, 8, 16, ETO_CLIPPED | ETO_OPAQUE, &rect, "abcd", 4, nullptr);
    EXPECT_EQ(Row(1), "");
    EXPECT_EQ(Backgrounds(0, 8, 1), "kkkkkkkk");
}

TEST_F(ScreenTest, CentredAndRightAlignedText) {
    Clear();
    SetTextAlign(m_hdc, TA_CENTER | TA_TOP);
    ExtTextOutA(m_hdc, 40, 0, 0, nullptr, "abcd", 4, nullptr);
    EXPECT_EQ(Row(0), "   abcd");
    EXPECT_EQ(SetTextAlign(m_hdc, TA_RIGHT | TA_TOP), static_cast<UINT>(TA_CENTER | TA_TOP));
    ExtTextOutA(m_hdc, 40, 16, 0, nullptr, "ab", 2, nullptr);
    EXPECT_EQ(Row(1), "   ab");
    SetTextAlign(m_hdc, TA_LEFT | TA_BOTTOM);
    ExtTextOutA(m_hdc, 0, 48, 0, nullptr, "xy", 2, nullptr);
    EXPECT_EQ(Row(2), "xy");
}

TEST_F(ScreenTest, ClipOfTheDeviceContextLimitsEverything) {
    Clear();
    IntersectClipRect(m_hdc, 0, 0, 24, 400);
    TextOutA(m_hdc, 0, 0, "abcdef", 6);
    EXPECT_EQ(Row(0), "abc");
    RECT box{};
    EXPECT_EQ(GetClipBox(m_hdc, &box), SIMPLEREGION);
    EXPECT_EQ(box.right, 24);
}

TEST_F(ScreenTest, ViewportOriginMovesTheDrawing) {
    Clear();
    POINT previous{1, 1};
    SetViewportOrgEx(m_hdc, 80, 32, &previous);
    EXPECT_EQ(previous.x, 0);
    TextOutA(m_hdc, 0, 0, "z", 1);
    EXPECT_EQ(Row(2), "          z");
}

TEST_F(ScreenTest, SaveAndRestoreTheAttributes) {
    SetTextColor(m_hdc, RGB(1, 2, 3));
    int saved = SaveDC(m_hdc);
    ASSERT_NE(saved, 0);
    SetTextColor(m_hdc, RGB(4, 5, 6));
    IntersectClipRect(m_hdc, 0, 0, 8, 16);
    ASSERT_TRUE(RestoreDC(m_hdc, saved));
    EXPECT_EQ(GetTextColor(m_hdc), RGB(1, 2, 3));
    Clear();
    TextOutA(m_hdc, 0, 0, "wide", 4);
    EXPECT_EQ(Row(0), "wide");
    EXPECT_FALSE(RestoreDC(m_hdc, saved));
}

TEST_F(ScreenTest, TextOffTheScreenIsHarmless) {
    Clear();
    EXPECT_TRUE(TextOutA(m_hdc, -16, 0, "abcd", 4));
    EXPECT_EQ(Row(0), "cd");
    EXPECT_TRUE(TextOutA(m_hdc, 2147483000, 2147483000, "abcd", 4));
    EXPECT_TRUE(TextOutA(m_hdc, 632, 384, "abcd", 4));
    EXPECT_EQ(Row(24), std::string(79, ' ') + "a");
    EXPECT_FALSE(TextOutA(m_hdc, 0, 0, "abcd", -2));
}

TEST_F(JapaneseScreenTest, DoubleByteCharactersTakeTwoCells) {
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPointA(m_hdc, kFileWide, Length(kFileWide), &size));
    EXPECT_EQ(size.cx, 64);
    ASSERT_TRUE(GetTextExtentPointA(m_hdc, kFileNarrow, Length(kFileNarrow), &size));
    EXPECT_EQ(size.cx, 32);

    Clear();
    TextOutA(m_hdc, 0, 0, kFileWide, Length(kFileWide));
    TextOutA(m_hdc, 64, 0, "!", 1);
    EXPECT_EQ(Row(0), "ファイル!");
    TextOutA(m_hdc, 0, 16, kFileNarrow, Length(kFileNarrow));
    TextOutA(m_hdc, 32, 16, "!", 1);
    EXPECT_EQ(Row(1), "ﾌｧｲﾙ!");
    TEXTMETRICA metrics{};
    ASSERT_TRUE(GetTextMetricsA(m_hdc, &metrics));
    EXPECT_EQ(metrics.tmCharSet, SHIFTJIS_CHARSET);
}

TEST_F(JapaneseScreenTest, DoubleByteCharacterCutByTheClipIsNotDrawn) {
    Clear();
    RECT rect{0, 0, 24, 16};
    ExtTextOutA(m_hdc, 0, 0, ETO_CLIPPED, &rect, kFileWide, Length(kFileWide), nullptr);
    EXPECT_EQ(Row(0), "フ");
    // The same at the left edge: the character half outside stays out.
    RECT right{8, 16, 64, 32};
    ExtTextOutA(m_hdc, 0, 16, ETO_CLIPPED, &right, kFileWide, Length(kFileWide), nullptr);
    EXPECT_EQ(Row(1), "  ァイル");
    IntersectClipRect(m_hdc, 0, 32, 40, 48);
    TextOutA(m_hdc, 0, 32, kFileWide, Length(kFileWide));
    EXPECT_EQ(Row(2), "ファ");
}

TEST_F(JapaneseScreenTest, OverwritingHalfACharacterClearsTheOtherHalf) {
    Clear();
    TextOutA(m_hdc, 0, 0, kFileWide, Length(kFileWide));
    TextOutA(m_hdc, 8, 0, "x", 1);
    EXPECT_EQ(Row(0), " xァイル");
    TextOutA(m_hdc, 32, 0, "y", 1);
    EXPECT_EQ(Row(0), " xァy ル");
    // A double-byte character written over the halves of two others.
    TextOutA(m_hdc, 0, 16, kFileWide, Length(kFileWide));
    TextOutA(m_hdc, 8, 16, kFileWide, 2);
    EXPECT_EQ(Row(1), " フ イル");
}

TEST_F(JapaneseScreenTest, LeadByteWithoutTrailByteIsABlank) {
    Clear();
    TextOutA(m_hdc, 0, 0, "ab\x83", 3);
    TextOutA(m_hdc, 24, 0, "c", 1);
    EXPECT_EQ(Row(0), "ab c");
}
