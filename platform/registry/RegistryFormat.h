// Wine's registry file format ("WINE REGISTRY Version 2"), read and written, so that a prefix
// made by Wine can be used and Wine sees what was written:
//
//   WINE REGISTRY Version 2
//   ;; All keys relative to \\Machine
//
//   #arch=win32
//
//   [Software\\Classes\\.txt] 1700000000
//   #time=1da0b0c0d0e0f00
//   @="txtfile"
//   "Size"=dword:0000000a
//   "Bytes"=hex:01,02,ff
//
// Names and strings are UTF-16 written in ASCII: backslash and the delimiter are escaped with a
// backslash, characters above 127 as \x escapes, control characters as C or octal escapes.
#pragma once

#include "RegistryTree.h"

#include <string>

namespace host::detail {

struct RegFileHeader {
    std::string relativeTo; // "\\Machine", "\\User\\S-1-5-21-0-0-0-1000", ...
    std::string arch = "win32";
    // The lines before the first key as the file held them, written back unchanged; empty for
    // a file this program makes.
    std::string fileText;
};

// Reads a registry file into root, which must be empty. On a malformed file (or a key nested
// deeper than the system allows): FALSE, with the 1-based line number and the reason; root then
// holds what came before that line. Each key keeps its own lines' text for writing back.
bool ParseRegistryFile(const std::string& text, RegKey& root, RegFileHeader& header, int& errorLine,
                       std::string& reason);

// The file Wine would write for root: keys in case-insensitive name order, each key with its
// time stamp, class and values; keys that hold only subkeys are implied by them. A key that
// still has the text it was read with is written with that text.
std::string FormatRegistryFile(const RegKey& root, const RegFileHeader& header);

} // namespace host::detail
