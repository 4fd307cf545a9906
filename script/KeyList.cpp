#include "script/KeyList.h"

namespace {

// Enough for the key lists of ordinary scripts in one read.
constexpr size_t kInitialSize = 32000;
// The profile reader reads no file beyond 256 MiB, so its lists stay below this.
constexpr size_t kLargestSize = 512u * 1024u * 1024u;

} // namespace

const char* ReadKeyList(LPCSTR section, LPCSTR fileName, std::vector<char>& buffer) {
    if (buffer.size() < kInitialSize)
        buffer.resize(kInitialSize);
    for (;;) {
        DWORD size = static_cast<DWORD>(buffer.size());
        DWORD length =
            GetPrivateProfileStringA(section, nullptr, "", buffer.data(), size, fileName);
        // A list that did not fit comes back cut, with the length size - 2.
        if (length + 2 < size || buffer.size() >= kLargestSize)
            return buffer.data();
        buffer.resize(buffer.size() * 2);
    }
}
