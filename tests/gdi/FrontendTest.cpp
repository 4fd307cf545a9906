// The front ends: the headless one with its automation and dumps, the terminal one's refusal
// without a terminal, and what terminal keys and colours become.
#include "ScreenFixture.h"

#include "platform/host/TuiColors.h"
#include "platform/host/TuiKeys.h"

#include <fcntl.h>
#include <unistd.h>

using host::frontend::KeyInput;
using host::frontend::TranslateKey;

TEST_F(ScreenTest, HeadlessWaitHandsOverToTheAutomation) {
    int calls = 0;
    host::SetAutomation([&calls] { return ++calls < 3; });
    EXPECT_TRUE(host::WaitForInput());
    EXPECT_TRUE(host::WaitForInput());
    EXPECT_FALSE(host::WaitForInput());
    EXPECT_EQ(calls, 3);
    host::SetAutomation(nullptr);
    EXPECT_FALSE(host::WaitForInput());
    EXPECT_EQ(calls, 3);
}

TEST_F(ScreenTest, AutomationMayReplaceItselfWhileActing) {
    int second = 0;
    host::SetAutomation([&second] {
        host::SetAutomation([&second] { return ++second > 0; });
        return true;
    });
    EXPECT_TRUE(host::WaitForInput());
    EXPECT_TRUE(host::WaitForInput());
    EXPECT_EQ(second, 1);
    host::SetAutomation(nullptr);
}

TEST_F(ScreenTest, DumpHasOneLinePerRowTrimmed) {
    Clear();
    TextOutA(m_hdc, 8, 16, "Setup   ", 8);
    std::string dump = host::DumpScreen();
    std::vector<std::string> lines = Lines(dump);
    ASSERT_EQ(lines.size(), 25u);
    EXPECT_EQ(lines[0], "");
    EXPECT_EQ(lines[1], " Setup");
    EXPECT_EQ(dump.back(), '\n');
    std::vector<std::string> colored = Lines(host::DumpScreenWithColors());
    ASSERT_EQ(colored.size(), 100u);
    EXPECT_EQ(colored[5].size(), 80u);
    EXPECT_EQ(colored[5].substr(0, 3), "kkk");
    EXPECT_EQ(colored[6].substr(0, 3), "kWW");
    EXPECT_EQ(colored[7], std::string(80, '.'));
}

TEST_F(ScreenTest, HeadlessScreenIsEightyByTwentyFive) {
    RECT rect{0, 0, 0, 0};
    EXPECT_EQ(GetDeviceCaps(m_hdc, HORZRES), 640);
    EXPECT_EQ(GetDeviceCaps(m_hdc, VERTRES), 400);
    EXPECT_EQ(GetClipBox(m_hdc, &rect), SIMPLEREGION);
    EXPECT_EQ(rect.right, 640);
    EXPECT_EQ(rect.bottom, 400);
}

TEST_F(ScreenTest, TerminalFrontEndRefusesWithoutATerminal) {
    // Whatever runs the tests, standard output is a file here.
    int saved = dup(STDOUT_FILENO);
    ASSERT_GE(saved, 0);
    int null = open("/dev/null", O_WRONLY);
    ASSERT_GE(null, 0);
    dup2(null, STDOUT_FILENO);
    close(null);
    std::string error;
    bool started = host::StartFrontend(host::FrontendKind::Tui, error);
    dup2(saved, STDOUT_FILENO);
    close(saved);
    EXPECT_FALSE(started);
    EXPECT_NE(error.find("terminal"), std::string::npos) << error;
    EXPECT_FALSE(host::FrontendStarted());
}

