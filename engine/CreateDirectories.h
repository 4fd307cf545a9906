// Creates the directories a file path leads through, so that a file can be made there.
#pragma once

#include <windows.h>

// TRUE when every directory of the path up to its last backslash exists afterwards.
BOOL CreateDirectoriesOf(LPCSTR filePath);
