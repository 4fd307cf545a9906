// SIGINT, SIGTERM and SIGHUP end a run cleanly rather than at an arbitrary instruction: the
// handler only notes the signal. A copy in progress fails at its next block (LZCopy), so that
// the program removes its temporary file and keeps the old one, and the run ends at the next
// point where it waits for input. There the program's console control handlers run (they
// remove its temporary files and directory), then the host's own ending (terminal given back,
// transcript closed, registry written whole, prefix released) and the process exits.
#pragma once

#include <functional>

namespace host {

// Installs the handlers. ending runs at the first safe point after a signal, with the signal's
// number; it must not return (it exits the process).
void CatchInterrupts(std::function<void(int signal)> ending);
// TRUE once CatchInterrupts was called: the front end then leaves these signals alone.
bool CatchingInterrupts();
// The signal that asked the run to end, or 0.
int PendingInterrupt();
// A safe point: ends the run when a signal came.
void EndIfInterrupted();
// Calls the handlers registered with SetConsoleCtrlHandler, newest first, as the system does
// before a process is ended from outside; the event is a CTRL_ value.
void RunConsoleControlHandlers(unsigned long event);

} // namespace host
