// The front ends that show the screen of the emulated machine and feed it input: a terminal
// user interface, or none at all for unattended runs.
#pragma once

#include <functional>
#include <map>
#include <string>

namespace host {

enum class FrontendKind { Tui, Headless };

// Starts the front end. The terminal front end refuses (FALSE, with a message in error) when
// standard input or output is not a terminal, or the terminal cannot place its cursor, so that
// it never garbles a pipe, a file or a terminal; it sizes the screen to the terminal, at least
// 80 x 25 cells. The headless front end makes the screen 80 x 25 cells. Either clears the
// screen: start the front end before the first window is made.
bool StartFrontend(FrontendKind kind, std::string& error);
// Restores the terminal. Also done at exit and on SIGINT and SIGTERM.
void StopFrontend();
bool FrontendStarted();

// Called by the message queue when it is empty (no input, no pending paint): presents the
// screen, then returns once input was posted or the automation acted. FALSE when no input can
// come: no front end, the automation has no answer, or the terminal went away.
bool WaitForInput();

// Called by PeekMessageA when the queue is empty, also when the program goes on working
// without waiting (the installation's idle passes): shows what changed on the screen, at most
// a few times a second, and turns keys already typed into input, without waiting, so that the
// progress moves and Cancel is seen while files are copied. The automation's runs read no keys.
void PollInput();

// The automation acts like a user when the program waits for input; it returns FALSE when it
// has no answer. When set, WaitForInput calls it instead of reading the terminal (the terminal
// still shows the screen first). An empty function removes it.
void SetAutomation(std::function<bool()> act);
// What PollInput lets the automation do while the program works on without waiting: act on an
// answer written for the window shown now (Cancel on a progress page), and nothing else.
void SetAutomationPoll(std::function<void()> poll);

// The disks of a multi-disk set (--disk N=DIR) for the terminal: when a page asks for disk N,
// DIR goes into the drive and the status line says so.
void SetTerminalDisks(const std::map<int, std::string>& disks);

// The whole screen as UTF-8 text: one line per row, each ending in "\n", trailing blanks of
// each row trimmed.
std::string DumpScreen();
// The screen with colours, for tests and bug reports: four lines per row: its text, then
// one letter per cell for the foreground colours, one for the background colours (the
// nearest of the sixteen standard colours: k black, r maroon, g green, y olive, b navy,
// m purple, c teal, w silver, K grey, R red, G lime, Y yellow, B blue, M fuchsia, C aqua,
// W white), and "_" for each underlined cell, "." for the others.
std::string DumpScreenWithColors();

} // namespace host
