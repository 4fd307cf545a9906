#define NCURSES_WIDECHAR 1
#include "TuiKeys.h"

#include "gdi/GdiInternal.h"
#include "kernel/MachineState.h"

#include <user/Input.h>
#include <host/Machine.h>

#include <curses.h>

#include <chrono>

namespace host::frontend {
namespace {

KeyInput Key(UINT virtualKey, bool shift = false, bool control = false, bool alt = false) {
    KeyInput input;
    input.kind = KeyInput::Kind::Key;
    input.virtualKey = virtualKey;
    input.shift = shift;
    input.control = control;
    input.alt = alt;
    return input;
}

std::string Utf8Of(unsigned c) {
    std::string out;
    host::detail::AppendUtf8(c, out);
    return out;
}

KeyInput FunctionKey(unsigned key) {
    switch (key) {
    case KEY_BTAB:
        return Key(VK_TAB, true);
    case KEY_UP:
        return Key(VK_UP);
    case KEY_DOWN:
        return Key(VK_DOWN);
    case KEY_LEFT:
        return Key(VK_LEFT);
    case KEY_RIGHT:
        return Key(VK_RIGHT);
    case KEY_SLEFT:
        return Key(VK_LEFT, true);
    case KEY_SRIGHT:
        return Key(VK_RIGHT, true);
    case KEY_HOME:
        return Key(VK_HOME);
    case KEY_END:
        return Key(VK_END);
    case KEY_SHOME:
        return Key(VK_HOME, true);
    case KEY_SEND:
        return Key(VK_END, true);
    case KEY_PPAGE:
        return Key(VK_PRIOR);
    case KEY_NPAGE:
        return Key(VK_NEXT);
    case KEY_IC:
        return Key(VK_INSERT);
    case KEY_DC:
        return Key(VK_DELETE);
    case KEY_BACKSPACE:
        return Key(VK_BACK);
    case KEY_ENTER:
        return Key(VK_RETURN);
    default:
        break;
    }
    if (key >= static_cast<unsigned>(KEY_F(1)) && key <= static_cast<unsigned>(KEY_F(12)))
        return Key(VK_F1 + (key - KEY_F(1)));
    return KeyInput{};
}

} // namespace

KeyInput TranslateKey(bool functionKey, unsigned key, bool alt) {
    if (functionKey) {
        KeyInput input = FunctionKey(key);
        input.alt = input.alt || alt;
        return input;
    }
    switch (key) {
    case '\t':
        return Key(VK_TAB, false, false, alt);
    case '\r':
    case '\n':
        return Key(VK_RETURN, false, false, alt);
    case 27:
        return Key(VK_ESCAPE);
    case 8:
    case 127:
        return Key(VK_BACK, false, false, alt);
    default:
        break;
    }
    // Ctrl+Q closes the window, as the system menu says: Alt+F4 seldom gets through a
    // terminal emulator, which keeps it for its own windows.
    if (key == 'Q' - '@')
        return Key(VK_F4, false, false, true);
    if (key >= 1 && key <= 26)
        return Key('A' + key - 1, false, true, alt);
    if (key < 0x20 || key == 0x7F || (key >= 0x80 && key < 0xA0) || key > 0x10FFFF ||
        (key >= 0xD800 && key <= 0xDFFF))
        return KeyInput{};
    if (alt) {
        // Alt with a letter or digit is a mnemonic: the key of that letter.
        if (key >= 'a' && key <= 'z')
            return Key('A' + (key - 'a'), false, false, true);
        if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
            return Key(key, key >= 'A' && key <= 'Z', false, true);
        // Alt+Space opens the window's system menu.
        if (key == ' ')
            return Key(VK_SPACE, false, false, true);
        return KeyInput{};
    }
    // Keys of their own: what TranslateMessage makes of them is the character typed.
    if (key == ' ')
        return Key(VK_SPACE);
    if (key >= 'a' && key <= 'z')
        return Key('A' + (key - 'a'));
    if (key >= 'A' && key <= 'Z')
        return Key(key, true);
    if (key >= '0' && key <= '9')
        return Key(key);
    KeyInput input;
    input.text = Utf8ToAnsi(Utf8Of(key));
    // A character the code page lacks would arrive as a question mark the user never typed.
    if (input.text.empty() || (input.text == "?" && key != '?'))
        return KeyInput{};
    input.kind = KeyInput::Kind::Character;
    return input;
}

bool PostKeyInput(const KeyInput& input) {
    switch (input.kind) {
    case KeyInput::Kind::Key:
        PostKeyDown(input.virtualKey, input.shift, input.alt, input.control);
        return true;
    case KeyInput::Kind::Character:
        PostText(input.text);
        return true;
    case KeyInput::Kind::None:
        break;
    }
    return false;
}

void PostCellClick(int column, int row) {
    // The terminal reports presses one by one: a second press on the same cell within the
    // double-click time makes a double click, as Windows pairs them (the window system turns it
    // back into a press for classes without CS_DBLCLKS). A third press starts afresh.
    static std::chrono::steady_clock::time_point s_lastPress;
    static int s_nLastColumn = -1;
    static int s_nLastRow = -1;
    auto now = std::chrono::steady_clock::now();
    bool paired = column == s_nLastColumn && row == s_nLastRow &&
                  now - s_lastPress <= std::chrono::milliseconds(GetDoubleClickTime());
    int x = column * gdi::kCellWidth + gdi::kCellWidth / 2;
    int y = row * gdi::kCellHeight + gdi::kCellHeight / 2;
    if (paired) {
        PostMouseDoubleClick(x, y);
        s_nLastColumn = s_nLastRow = -1;
        return;
    }
    PostMouseClick(x, y);
    s_lastPress = now;
    s_nLastColumn = column;
    s_nLastRow = row;
}

} // namespace host::frontend
