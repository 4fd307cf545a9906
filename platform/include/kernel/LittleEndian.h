// The numbers of the system's file formats (executables, resources, compressed files) are
// stored little-endian whatever the host's order; the readers take bytes one by one for that.
#pragma once

#include <cstdint>

namespace host::detail {

// The caller has checked that the bytes are there.
inline uint16_t Word(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Dword(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

} // namespace host::detail
