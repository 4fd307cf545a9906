// The version library of the emulated machine (platform/version): GetFileVersionInfoSizeA,
// GetFileVersionInfoA and VerQueryValueA over our own reader of the version resource in PE32,
// PE32+ and 16-bit NE images. Uses the kernel only (its executable-image reader and files). This
// header reads the VS_VERSIONINFO block itself.
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
