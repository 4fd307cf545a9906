// The windows and the size of the screen, for the front ends: which screen every window fits
// on, and putting the windows back on the screen after it changed size.
#pragma once

#include <windows.h>

namespace host {

// The smallest screen, in cells, that shows every visible top-level window whole. Zero by
// zero when no window is shown.
SIZE SmallestScreenForWindows();
// After the screen changed size: every top-level window is put on it again, an unowned one
// centred, an owned one where it stood beside its owner, each kept inside the screen; then
// the whole screen is painted again.
void PlaceWindowsOnScreen();
// Paints the desktop, every frame and every window again, for a screen that was lost.
void RepaintScreen();

} // namespace host
