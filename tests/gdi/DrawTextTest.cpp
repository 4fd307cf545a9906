// DrawTextA: prefixes, alignment, line breaks and word wrapping.
#include "ScreenFixture.h"

#include <cstring>

namespace {

int Draw(HDC hdc, const char* text, RECT rect, UINT format) {
    return DrawTextA(hdc, text, -1, &rect, format);
}

} // namespace

TEST_F(ScreenTest, PrefixUnderlinesTheMnemonicAndDoubledAmpersandIsLiteral) {
    Clear();
    Draw(m_hdc, "&Next >", RECT{0, 0, 160, 16}, DT_SINGLELINE);
    EXPECT_EQ(Row(0), "Next >");
    EXPECT_EQ(Underlines(0, 3, 0), "_..");
    Draw(m_hdc, "Save && E&xit", RECT{0, 16, 160, 32}, DT_SINGLELINE);
    EXPECT_EQ(Row(1), "Save & Exit");
    EXPECT_EQ(Underlines(0, 11, 1), "........_..");
    Draw(m_hdc, "Trailing&", RECT{0, 32, 160, 48}, DT_SINGLELINE);
    EXPECT_EQ(Row(2), "Trailing");
    Draw(m_hdc, "&Raw && text", RECT{0, 48, 160, 64}, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_EQ(Row(3), "&Raw && text");
    EXPECT_EQ(Underlines(0, 12, 3), "............");
}

TEST_F(ScreenTest, HorizontalAndVerticalAlignment) {
    Clear();
    Draw(m_hdc, "abcd", RECT{0, 0, 80, 16}, DT_SINGLELINE | DT_CENTER);
    EXPECT_EQ(Row(0), "   abcd");
    Draw(m_hdc, "abcd", RECT{0, 16, 80, 32}, DT_SINGLELINE | DT_RIGHT);
    EXPECT_EQ(Row(1), "      abcd");
    int height = Draw(m_hdc, "mid", RECT{0, 48, 80, 96}, DT_SINGLELINE | DT_VCENTER);
    EXPECT_EQ(Row(4), "mid");
    EXPECT_EQ(height, 32);
    Draw(m_hdc, "low", RECT{0, 96, 80, 160}, DT_SINGLELINE | DT_BOTTOM);
    EXPECT_EQ(Row(9), "low");
}

TEST_F(ScreenTest, WordBreakWrapsAtSpaces) {
    Clear();
    int height = Draw(m_hdc, "The quick brown fox jumps", RECT{0, 0, 80, 160}, DT_WORDBREAK);
    EXPECT_EQ(height, 48);
    EXPECT_EQ(Row(0), "The quick");
    EXPECT_EQ(Row(1), "brown fox");
    EXPECT_EQ(Row(2), "jumps");
    EXPECT_EQ(Row(3), "");
}

TEST_F(ScreenTest, CalcRectMeasuresWithoutDrawing) {
    Clear();
    RECT rect{8, 16, 88, 16};
    int height =
        DrawTextA(m_hdc, "The quick brown fox jumps", -1, &rect, DT_WORDBREAK | DT_CALCRECT);
    EXPECT_EQ(height, 48);
    EXPECT_EQ(rect.left, 8);
    EXPECT_EQ(rect.right, 8 + 72);
    EXPECT_EQ(rect.bottom, 16 + 48);
    EXPECT_EQ(Row(1), "");
    RECT single{0, 0, 0, 0};
    DrawTextA(m_hdc, "&Browse...", -1, &single, DT_SINGLELINE | DT_CALCRECT);
    EXPECT_EQ(single.right, 72);
    EXPECT_EQ(single.bottom, 16);
}

TEST_F(ScreenTest, LineBreaksStartNewLines) {
    Clear();
    Draw(m_hdc, "one\r\ntwo\nthree", RECT{0, 0, 160, 160}, DT_LEFT);
    EXPECT_EQ(Row(0), "one");
    EXPECT_EQ(Row(1), "two");
    EXPECT_EQ(Row(2), "three");
    EXPECT_EQ(Row(3), "");
    Draw(m_hdc, "a\nb", RECT{0, 64, 160, 80}, DT_SINGLELINE);
    EXPECT_EQ(Row(4), "a b");
}

TEST_F(ScreenTest, WordLongerThanTheLineIsClippedNotBroken) {
    Clear();
    Draw(m_hdc, "C:\\PROGRAMS\\SETUP ok", RECT{0, 0, 32, 160}, DT_WORDBREAK);
    EXPECT_EQ(Row(0), "C:\\P");
    EXPECT_EQ(Row(1), "ok");
}

TEST_F(ScreenTest, TextIsClippedToTheRectangleUnlessNoClip) {
    Clear();
    Draw(m_hdc, "abcdef", RECT{0, 0, 24, 16}, DT_SINGLELINE);
    EXPECT_EQ(Row(0), "abc");
    Draw(m_hdc, "abcdef", RECT{0, 16, 24, 32}, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_EQ(Row(1), "abcdef");
}

TEST_F(ScreenTest, ExpandTabsToEightCells) {
    Clear();
    Draw(m_hdc, "a\tb", RECT{0, 0, 160, 16}, DT_SINGLELINE | DT_EXPANDTABS);
    EXPECT_EQ(Row(0), "a       b");
}

TEST_F(ScreenTest, EndEllipsisShortensALongLine) {
    Clear();
    Draw(m_hdc, "abcdefghij", RECT{0, 0, 64, 16}, DT_SINGLELINE | DT_END_ELLIPSIS);
    EXPECT_EQ(Row(0), "abcde...");
}

TEST_F(JapaneseScreenTest, WordBreakBetweenDoubleByteCharacters) {
    Clear();
    // "ファイルコピーします" in a rectangle six cells wide: three characters a line, except
    // that the prolonged sound mark never begins a line and takes the character before along.
    const char text[] = "\x83\x74\x83\x40\x83\x43\x83\x8B\x83\x52\x83\x73\x81\x5B\x82\xB5"
                        "\x82\xDC\x82\xB7";
    int height = Draw(m_hdc, text, RECT{0, 0, 48, 160}, DT_WORDBREAK);
    EXPECT_EQ(Row(0), "ファイ");
    EXPECT_EQ(Row(1), "ルコ");
    EXPECT_EQ(Row(2), "ピーし");
    EXPECT_EQ(Row(3), "ます");
    EXPECT_EQ(height, 64);
}

TEST_F(JapaneseScreenTest, MixedHalfWidthTextWrapsAndKeepsEveryCharacter) {
    Clear();
    // "ﾌｧｲﾙ  SETUP.EXE  をｺﾋﾟｰしています。" twenty cells wide.
    const char text[] = "\xCC\xA7\xB2\xD9  SETUP.EXE  \x82\xF0\xBA\xCB\xDF\xB0\x82\xB5\x82\xC4"
                        "\x82\xA2\x82\xDC\x82\xB7\x81\x42";
    Draw(m_hdc, text, RECT{0, 0, 160, 160}, DT_WORDBREAK);
    EXPECT_EQ(Row(0), "ﾌｧｲﾙ  SETUP.EXE  をｺ");
    EXPECT_EQ(Row(1), "ﾋﾟｰしています。");
}

TEST_F(JapaneseScreenTest, DoubleByteCharacterIsNeverHalfDrawn) {
    Clear();
    Draw(m_hdc, "\x83\x74\x83\x40", RECT{0, 0, 24, 16}, DT_SINGLELINE);
    EXPECT_EQ(Row(0), "フ");
    // Centred and wider than the rectangle: both ends are cut through a character.
    Draw(m_hdc, "\x83\x74\x83\x40\x83\x43", RECT{0, 16, 32, 32}, DT_SINGLELINE | DT_CENTER);
    EXPECT_EQ(Row(1), " ァ");
}

TEST_F(JapaneseScreenTest, MnemonicOnADoubleByteLabel) {
    Clear();
    // "参照(&B)..."
    Draw(m_hdc, "\x8E\x51\x8F\xC6(&B)...", RECT{0, 0, 160, 16}, DT_SINGLELINE);
    EXPECT_EQ(Row(0), "参照(B)...");
    EXPECT_EQ(Underlines(0, 8, 0), "....._..");
}
