#include "VersionBlock.h"

#include "kernel/LittleEndian.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace host::detail {

namespace {

constexpr char kRootKey[] = "VS_VERSION_INFO";
// Real blocks nest four deep (root, StringFileInfo, table, string); the margin is generous.
constexpr int kMaxDepth = 8;
constexpr size_t kMaxRecords = 8192;
constexpr size_t kMaxBlockSize = 0xFFFF;

void PutWord(uint8_t* p, size_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFF);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}
size_t Align4(size_t offset) {
    return (offset + 3) & ~static_cast<size_t>(3);
}

struct Record {
    std::string key;
    std::vector<uint8_t> value; // texts in ANSI with their terminating zero
    std::vector<Record> children;
};

std::string WideToAnsi(const std::u16string& wide) {
    if (wide.empty())
        return std::string();
    bool ascii = true;
    for (char16_t c : wide)
        ascii = ascii && c < 0x80;
    if (ascii)
        return std::string(wide.begin(), wide.end());
    int wideLength = static_cast<int>(wide.size());
    int needed =
        WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string(wide.size(), '?');
    std::string text(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide.data(), wideLength, &text[0], needed, nullptr, nullptr);
    return text;
}

class Parser {
  public:
    explicit Parser(bool wide) : m_wide(wide) {}

    // Reads the record at p, of which at most available bytes belong to its parent.
    bool Read(const uint8_t* p, size_t available, int depth, Record& record) {
        size_t header = m_wide ? 6 : 4;
        if (depth > kMaxDepth || ++m_records > kMaxRecords || available < header)
            return false;
        size_t length = Word(p);
        if (length < header)
            return false;
        if (length > available)
            length = available; // a resource cut short keeps the records it still holds
        size_t valueLength = Word(p + 2);
        bool text = m_wide && Word(p + 4) == 1;

        size_t at = header;
        if (m_wide) {
            std::u16string key;
            for (;; at += 2) {
                if (at + 2 > length)
                    return false;
                char16_t c = static_cast<char16_t>(Word(p + at));
                if (c == 0)
                    break;
                key.push_back(c);
            }
            at += 2;
            record.key = WideToAnsi(key);
        } else {
            const void* end = std::memchr(p + at, 0, length - at);
            if (!end)
                return false;
            size_t keyLength = static_cast<const uint8_t*>(end) - (p + at);
            record.key.assign(reinterpret_cast<const char*>(p + at), keyLength);
            at += keyLength + 1;
        }
        at = Align4(at);

        size_t valueBytes = text ? valueLength * 2 : valueLength;
        if (at >= length)
            valueBytes = 0;
        else if (valueBytes > length - at)
            valueBytes = length - at;
        if (text) {
            std::u16string value;
            for (size_t i = 0; i + 1 < valueBytes; i += 2) {
                char16_t c = static_cast<char16_t>(Word(p + at + i));
                if (c == 0)
                    break;
                value.push_back(c);
            }
            std::string ansi = WideToAnsi(value);
            record.value.assign(ansi.begin(), ansi.end());
            record.value.push_back(0);
        } else {
            record.value.assign(p + at, p + at + valueBytes);
        }

        for (size_t child = Align4(at + valueBytes); child + header <= length;) {
            Record next;
            size_t childLength = Word(p + child);
            if (childLength < header || !Read(p + child, length - child, depth + 1, next))
                break;
            record.children.push_back(std::move(next));
            child = Align4(child + childLength);
        }
        return true;
    }

  private:
    bool m_wide;
    size_t m_records = 0;
};

bool Write(const Record& record, std::vector<uint8_t>& out) {
    size_t start = out.size();
    out.resize(start + 4);
    out.insert(out.end(), record.key.begin(), record.key.end());
    out.push_back(0);
    out.resize(Align4(out.size()));
    if (record.value.size() > kMaxBlockSize)
        return false;
    out.insert(out.end(), record.value.begin(), record.value.end());
    for (const Record& child : record.children) {
        out.resize(Align4(out.size()));
        if (!Write(child, out))
            return false;
    }
    size_t length = out.size() - start;
    if (length > kMaxBlockSize)
        return false;
    PutWord(&out[start], length);
    PutWord(&out[start + 2], record.value.size());
    return true;
}

