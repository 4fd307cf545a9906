// The parts of the front ends behind host/Frontend.h.
#pragma once

#include <string>

namespace host {
// Connects the window system to the front end, the automation and the transcript
// (Frontend.cpp); the machine does it when it starts.
void InstallFrontendHooks();
} // namespace host

namespace host::frontend {

// The terminal front end (Tui.cpp).
bool StartTui(std::string& error);
void StopTui();
// Shows what changed on the screen since it was last shown.
void PresentTui();
// Reads the terminal until a key or a click became input; FALSE when the terminal went away.
bool ReadTuiInput();
// Presents what changed (not more often than the terminal can follow) and, if readKeys, posts
// the keys already typed, without waiting.
void PollTui(bool readKeys);

} // namespace host::frontend
