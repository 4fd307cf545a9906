// Restarting Windows or the computer at the end of the installation, as the setup script's
// RebootOrRestart asks.
#pragma once

#include "engine/InstallerWindow.h"

#include <windows.h>

// type 1 restarts Windows, 2 the computer, anything else does nothing. runningOS is the
// script's operating-system code: 0x10000 for the Windows 95 family, 1, 2, 4 or 8 for the NT
// versions, 0 for another system. On NT and on another system the computer restarts for both
// types, once the shutdown privilege is enabled. A failure is shown as message 10005 (type 1)
// or 10006 (type 2, and any failure of the computer's restart).
void RestartSystem(CInstallerWindow& window, DWORD runningOS, int type);

// The restart still due once a restart of the given type was asked for and did not happen: 1
// Windows, 2 the computer, 0 none. Where RestartSystem restarts the computer for both types
// (NT and another system), the computer is due for both.
int RestartStillNeeded(DWORD runningOS, int type);
