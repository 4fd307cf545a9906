// The resource directory of an executable image (PE32, PE32+ or 16-bit NE), read from the
// bytes of the file as stored on disk. Used by the version-information services and by
// LoadLibraryA of resource-only libraries.
//
// The bytes are untrusted: every offset is checked against the buffer, the directory walk has
// a fixed depth and a cap on the number of entries, so a damaged or hostile file yields fewer
// resources (or none), never a crash or a hang. Every span returned lies inside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace host::detail {

// A resource type or name: a 16-bit number or a string. Strings compare without regard to
// the case of ASCII letters, as the system's resource lookup does.
struct ResourceId {
    bool isNumber = true;
    uint16_t number = 0;
    std::u16string name; // PE names as stored; NE names widened byte by byte

    static ResourceId Number(uint16_t value);
    static ResourceId Name(const std::u16string& value);
    // From the LPCSTR of the Windows API: MAKEINTRESOURCE(n), "#123" (the number 123) or a
    // name (8-bit characters widened byte by byte).
    static ResourceId FromWindowsId(const char* id);

    bool Matches(const ResourceId& other) const;
};

// A bounded view of bytes inside the image's buffer.
struct ByteSpan {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool empty() const { return size == 0; }
};

struct ResourceEntry {
    ResourceId type;
    ResourceId name;
    uint16_t language = 0; // NE images have no languages: always 0 (neutral)
    uint32_t codePage = 0; // PE only
    ByteSpan data;
};

enum class ImageKind { Unknown, Pe32, Pe32Plus, Ne };

// Language wildcard for Find: prefers the neutral language, then the first one stored.
constexpr uint32_t kAnyLanguage = 0xFFFFFFFF;

class ExecutableImage {
  public:
    // Limits that keep hostile input harmless.
    static constexpr size_t kMaxResources = 65536;
    static constexpr size_t kMaxResourceSize = 256u << 20;

    // Reads the resource directory of the image in [data, data + size). The bytes are not
    // copied: they must outlive this object and every span it hands out.
    ExecutableImage(const uint8_t* data, size_t size);

    ImageKind Kind() const { return m_kind; }
    // TRUE for a PE or NE image whose headers could be read (it may still have no resources).
    bool IsExecutable() const { return m_kind != ImageKind::Unknown; }
    // FALSE when a PE image's section table or a section's data reaches past the end of the
    // file: a file cut short, which the system's loader refuses.
    bool IsComplete() const { return m_complete; }

    // All resources, in the order of the directory.
    const std::vector<ResourceEntry>& Resources() const { return m_resources; }

    // The resource of that type, name and language (a LANGID, or kAnyLanguage). NULL when
    // there is none.
    const ResourceEntry* Find(const ResourceId& type, const ResourceId& name,
                              uint32_t language = kAnyLanguage) const;
    // The first resource of a type (any name, preferring the neutral language), as the
    // version services look for the one version resource. NULL when there is none.
    const ResourceEntry* FindFirstOfType(const ResourceId& type) const;
    // Whether the image holds any resource of the type.
    bool HasType(const ResourceId& type) const;

  private:
    void ReadPe(size_t peOffset);
    void ReadNe(size_t neOffset);

    const uint8_t* m_data;
    size_t m_size;
    ImageKind m_kind = ImageKind::Unknown;
    bool m_complete = true;
    std::vector<ResourceEntry> m_resources;
};

} // namespace host::detail
