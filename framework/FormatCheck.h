// Whether a printf-style format string asks only for the arguments a caller passes, so that a
// string from outside the program (a language library) can be used as a format safely.
#pragma once

#include <windows.h>

// TRUE when the conversions of format, in order, are at most those of arguments, one letter
// each: 's' for a string (%s), 'd' for an int (%d %i %u %x %X %o %c). Flags, a width and a
// precision given as digits are allowed; '*', '%n', positional and length-modified
// conversions and any other conversion are not. "%%" is a literal percent sign.
BOOL FormatFits(LPCSTR format, LPCSTR arguments);
