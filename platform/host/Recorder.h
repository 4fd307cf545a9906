// --record FILE: writes what a person does in a terminal run as an answers file (the format
// of docs/automation.md) that replays the same choices unattended with --answers FILE.
#pragma once

#include <windows.h>

#include <string>

namespace host {

// Creates (or truncates) the answers file; FALSE with a message when it cannot be made.
bool StartRecording(const std::string& path, std::string& error);
// Closes the file; FALSE when some of it could not be written.
bool StopRecording();
bool Recording();

// The window system's report of a command after a person's key or click (FrontendHooks): TRUE
// when it is the command that input gave.
bool RecordInputCommand(HWND target, WPARAM wParam, LPARAM lParam, bool done);
// A message box the person answered.
void RecordMessageBox(LPCSTR text, int result);
// A host directory put into the drive the active page asks a disk for (F3, or a --disk).
void RecordDiskInsert(const std::string& hostDir);

} // namespace host
