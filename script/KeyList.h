// The names of all keys of a script section, however many there are.
#pragma once

#include <windows.h>

#include <vector>

// Reads the key names of the section in file order, each ended by a zero byte and the whole
// list by one more, into buffer, and returns the first name. The buffer grows until the
// profile reader's list fits, so no key of a long section is left out.
const char* ReadKeyList(LPCSTR section, LPCSTR fileName, std::vector<char>& buffer);
