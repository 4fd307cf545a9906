// The two number conversions of the setup script's fields, computed in 32 bits whatever the
// host's long is.
#pragma once

#include <windows.h>

// Leading white space, an optional sign and the decimal digits that follow; conversion ends at
// the first other character, no digits give 0. Only the low 32 bits count, so 4294967295 and
// -1 are the same number.
LONG DecimalValue(LPCSTR text);

// Leading white space, an optional sign, an optional "0x", then hexadecimal digits; conversion
// ends at the first other character, no digits give 0. A number beyond 0x7FFFFFFF gives
// 0x7FFFFFFF, a negative one below -0x80000000 gives -0x80000000.
LONG HexValue(LPCSTR text);
