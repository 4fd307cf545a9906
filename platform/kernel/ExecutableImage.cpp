#include "kernel/ExecutableImage.h"
#include "kernel/LittleEndian.h"

#include <cstring>
#include <utility>

namespace host::detail {

namespace {

// Whether [offset, offset + length) lies inside a buffer of the size, without overflow.
bool Fits(uint64_t offset, uint64_t length, uint64_t size) {
    return offset <= size && length <= size - offset;
}

char16_t FoldAscii(char16_t c) {
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// A directory may list entries that lead nowhere; this bounds the work spent on a hostile
// directory whose levels multiply (each entry of one level pointing to a huge next level).
constexpr size_t kMaxDirectoryVisits = 1u << 22;
constexpr unsigned kMaxNeAlignShift = 24;

// One PE section as far as the file holds it.
struct Section {
    uint32_t virtualAddress;
    uint32_t rawSize;
    uint32_t rawOffset;
};

class PeResourceReader {
  public:
    PeResourceReader(const uint8_t* data, size_t size, std::vector<Section> sections,
                     std::vector<ResourceEntry>& out)
        : m_data(data), m_size(size), m_sections(std::move(sections)), m_out(out) {}

    void Read(uint32_t rootRva) {
        uint64_t rootOffset = 0;
        uint64_t available = 0;
        if (!MapRva(rootRva, 16, rootOffset, &available))
            return;
        m_base = m_data + rootOffset;
        m_limit = available;
        ResourceEntry entry;
        ReadDirectory(0, 0, entry);
    }

  private:
    // The file offset of an RVA range that the file holds; available gets how many bytes
    // of the section follow the RVA.
    bool MapRva(uint32_t rva, uint64_t length, uint64_t& offset, uint64_t* available) const {
        for (const Section& section : m_sections) {
            if (rva < section.virtualAddress)
                continue;
            uint64_t delta = rva - section.virtualAddress;
            if (delta >= section.rawSize)
                continue;
            uint64_t start = static_cast<uint64_t>(section.rawOffset) + delta;
            uint64_t rawLeft = section.rawSize - delta;
            if (start >= m_size)
                continue;
            uint64_t inFile = m_size - start;
            uint64_t left = rawLeft < inFile ? rawLeft : inFile;
            if (length > left)
                continue;
            offset = start;
            if (available)
                *available = left;
            return true;
        }
        return false;
    }

    bool ReadName(uint32_t field, ResourceId& id) const {
        if ((field & 0x80000000u) == 0) {
            id = ResourceId::Number(static_cast<uint16_t>(field & 0xFFFF));
            return true;
        }
        uint64_t offset = field & 0x7FFFFFFFu;
        if (!Fits(offset, 2, m_limit))
            return false;
        uint16_t length = Word(m_base + offset);
        if (!Fits(offset + 2, static_cast<uint64_t>(length) * 2, m_limit))
            return false;
        std::u16string name;
        name.reserve(length);
        for (uint16_t i = 0; i < length; ++i)
            name.push_back(static_cast<char16_t>(Word(m_base + offset + 2 + 2 * i)));
        id = ResourceId::Name(name);
        return true;
    }

    // Level 0 lists types, level 1 names, level 2 languages whose entries are the data.
    void ReadDirectory(uint64_t offset, int level, ResourceEntry& entry) {
        if (!Fits(offset, 16, m_limit))
            return;
        const uint8_t* directory = m_base + offset;
        uint64_t count = static_cast<uint64_t>(Word(directory + 12)) + Word(directory + 14);
        uint64_t room = (m_limit - offset - 16) / 8;
        if (count > room)
            count = room;
        for (uint64_t i = 0; i < count; ++i) {
            if (m_out.size() >= ExecutableImage::kMaxResources || ++m_visits > kMaxDirectoryVisits)
                return;
            const uint8_t* item = directory + 16 + 8 * i;
            uint32_t nameField = Dword(item);
            uint32_t target = Dword(item + 4);
            bool isDirectory = (target & 0x80000000u) != 0;
            if (level < 2) {
                if (!isDirectory)
                    continue;
                ResourceId id;
                if (!ReadName(nameField, id))
                    continue;
                (level == 0 ? entry.type : entry.name) = id;
                ReadDirectory(target & 0x7FFFFFFFu, level + 1, entry);
            } else {
                if (isDirectory)
                    continue;
                ReadData(target, static_cast<uint16_t>(nameField & 0xFFFF), entry);
            }
        }
    }

    void ReadData(uint64_t offset, uint16_t language, const ResourceEntry& entry) {
        if (!Fits(offset, 16, m_limit))
            return;
        const uint8_t* data = m_base + offset;
        uint32_t rva = Dword(data);
        uint32_t size = Dword(data + 4);
        if (size > ExecutableImage::kMaxResourceSize)
            return;
        uint64_t fileOffset = 0;
        if (!MapRva(rva, size, fileOffset, nullptr))
            return;
        ResourceEntry found = entry;
        found.language = language;
        found.codePage = Dword(data + 8);
        found.data.data = m_data + fileOffset;
        found.data.size = size;
        m_out.push_back(std::move(found));
    }

    const uint8_t* m_data;
    size_t m_size;
    std::vector<Section> m_sections;
    std::vector<ResourceEntry>& m_out;
    const uint8_t* m_base = nullptr;
    uint64_t m_limit = 0;
    size_t m_visits = 0;
};

} // namespace

ResourceId ResourceId::Number(uint16_t value) {
    ResourceId id;
    id.isNumber = true;
    id.number = value;
    return id;
}

ResourceId ResourceId::Name(const std::u16string& value) {
    ResourceId id;
    id.isNumber = false;
    id.name = value;
    return id;
}

ResourceId ResourceId::FromWindowsId(const char* id) {
    if ((reinterpret_cast<uintptr_t>(id) >> 16) == 0)
        return Number(static_cast<uint16_t>(reinterpret_cast<uintptr_t>(id)));
    if (id[0] == '#' && id[1] != '\0') {
        uint32_t value = 0;
        const char* p = id + 1;
        while (*p >= '0' && *p <= '9' && value <= 0xFFFF)
            value = value * 10 + static_cast<uint32_t>(*p++ - '0');
        if (*p == '\0' && value <= 0xFFFF)
            return Number(static_cast<uint16_t>(value));
    }
    std::u16string name;
    for (const char* p = id; *p; ++p)
        name.push_back(static_cast<char16_t>(static_cast<unsigned char>(*p)));
    return Name(name);
}

bool ResourceId::Matches(const ResourceId& other) const {
    if (isNumber != other.isNumber)
        return false;
    if (isNumber)
        return number == other.number;
    if (name.size() != other.name.size())
        return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (FoldAscii(name[i]) != FoldAscii(other.name[i]))
            return false;
    return true;
}

ExecutableImage::ExecutableImage(const uint8_t* data, size_t size) : m_data(data), m_size(size) {
    if (!data || size < 0x40 || data[0] != 'M' || data[1] != 'Z')
        return;
    uint32_t header = Dword(data + 0x3C);
    if (Fits(header, 4, size) && std::memcmp(data + header, "PE\0\0", 4) == 0)
        ReadPe(header);
    else if (Fits(header, 2, size) && data[header] == 'N' && data[header + 1] == 'E')
        ReadNe(header);
}

void ExecutableImage::ReadPe(size_t peOffset) {
    uint64_t coff = peOffset + 4;
    if (!Fits(coff, 20, m_size))
        return;
    uint16_t sectionCount = Word(m_data + coff + 2);
    uint16_t optionalSize = Word(m_data + coff + 16);
    uint64_t optional = coff + 20;
    if (!Fits(optional, optionalSize, m_size) || optionalSize < 2)
        return;
    uint16_t magic = Word(m_data + optional);
    uint64_t countField = 0;
    uint64_t directories = 0;
    if (magic == 0x10B) {
        m_kind = ImageKind::Pe32;
        countField = 92;
        directories = 96;
    } else if (magic == 0x20B) {
        m_kind = ImageKind::Pe32Plus;
        countField = 108;
        directories = 112;
    } else {
        return;
    }
    // The resource table is the third data directory.
    if (optionalSize < directories + 3 * 8)
        return;
    if (Dword(m_data + optional + countField) < 3)
        return;
    std::vector<Section> sections;
    uint64_t table = optional + optionalSize;
    for (uint16_t i = 0; i < sectionCount; ++i) {
        uint64_t at = table + 40ull * i;
        if (!Fits(at, 40, m_size)) {
            m_complete = false;
            break;
        }
        const uint8_t* s = m_data + at;
        Section section{Dword(s + 12), Dword(s + 16), Dword(s + 20)};
        if (section.rawSize != 0 && !Fits(section.rawOffset, section.rawSize, m_size))
            m_complete = false;
        sections.push_back(section);
    }
    uint32_t resourceRva = Dword(m_data + optional + directories + 16);
    if (resourceRva == 0)
        return;
    PeResourceReader reader(m_data, m_size, std::move(sections), m_resources);
    reader.Read(resourceRva);
}

void ExecutableImage::ReadNe(size_t neOffset) {
    if (!Fits(neOffset, 0x40, m_size))
        return;
    m_kind = ImageKind::Ne;
    const uint8_t* ne = m_data + neOffset;
    uint64_t table = neOffset + Word(ne + 0x24);
    uint64_t tableEnd = neOffset + Word(ne + 0x26);
    if (Word(ne + 0x24) == Word(ne + 0x26))
        return; // no resource table
    if (tableEnd <= table || tableEnd > m_size)
        tableEnd = m_size;
    if (!Fits(table, 2, tableEnd))
        return;
    unsigned shift = Word(m_data + table);
    if (shift > kMaxNeAlignShift)
        return;

    // Names are Pascal strings at offsets from the start of the resource table.
    auto readId = [&](uint16_t field, ResourceId& id) {
        if (field & 0x8000) {
            id = ResourceId::Number(static_cast<uint16_t>(field & 0x7FFF));
            return true;
        }
        uint64_t at = table + field;
        if (field == 0 || !Fits(at, 1, m_size))
            return false;
        uint8_t length = m_data[at];
        if (!Fits(at + 1, length, m_size))
            return false;
        std::u16string name;
        for (uint8_t i = 0; i < length; ++i)
            name.push_back(static_cast<char16_t>(m_data[at + 1 + i]));
        id = ResourceId::Name(name);
        return true;
    };

    uint64_t at = table + 2;
    while (Fits(at, 2, tableEnd) && m_resources.size() < kMaxResources) {
        uint16_t typeField = Word(m_data + at);
        if (typeField == 0 || !Fits(at, 8, tableEnd))
            break;
        uint16_t count = Word(m_data + at + 2);
        at += 8;
        ResourceId type;
        bool typeValid = readId(typeField, type);
        for (uint16_t i = 0; i < count && m_resources.size() < kMaxResources; ++i, at += 12) {
            if (!Fits(at, 12, tableEnd))
                return;
            if (!typeValid)
                continue;
            const uint8_t* record = m_data + at;
            uint64_t offset = static_cast<uint64_t>(Word(record)) << shift;
            uint64_t length = static_cast<uint64_t>(Word(record + 2)) << shift;
            ResourceEntry entry;
            entry.type = type;
            if (!readId(Word(record + 6), entry.name) || offset >= m_size)
                continue;
            // Lengths count whole alignment units, so the last resource may reach past the end
            // of the file by the rounding.
            if (length > m_size - offset)
                length = m_size - offset;
            if (length > kMaxResourceSize)
                length = kMaxResourceSize;
            entry.data.data = m_data + offset;
            entry.data.size = static_cast<size_t>(length);
            m_resources.push_back(std::move(entry));
        }
    }
}

const ResourceEntry* ExecutableImage::Find(const ResourceId& type, const ResourceId& name,
                                           uint32_t language) const {
    const ResourceEntry* first = nullptr;
    for (const ResourceEntry& entry : m_resources) {
        if (!entry.type.Matches(type) || !entry.name.Matches(name))
            continue;
        if (language == kAnyLanguage) {
            if (entry.language == 0)
                return &entry;
            if (!first)
                first = &entry;
        } else if (entry.language == language) {
            return &entry;
        }
    }
    return first;
}

const ResourceEntry* ExecutableImage::FindFirstOfType(const ResourceId& type) const {
    const ResourceEntry* first = nullptr;
    for (const ResourceEntry& entry : m_resources) {
        if (!entry.type.Matches(type))
            continue;
        if (!first)
            first = &entry;
        if (entry.language == 0 && entry.name.Matches(first->name))
            return &entry;
    }
    return first;
}

bool ExecutableImage::HasType(const ResourceId& type) const {
    for (const ResourceEntry& entry : m_resources)
        if (entry.type.Matches(type))
            return true;
    return false;
}

} // namespace host::detail
