// Real files for tests: compressed files made by an independent compressor and DLLs with a
// version resource linked by the mingw-w64 tools.
#pragma once

#include <string>

// Compresses a host file in the LZ format with mscompress (the name's last character stored
// in the header). FALSE when the tool is missing or fails.
bool MakeCompressedFile(const std::string& source, const std::string& destination);
// Links a resource-only DLL whose file version is major.minor.build.revision.
bool MakeVersionDll(const std::string& destination, int major, int minor, int build, int revision);
// Links a resource-only DLL from resource script text (UTF-8).
bool MakeResourceDll(const std::string& destination, const std::string& rcText);
// Sets a host file's modification time (seconds since the epoch).
bool SetHostFileTime(const std::string& path, long long seconds);
