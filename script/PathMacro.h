// The directory macros of a [Files] line: <WIN>, <SYS> and <SYS16> at the start of a
// destination directory.
#pragma once

#include "framework/CString.h"

// Expands a macro at the very start of the trimmed token and makes the result end with a
// backslash (an empty token stays empty). The directories are those start-up recorded in the
// application object; without one, the system is asked.
CString ExpandPathMacro(LPCSTR token);
// The same with the Windows and System directories given.
CString ExpandPathMacro(LPCSTR token, LPCSTR windowsDir, LPCSTR systemDir);
