// The window manager's character helpers on a Japanese machine: a lead byte and its trail
// byte are one character, and case changes touch ASCII letters only.
#include "WindowsFixture.h"

namespace {

class TextHelpersTest : public WindowsTest {
  protected:
    TextHelpersTest() : WindowsTest("JPN") {}
};

TEST_F(TextHelpersTest, CharNextAndCharPrevStepOverDoubleByteCharacters) {
    // "a", a kanji whose trail byte is 0x5C (a backslash in ASCII), "b".
    const char text[] = "a\x95\x5C"
                        "b";
    EXPECT_EQ(CharNextA(text), text + 1);
    EXPECT_EQ(CharNextA(text + 1), text + 3);
    EXPECT_EQ(CharNextA(text + 4), text + 4);
    EXPECT_EQ(CharPrevA(text, text + 3), text + 1);
    EXPECT_EQ(CharPrevA(text, text + 1), text);
    EXPECT_EQ(CharPrevA(text, text), text);
}

TEST_F(TextHelpersTest, CharUpperTakesDoubleByteCharactersWhole) {
    // The trail byte 0x61 ("a") of this katakana must not become "A".
    char text[] = "ab\x83\x61"
                  "c";
    CharUpperA(text);
    EXPECT_STREQ(text, "AB\x83\x61"
                       "C");
    CharLowerA(text);
    EXPECT_STREQ(text, "ab\x83\x61"
                       "c");
    // The full-width letters have their case: Ｂ and ｂ, Greek Σ and σ, Cyrillic Я and я.
    char wide[] = "\x82\x61\x83\xB0\x84\x60";
    CharLowerA(wide);
    EXPECT_STREQ(wide, "\x82\x82\x83\xD0\x84\x91");
    CharUpperA(wide);
    EXPECT_STREQ(wide, "\x82\x61\x83\xB0\x84\x60");
    EXPECT_EQ(reinterpret_cast<uintptr_t>(CharUpperA(reinterpret_cast<LPSTR>(uintptr_t{'q'}))),
              uintptr_t{'Q'});
}

TEST_F(TextHelpersTest, WindowTextNeverEndsInHalfACharacter) {
    HWND window = CreateWindowExA(0, "Static", "\x82\xA0\x82\xA2", WS_POPUP, 0, 0, 80, 16, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    char small[4] = "";
    EXPECT_EQ(GetWindowTextA(window, small, sizeof small), 2);
    EXPECT_STREQ(small, "\x82\xA0");
    DestroyWindow(window);
}

class WesternTextHelpersTest : public WindowsTest {};

TEST_F(WesternTextHelpersTest, CharUpperKnowsTheAccentedLettersOfCodePage1252) {
    char text[] = "caf\xE9 \xFF \xD7\xF7";
    CharUpperA(text);
    EXPECT_STREQ(text, "CAF\xC9 \x9F \xD7\xF7"); // the signs × and ÷ are no letters
    CharLowerA(text);
    EXPECT_STREQ(text, "caf\xE9 \xFF \xD7\xF7");
}

} // namespace
