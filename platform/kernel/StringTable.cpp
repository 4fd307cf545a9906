// LoadStringA: string tables are stored in blocks of 16 counted UTF-16 strings; block n holds
// the ids (n - 1) * 16 to (n - 1) * 16 + 15.
#include "kernel/ModuleTable.h"
#include "kernel/ResourceText.h"

namespace host::detail {

namespace {

// The string of an id in its block, or FALSE when the block does not hold it (also when the
// block is cut short: a damaged table loses the strings it cannot hold).
bool StringOfBlock(const ByteSpan& block, UINT index, std::u16string& text) {
    size_t pos = 0;
    for (UINT i = 0;; ++i) {
        if (pos > block.size || block.size - pos < 2)
            return false;
        size_t length = block.data[pos] | (block.data[pos + 1] << 8);
        pos += 2;
        if (length * 2 > block.size - pos)
            return false;
        if (i == index) {
            text.clear();
            for (size_t c = 0; c < length; ++c)
                text.push_back(static_cast<char16_t>(block.data[pos + 2 * c] |
                                                     (block.data[pos + 2 * c + 1] << 8)));
            return true;
        }
        pos += length * 2;
    }
}

bool IsLead(unsigned char c) {
    return IsDBCSLeadByte(c) != FALSE;
}

} // namespace

} // namespace host::detail

using namespace host::detail;

int WINAPI LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int bufferMax) {
    if (!buffer || bufferMax <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    buffer[0] = '\0';
    const Module* found = FindModule(module);
    if (!found) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (id > 0xFFFF) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    const ResourceEntry* block =
        FindModuleResource(*found, ResourceId::Number(6), ResourceId::Number(id / 16 + 1));
    std::u16string wide;
    if (!block || !StringOfBlock(block->data, id % 16, wide) || wide.empty()) {
        if (block)
            SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    std::string text = WideToAnsi(wide.data(), wide.size());
    // Cut to the buffer, keeping room for the zero and never splitting a double-byte
    // character.
    size_t room = static_cast<size_t>(bufferMax) - 1;
    size_t length = 0;
    while (length < text.size()) {
        size_t step = IsLead(static_cast<unsigned char>(text[length])) ? 2 : 1;
        if (length + step > text.size() || length + step > room)
            break;
        length += step;
    }
    text.copy(buffer, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}
