// Global memory blocks. A fixed block's handle is its address; a movable block has a handle
// of its own that GlobalLock turns into the address, as on Windows.
#include "kernel/MachineState.h"

#include <cstdlib>
#include <cstring>
#include <mutex>
#include <unordered_map>

namespace {

struct Block {
    void* data = nullptr;
    SIZE_T size = 0;
    bool movable = false;
    unsigned locks = 0;
};

std::mutex& Lock() {
    static std::mutex lock;
    return lock;
}

std::unordered_map<HGLOBAL, Block>& Blocks() {
    static std::unordered_map<HGLOBAL, Block> blocks;
    return blocks;
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT flags, SIZE_T bytes) {
    // Every block holds at least one byte, so that each has an address of its own.
    void* data = (flags & GMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1)
                                         : std::malloc(bytes ? bytes : 1);
    if (!data) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block block;
    block.data = data;
    block.size = bytes;
    block.movable = (flags & GMEM_MOVEABLE) != 0;
    HGLOBAL handle = data;
    if (block.movable) {
        handle = std::malloc(1); // a distinct address serves as the handle
        if (!handle) {
            std::free(data);
            SetLastError(ERROR_NOT_ENOUGH_MEMORY);
            return nullptr;
        }
    }
    std::lock_guard<std::mutex> guard(Lock());
    Blocks()[handle] = block;
    return handle;
}

LPVOID WINAPI GlobalLock(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(Lock());
    auto found = Blocks().find(memory);
    if (found == Blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (found->second.movable)
        ++found->second.locks;
    return found->second.data;
}

BOOL WINAPI GlobalUnlock(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(Lock());
    auto found = Blocks().find(memory);
    if (found == Blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    Block& block = found->second;
    if (block.movable && block.locks > 0)
        --block.locks;
    SetLastError(ERROR_SUCCESS);
    return block.movable && block.locks > 0;
}

HGLOBAL WINAPI GlobalFree(HGLOBAL memory) {
    if (!memory)
        return nullptr;
    std::lock_guard<std::mutex> guard(Lock());
    auto found = Blocks().find(memory);
    if (found == Blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return memory;
    }
    std::free(found->second.data);
    if (found->second.movable)
        std::free(memory);
    Blocks().erase(found);
    return nullptr;
}

SIZE_T WINAPI GlobalSize(HGLOBAL memory) {
    std::lock_guard<std::mutex> guard(Lock());
    auto found = Blocks().find(memory);
    if (found == Blocks().end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return found->second.size;
}
