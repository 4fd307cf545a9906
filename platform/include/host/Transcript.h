// The transcript of a run: what the program showed and what was answered, one line per
// event, in UTF-8, in the order things happened. The line format is described in
// docs/automation.md; tests read it, so it stays stable.
#pragma once

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>

namespace host {

// Starts writing the transcript to an open stream (not closed by the transcript) or to a
// file (created or truncated). FALSE with a message in error when the file cannot be made.
void StartTranscript(std::FILE* stream);
bool StartTranscript(const std::string& path, std::string& error);
// Flushes and closes the transcript; later notes are dropped. FALSE when some of it could not
// be written (a full disk, /dev/full, a closed pipe).
bool StopTranscript();
bool TranscriptStarted();
// Called before each line is written, so that a line kept on the same terminal (the progress
// line) can make room; empty: nothing.
void SetBeforeTranscriptLine(std::function<void()> hook);

// Called by MessageBoxA when the box was answered: its text, caption, type and the button
// pressed (0 when the box could not be shown).
void NoteMessageBox(LPCSTR text, LPCSTR caption, UINT type, int result);
// Called by MessageBeep.
void NoteBeep(UINT type);
// Called by the front end before it waits for input: records the active window and its
// current page with the texts they show, when these changed since the last record.
void NoteSettled();
// Lines the automation and the host program add: what was done ("action"), why a run
// stopped ("stuck", "loop"), how it ended ("end"). text is ANSI unless utf8 is set.
void NoteLine(const std::string& kind, const std::string& text, bool utf8 = false);

// The texts a window shows, as the transcript records them: for a dialog, its caption, then
// the visible controls of it and of its visible child dialogs in order (ANSI text; see
// docs/automation.md for how statics, edits and buttons are written).
std::string DescribeWindow(HWND hWnd);

} // namespace host