bool StartsWithWideKey(const uint8_t* p, size_t size) {
    size_t keyLength = sizeof kRootKey; // with the terminator
    if (size < 6 + 2 * keyLength)
        return false;
    for (size_t i = 0; i < keyLength; ++i)
        if (Word(p + 6 + 2 * i) != static_cast<uint16_t>(kRootKey[i]))
            return false;
    return true;
}

bool StartsWithNarrowKey(const uint8_t* p, size_t size) {
    return size >= 4 + sizeof kRootKey && std::memcmp(p + 4, kRootKey, sizeof kRootKey) == 0;
}

// A record of an 8-bit block, checked against the extent of its parent.
struct View {
    const uint8_t* p = nullptr;
    size_t length = 0;
    const char* key = nullptr;
    size_t valueOffset = 0;
    size_t valueLength = 0;
    size_t childrenOffset = 0;
};

bool ReadView(const uint8_t* p, size_t available, View& view) {
    if (available < 4)
        return false;
    size_t length = Word(p);
    if (length < 5 || length > available)
        return false;
    const void* end = std::memchr(p + 4, 0, length - 4);
    if (!end)
        return false;
    view.p = p;
    view.length = length;
    view.key = reinterpret_cast<const char*>(p + 4);
    view.valueOffset = Align4(static_cast<const uint8_t*>(end) - p + 1);
    view.valueLength = Word(p + 2);
    if (view.valueOffset > length || view.valueLength > length - view.valueOffset)
        return false;
    view.childrenOffset = Align4(view.valueOffset + view.valueLength);
    return true;
}

bool SameKey(const char* key, const char* part, size_t partLength) {
    for (size_t i = 0; i < partLength; ++i) {
        unsigned char a = static_cast<unsigned char>(key[i]);
        unsigned char b = static_cast<unsigned char>(part[i]);
        if (a == 0)
            return false;
        if (a >= 'a' && a <= 'z')
            a = static_cast<unsigned char>(a - 'a' + 'A');
        if (b >= 'a' && b <= 'z')
            b = static_cast<unsigned char>(b - 'a' + 'A');
        if (a != b)
            return false;
    }
    return key[partLength] == 0;
}

} // namespace

bool BuildAnsiVersionBlock(const uint8_t* resource, size_t size, std::vector<uint8_t>& block) {
    block.clear();
    if (!resource)
        return false;
    bool wide = StartsWithWideKey(resource, size);
    if (!wide && !StartsWithNarrowKey(resource, size))
        return false;
    Record root;
    Parser parser(wide);
    if (!parser.Read(resource, size, 0, root) || root.key != kRootKey)
        return false;
    if (!Write(root, block)) {
        block.clear();
        return false;
    }
    return true;
}

bool QueryAnsiVersionBlock(const uint8_t* block, const char* path, const uint8_t*& value,
                           size_t& length) {
    View node;
    if (!block || !path || !ReadView(block, Word(block), node) ||
        std::strcmp(node.key, kRootKey) != 0)
        return false;
    const char* part = path;
    for (;;) {
        while (*part == '\\')
            ++part;
        if (*part == '\0')
            break;
        size_t partLength = std::strcspn(part, "\\");
        bool found = false;
        for (size_t at = node.childrenOffset; at + 4 <= node.length;) {
            View child;
            if (!ReadView(node.p + at, node.length - at, child))
                break;
            if (SameKey(child.key, part, partLength)) {
                node = child;
                found = true;
                break;
            }
            at = Align4(at + child.length);
        }
        if (!found)
            return false;
        part += partLength;
    }
    value = node.p + node.valueOffset;
    length = node.valueLength;
    return true;
}

} // namespace host::detail
