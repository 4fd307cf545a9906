// The version rule and the date rule that decide whether an installed file is replaced, and
// the two path-splitting functions that name the files involved. None of them shows a message
// or changes a file; every handle and block they take is released before they return.
#pragma once

#include "framework/CString.h"

#include <windows.h>

#include <ctime>

// Compares the file versions of the source and the destination:
//   0 the destination cannot be opened for reading, or its size cannot be read;
//   1 the destination has version information, the source none that can be read;
//   2 the destination has no readable version information (decided before the source is read);
//   3 the source's version is equal to or lower than the destination's;
//   4 the source's version is higher.
// A block without fixed file information counts as no readable version information.
int CompareVersions(LPCSTR source, LPCSTR destination);

// Compares the modification times:
//   0 the destination cannot be opened for reading or its size cannot be read, or a
//     modification time cannot be read;
//   1 the source is not newer and the destination is not empty;
//   2 the source is strictly newer, or the destination is empty.
int CompareDates(LPCSTR source, LPCSTR destination);

// The last-write time of the file as the framework's status query gives it, in seconds. FALSE
// (and seconds unchanged) when the file is not found.
BOOL GetModificationTime(LPCSTR path, time_t& seconds);

// The part after the last backslash (the whole path when it has none), and the part up to and
// including it (empty when it has none). A trail byte of a double-byte character is never
// taken for the backslash.
CString FileNamePart(LPCSTR path);
CString DirectoryPart(LPCSTR path);
