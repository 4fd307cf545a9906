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

// The status line, the terminal's last row (Tui.cpp): what the run needs now, in UTF-8, shown
// before the key hint; empty shows the hint alone.
void SetTuiStatus(const std::string& utf8);
void BeepTui();
// Asks for a line of text in the status line, outside the emulated screen; FALSE when the
// person pressed Esc.
bool AskInStatusLine(const std::string& question, std::string& answer);

// The next-disk page in the terminal (TuiDisk.cpp). The function key that puts a host
// directory into the drive; its name is in the key hint and in --help.
constexpr int kDiskKey = 3;
// Called at each wait: notices a page that asks for a disk, puts a --disk given for it into
// the drive, and says on the status line which file it waits for.
void WatchDiskPrompt();
// The disk key: asks for a host directory and puts it into the drive the page asks about.
void OnDiskKey();

} // namespace host::frontend