TEST(TerminalKeys, KeysOfTheDialogManager) {
    KeyInput tab = TranslateKey(false, '\t', false);
    EXPECT_EQ(tab.kind, KeyInput::Kind::Key);
    EXPECT_EQ(tab.virtualKey, static_cast<UINT>(VK_TAB));
    EXPECT_FALSE(tab.shift);
    KeyInput back = TranslateKey(true, KEY_BTAB, false);
    EXPECT_EQ(back.virtualKey, static_cast<UINT>(VK_TAB));
    EXPECT_TRUE(back.shift);
    EXPECT_EQ(TranslateKey(false, '\r', false).virtualKey, static_cast<UINT>(VK_RETURN));
    EXPECT_EQ(TranslateKey(true, KEY_ENTER, false).virtualKey, static_cast<UINT>(VK_RETURN));
    EXPECT_EQ(TranslateKey(false, 27, false).virtualKey, static_cast<UINT>(VK_ESCAPE));
    EXPECT_EQ(TranslateKey(false, ' ', false).virtualKey, static_cast<UINT>(VK_SPACE));
    EXPECT_EQ(TranslateKey(true, KEY_UP, false).virtualKey, static_cast<UINT>(VK_UP));
    EXPECT_EQ(TranslateKey(true, KEY_HOME, false).virtualKey, static_cast<UINT>(VK_HOME));
    EXPECT_EQ(TranslateKey(true, KEY_END, false).virtualKey, static_cast<UINT>(VK_END));
    EXPECT_EQ(TranslateKey(true, KEY_DC, false).virtualKey, static_cast<UINT>(VK_DELETE));
    EXPECT_EQ(TranslateKey(true, KEY_BACKSPACE, false).virtualKey, static_cast<UINT>(VK_BACK));
    EXPECT_EQ(TranslateKey(false, 127, false).virtualKey, static_cast<UINT>(VK_BACK));
    EXPECT_EQ(TranslateKey(true, KEY_MOUSE, false).kind, KeyInput::Kind::None);
}

TEST(TerminalKeys, AltWithALetterIsAMnemonic) {
    KeyInput input = TranslateKey(false, 'n', true);
    EXPECT_EQ(input.kind, KeyInput::Kind::Key);
    EXPECT_EQ(input.virtualKey, static_cast<UINT>('N'));
    EXPECT_TRUE(input.alt);
    EXPECT_FALSE(input.shift);
    KeyInput plain = TranslateKey(false, 'n', false);
    EXPECT_EQ(plain.virtualKey, static_cast<UINT>('N'));
    EXPECT_FALSE(plain.alt);
    KeyInput upper = TranslateKey(false, 'N', false);
    EXPECT_TRUE(upper.shift);
    KeyInput control = TranslateKey(false, 3, false);
    EXPECT_EQ(control.virtualKey, static_cast<UINT>('C'));
    EXPECT_TRUE(control.control);
}

TEST_F(ScreenTest, TypedCharactersBecomeAnsiText) {
    KeyInput backslash = TranslateKey(false, '\\', false);
    EXPECT_EQ(backslash.kind, KeyInput::Kind::Character);
    EXPECT_EQ(backslash.text, "\\");
    KeyInput accented = TranslateKey(false, 0xE9, false);
    EXPECT_EQ(accented.text, "\xE9");
    // A character code page 1252 does not have cannot be typed.
    EXPECT_EQ(TranslateKey(false, 0x30D5, false).kind, KeyInput::Kind::None);
    EXPECT_EQ(TranslateKey(false, 0x110000, false).kind, KeyInput::Kind::None);
    EXPECT_EQ(TranslateKey(false, 0x85, false).kind, KeyInput::Kind::None);
}

TEST_F(JapaneseScreenTest, TypedJapaneseBecomesShiftJis) {
    EXPECT_EQ(TranslateKey(false, 0x30D5, false).text, "\x83\x74");
    EXPECT_EQ(TranslateKey(false, 0xFF8C, false).text, "\xCC");
    EXPECT_EQ(TranslateKey(false, 0x00E9, false).kind, KeyInput::Kind::None);
}

TEST(TerminalColours, NearestColours) {
    using host::frontend::NearestTerminalColor;
    EXPECT_EQ(NearestTerminalColor(RGB(0, 0, 128), 16), COLOR_BLUE);
    EXPECT_EQ(NearestTerminalColor(RGB(0, 0, 255), 16), COLOR_BLUE + 8);
    EXPECT_EQ(NearestTerminalColor(RGB(192, 192, 192), 16), COLOR_WHITE);
    EXPECT_EQ(NearestTerminalColor(RGB(255, 255, 255), 16), COLOR_WHITE + 8);
    EXPECT_EQ(NearestTerminalColor(RGB(255, 255, 255), 8), COLOR_WHITE);
    EXPECT_EQ(NearestTerminalColor(RGB(0, 128, 128), 8), COLOR_CYAN);
    EXPECT_EQ(NearestTerminalColor(RGB(0, 128, 128), 256), 30);
    EXPECT_EQ(NearestTerminalColor(RGB(192, 192, 192), 256), 250);
    EXPECT_EQ(NearestTerminalColor(RGB(0, 0, 255), 256), 21);
    EXPECT_EQ(NearestTerminalColor(RGB(0, 0, 0), 256), 16);
}
