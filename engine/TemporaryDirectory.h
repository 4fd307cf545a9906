// The run's temporary directory under the Windows directory, where a compressed source is
// expanded to compare its version.
#pragma once

#include "framework/CString.h"

#include <windows.h>

// Creates the first of base\TEMP0 to base\TEMP99 that does not exist yet; an existing
// directory is never reused. TRUE with its name in path when one was made; FALSE with path
// empty when none could be, so that nothing is removed at the end.
BOOL CreateTemporaryDirectory(LPCSTR base, CString& path);

// Removes the directory the run made when it is empty; does nothing for an empty path.
void RemoveTemporaryDirectory(const CString& path);
