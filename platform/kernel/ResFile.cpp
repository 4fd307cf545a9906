#include "ResFile.h"

namespace host::detail {

namespace {

constexpr size_t kMaxRecords = ExecutableImage::kMaxResources;

class ResReader {
  public:
    ResReader(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}

    bool Word(size_t& pos, size_t limit, uint16_t& value) const {
        if (pos > limit || limit - pos < 2)
            return false;
        value = static_cast<uint16_t>(m_data[pos] | (m_data[pos + 1] << 8));
        pos += 2;
        return true;
    }
    bool Dword(size_t& pos, size_t limit, uint32_t& value) const {
        uint16_t low = 0, high = 0;
        if (!Word(pos, limit, low) || !Word(pos, limit, high))
            return false;
        value = low | (static_cast<uint32_t>(high) << 16);
        return true;
    }
    // A type or name: 0xFFFF and a number, or a zero-terminated UTF-16 string.
    bool Id(size_t& pos, size_t limit, ResourceId& id) const {
        uint16_t first = 0;
        if (!Word(pos, limit, first))
            return false;
        if (first == 0xFFFF) {
            uint16_t number = 0;
            if (!Word(pos, limit, number))
                return false;
            id = ResourceId::Number(number);
            return true;
        }
        std::u16string name;
        for (uint16_t c = first; c != 0;) {
            name.push_back(static_cast<char16_t>(c));
            if (!Word(pos, limit, c))
                return false;
        }
        id = ResourceId::Name(name);
        return true;
    }

  private:
    const uint8_t* m_data;
    size_t m_size;
};

size_t AlignDword(size_t value) {
    return (value + 3) & ~static_cast<size_t>(3);
}

} // namespace

bool ParseResFile(const uint8_t* data, size_t size, std::vector<ResourceEntry>& entries) {
    if (!data)
        return size == 0;
    ResReader reader(data, size);
    size_t pos = 0;
    for (size_t count = 0; pos < size; ++count) {
        if (count >= kMaxRecords)
            return false;
        size_t start = pos;
        uint32_t dataSize = 0, headerSize = 0;
        if (!reader.Dword(pos, size, dataSize) || !reader.Dword(pos, size, headerSize))
            return false;
        // The header holds at least the two sizes, two one-character ids and 16 fixed bytes.
        if (headerSize < 32 || headerSize > size - start)
            return false;
        size_t headerEnd = start + headerSize;
        ResourceEntry entry;
        if (!reader.Id(pos, headerEnd, entry.type) || !reader.Id(pos, headerEnd, entry.name))
            return false;
        pos = AlignDword(pos);
        uint32_t dataVersion = 0, version = 0, characteristics = 0;
        uint16_t memoryFlags = 0, language = 0;
        if (!reader.Dword(pos, headerEnd, dataVersion) ||
            !reader.Word(pos, headerEnd, memoryFlags) || !reader.Word(pos, headerEnd, language) ||
            !reader.Dword(pos, headerEnd, version) ||
            !reader.Dword(pos, headerEnd, characteristics))
            return false;
        if (dataSize > size - headerEnd || dataSize > ExecutableImage::kMaxResourceSize)
            return false;
        entry.language = language;
        entry.data.data = data + headerEnd;
        entry.data.size = dataSize;
        // The leading record of every file has the number 0 as its type and carries nothing.
        bool empty = entry.type.isNumber && entry.type.number == 0;
        if (!empty)
            entries.push_back(entry);
        size_t next = AlignDword(headerEnd + dataSize);
        if (next > size)
            next = size; // the last record's padding may be missing
        pos = next;
    }
    return true;
}

} // namespace host::detail
