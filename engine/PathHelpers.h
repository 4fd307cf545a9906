// Judging and shaping directory paths. Directory paths handed between the parts of the
// installer end with exactly one backslash; these helpers add and remove it without ever
// taking the trail byte of a double-byte character for a backslash.
#pragma once

#include "framework/CString.h"

#include <windows.h>

// TRUE when the path may be used as an existing directory: empty (the current directory), a
// lone backslash, the root of an existing drive ("C:" or "C:\"), or a name whose status has
// the directory bit. Never reports anything and never creates anything.
BOOL IsValidDirectoryPath(LPCSTR path);
// TRUE when the path starts with a letter and a colon.
BOOL HasDriveLetter(LPCSTR path);
// TRUE when the last character of the path (a double-byte character counts as one) is ch.
BOOL EndsWithChar(const CString& path, char ch);
// Makes the path end with one backslash (present TRUE) or without one (present FALSE). A bare
// drive "C:" gains none, a drive root "C:\" keeps its own.
void SetTrailingBackslash(CString& path, BOOL present);
CString CopyWithTrailingBackslash(LPCSTR path, BOOL present);
