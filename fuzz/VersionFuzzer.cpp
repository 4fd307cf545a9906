// The version resources of PE (32 and 64 bit) and NE files: any file gives its version block or
// none, and every query into the block stays inside it.
#include "FuzzMachine.h"

#include <windows.h>

#include <cstdio>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string path = fuzz::PutOnMedium("INPUT.DLL", data, size);
    DWORD handle = 0;
    DWORD length = GetFileVersionInfoSizeA(path.c_str(), &handle);
    if (length == 0 || length > (16u << 20))
        return 0;
    std::vector<BYTE> block(length);
    if (!GetFileVersionInfoA(path.c_str(), handle, length, block.data()))
        return 0;

    LPVOID value = nullptr;
    UINT valueLength = 0;
    VerQueryValueA(block.data(), "\\", &value, &valueLength);
    if (VerQueryValueA(block.data(), "\\VarFileInfo\\Translation", &value, &valueLength) && value &&
        valueLength >= 4) {
        const WORD* pair = static_cast<const WORD*>(value);
        char query[64];
        std::snprintf(query, sizeof query, "\\StringFileInfo\\%04x%04x\\FileVersion", pair[0],
                      pair[1]);
        VerQueryValueA(block.data(), query, &value, &valueLength);
    }
    VerQueryValueA(block.data(), "\\StringFileInfo\\041104b0\\ProductName", &value, &valueLength);
    VerQueryValueA(block.data(), "\\StringFileInfo\\040904b0\\CompanyName", &value, &valueLength);
    return 0;
}
