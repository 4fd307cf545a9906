// What a key read from the terminal means to the emulated machine: kept apart from the
// terminal so that it can be tested without one.
#pragma once

#include <windows.h>

#include <string>

namespace host::frontend {

struct KeyInput {
    enum class Kind { None, Key, Character };
    Kind kind = Kind::None;
    UINT virtualKey = 0; // Kind::Key
    bool shift = false;
    bool control = false;
    bool alt = false;
    std::string text; // Kind::Character: one character in the ANSI code page
};

// Translates what the curses library read: functionKey tells a KEY_ code from a character
// (a Unicode code point); alt is set when the key came right after an Escape. Keys that mean
// nothing to the machine give Kind::None.
KeyInput TranslateKey(bool functionKey, unsigned key, bool alt);

// Hands a translated key to the window system's input; FALSE for Kind::None.
bool PostKeyInput(const KeyInput& input);
// A press of the left button on a cell of the screen, at the cell's middle pixel: a double
// click when it is the second on that cell within the double-click time.
void PostCellClick(int column, int row);

} // namespace host::frontend
