// The emulated machine the fuzz targets run on: one prefix and medium in a temporary directory,
// made on the first input and removed when the process ends, and a way to put an input on the
// medium as a file that the Windows API can open.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace fuzz {

// Starts the machine once (headless, a silent automation that presses the default button of
// every message box, the transcript thrown away). Later calls do nothing.
void EnsureMachine();
// Writes the bytes to the medium's root under name and gives its Windows path ("D:\name").
std::string PutOnMedium(const std::string& name, const uint8_t* data, size_t size);
// The host path of the medium's root.
const std::string& MediaHostDir();

} // namespace fuzz
