// Version information blocks. A version resource comes in two layouts: the 32-bit one of PE
// images (UTF-16 keys and texts, a type field in each record) and the 16-bit one of NE images
// (8-bit keys and texts). GetFileVersionInfoA hands out every block in the 16-bit layout with
// texts in the ANSI code page, so that VerQueryValueA can point straight into it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host::detail {

// Converts a version resource of either layout into the 8-bit block. FALSE when the bytes are
// not a version resource (the root record is not "VS_VERSION_INFO" or is damaged).
bool BuildAnsiVersionBlock(const uint8_t* resource, size_t size, std::vector<uint8_t>& block);

// Finds the value of a path such as "\" or "\StringFileInfo\040904B0\FileVersion" in an
// 8-bit block whose extent is given by its root record. FALSE when there is no such value.
bool QueryAnsiVersionBlock(const uint8_t* block, const char* path, const uint8_t*& value,
                           size_t& length);

} // namespace host::detail
