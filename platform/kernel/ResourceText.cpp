#include "kernel/ResourceText.h"

#include <windows.h>

#include <climits>
#include <vector>

namespace host::detail {

std::string WideToAnsi(const char16_t* text, size_t length) {
    if (!text || length == 0 || length > INT_MAX / 4)
        return std::string();
    int wideLength = static_cast<int>(length);
    // A UTF-16 unit never takes more than two bytes in a double-byte code page, but ask the
    // conversion rather than assume the code page's shape.
    int needed = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text), wideLength,
                                     nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(needed));
    int written = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(text), wideLength,
                                      buffer.data(), needed, nullptr, nullptr);
    if (written <= 0)
        return std::string();
    return std::string(buffer.data(), static_cast<size_t>(written));
}

} // namespace host::detail
