// Input for the emulated machine's windows, as the front ends (and tests) deliver it. Events
// wait in the input queue and become window messages when the program's message loop reaches
// them: keys go to the window that has the keyboard focus at that moment (to the active
// window when no window has the focus), a click goes to the window under the point.
#pragma once

#include <string>

namespace host {

// A key press and its release: WM_KEYDOWN / WM_KEYUP, or WM_SYSKEYDOWN / WM_SYSKEYUP with
// Alt. TranslateMessage turns keys that make a character (letters, digits, Space, Enter,
// Tab, Esc, Backspace) into WM_CHAR, or WM_SYSCHAR with Alt (Alt+Y gives 'y', Alt+Space
// opens the system menu). vk is a VK_ code; letters are 'A' to 'Z'.
void PostKeyDown(unsigned vk, bool shift = false, bool alt = false, bool ctrl = false);
// One byte of typed text as WM_CHAR, in the ANSI code page. A double-byte character is
// posted as its lead byte and then its trail byte.
void PostChar(unsigned char byte);
// Every byte of an ANSI string, with PostChar.
void PostText(const std::string& ansiText);
// A click of the left button at a point of the screen, in pixels (a cell is 8 x 16): the
// window there is activated and gets WM_LBUTTONDOWN and WM_LBUTTONUP. A click on the close
// box of a caption sends SC_CLOSE.
void PostMouseClick(int xPixel, int yPixel);
// The second press of a double click: WM_LBUTTONDBLCLK and WM_LBUTTONUP when it goes to the
// window the press before went to and that window's class takes double clicks (CS_DBLCLKS),
// else a plain click.
void PostMouseDoubleClick(int xPixel, int yPixel);
// TRUE while posted input has not become messages yet.
bool HasPendingInput();
// Drops input that has not become messages yet.
void DiscardInput();
// Forgets every queued message, the quit request and the input, so that a machine started
// later in the same process does not inherit the quit that ended the last one's loop.
void ResetMessageQueue();

} // namespace host
