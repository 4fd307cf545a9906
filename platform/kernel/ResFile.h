// The compiled resource file format (.res) that the resource compiler writes: a sequence of
// records, each a header naming the resource followed by its data, both DWORD-aligned.
#pragma once

#include "kernel/ExecutableImage.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace host::detail {

// Reads the records of a .res image into entries whose spans point into [data, data + size).
// The empty record that starts every file is skipped. A damaged or truncated record ends the
// walk: the records before it are kept, and the result is FALSE.
bool ParseResFile(const uint8_t* data, size_t size, std::vector<ResourceEntry>& entries);

} // namespace host::detail
