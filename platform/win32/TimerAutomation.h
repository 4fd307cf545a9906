// The automation of the Windows build: a timer on the user-interface thread looks at the
// program's windows several times a second, also inside the system's modal loops (message
// boxes, dialogs), and lets the shared automation act once the program waits for input.
#pragma once

namespace host {

// Starts the timer; StartAutomation must have been called. The thread that calls this is the
// one whose windows are answered.
// pauseMilliseconds: how long each window stays before it is answered, so that a person or
// a camera can follow the run (0: as soon as the program waits).
void StartTimerAutomation(unsigned pauseMilliseconds = 0);
void StopTimerAutomation();

} // namespace host
