// Copies one file through the LZ expansion library, expanding a compressed source.
#pragma once

#include "engine/InstallerWindow.h"

#include <windows.h>

// Expands or copies source to destination and shows the message of a failure: 10012 when the
// source cannot be opened, 10013 when the destination cannot be created or written (read-only,
// in use, no such directory), 10014 when the copy or the expansion fails (disk full, read
// error, damaged compressed data). An existing destination is replaced only by a complete copy:
// the copy goes to a new file beside it that then takes its place, so a failure leaves the old
// file as it was and no partial file behind.
BOOL ExpandFile(CInstallerWindow& window, LPCSTR source, LPCSTR destination);
