#include "RegistryFormat.h"

#include <algorithm>
#include <cstring>
#include <unordered_set>
#include <vector>

namespace host::detail {

namespace {

constexpr uint64_t kTicks1601To1970 = 116444736000000000ULL;
constexpr uint64_t kTicksPerSecond = 10000000ULL;
const char kHeaderLine[] = "WINE REGISTRY Version 2";
const char kRelativePrefix[] = ";; All keys relative to ";

bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return c - 'A' + 10;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

// The lines of a file, with their numbers, for a parser that may need the next line of a
// continued value.
class LineReader {
  public:
    explicit LineReader(const std::string& text) : m_text(text) {}

    bool Next(std::string& line) {
        if (m_pos >= m_text.size())
            return false;
        size_t end = m_text.find('\n', m_pos);
        if (end == std::string::npos)
            end = m_text.size();
        m_lineStart = m_pos;
        line.assign(m_text, m_pos, end - m_pos);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    int Number() const { return m_number; }
    // Where the line that Next gave last begins, and where the line after it begins.
    size_t LineStart() const { return m_lineStart; }
    size_t Position() const { return m_pos; }

  private:
    const std::string& m_text;
    size_t m_pos = 0;
    size_t m_lineStart = 0;
    int m_number = 0;
};

void AppendCodePoint(RegName& out, uint32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(cp));
    }
}

// Decodes one UTF-8 sequence at pos; a byte that starts none is taken as Latin-1, so that a
// hand-edited file in another encoding still loads.
void DecodeNonAscii(const std::string& line, size_t& pos, RegName& out) {
    auto byteAt = [&](size_t i) { return static_cast<unsigned char>(line[i]); };
    unsigned char lead = byteAt(pos);
    int extra = 0;
    if (lead >= 0xC2 && lead < 0xE0)
        extra = 1;
    else if (lead >= 0xE0 && lead < 0xF0)
        extra = 2;
    else if (lead >= 0xF0 && lead <= 0xF4)
        extra = 3;
    if (extra > 0 && pos + extra < line.size()) {
        uint32_t cp = lead & (0x3F >> extra);
        bool ok = true;
        for (int i = 1; ok && i <= extra; ++i) {
            unsigned char next = byteAt(pos + i);
            ok = (next & 0xC0) == 0x80;
            cp = (cp << 6) | (next & 0x3F);
        }
        bool overlong = (extra == 2 && cp < 0x800) || (extra == 3 && cp < 0x10000);
        if (ok && !overlong && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF)) {
            AppendCodePoint(out, cp);
            pos += extra + 1;
            return;
        }
    }
    out.push_back(lead);
    ++pos;
}

// Reads an escaped string from pos up to the unescaped delimiter, leaving pos after it.
bool ParseEscaped(const std::string& line, size_t& pos, char delimiter, RegName& out) {
    static const char kEscapes[] = "abtnvfre";
    static const char16_t kEscaped[] = {7, 8, 9, 10, 11, 12, 13, 27};
    while (pos < line.size()) {
        char c = line[pos];
        if (c == delimiter) {
            ++pos;
            return true;
        }
        if (static_cast<unsigned char>(c) >= 0x80) {
            DecodeNonAscii(line, pos, out);
            continue;
        }
        if (c != '\\') {
            out.push_back(static_cast<char16_t>(c));
            ++pos;
            continue;
        }
        if (++pos >= line.size())
            return false;
        c = line[pos];
        if (const char* e = std::strchr(kEscapes, c); e && c) {
            out.push_back(kEscaped[e - kEscapes]);
            ++pos;
        } else if (c == 'x') {
            ++pos;
            unsigned value = 0;
            int digits = 0;
            while (digits < 4 && pos < line.size() && IsHexDigit(line[pos])) {
                value = value * 16 + HexValue(line[pos++]);
                ++digits;
            }
            out.push_back(digits ? static_cast<char16_t>(value) : u'x');
        } else if (c >= '0' && c <= '7') {
            unsigned value = 0;
            int digits = 0;
            while (digits < 3 && pos < line.size() && line[pos] >= '0' && line[pos] <= '7') {
                value = value * 8 + (line[pos++] - '0');
                ++digits;
            }
            out.push_back(static_cast<char16_t>(value));
        } else if (static_cast<unsigned char>(c) >= 0x80) {
            DecodeNonAscii(line, pos, out);
        } else {
            out.push_back(static_cast<char16_t>(c));
            ++pos;
        }
    }
    return false;
}

bool StartsWith(const std::string& line, size_t pos, const char* prefix) {
    return line.compare(pos, std::strlen(prefix), prefix) == 0;
}

bool ParseHexNumber(const std::string& line, size_t& pos, uint64_t& value, int maxDigits) {
    int digits = 0;
    value = 0;
    while (pos < line.size() && IsHexDigit(line[pos])) {
        if (++digits > maxDigits)
            return false;
        value = value * 16 + HexValue(line[pos++]);
    }
    return digits > 0;
}

bool RestIsBlank(const std::string& line, size_t pos) {
    for (; pos < line.size(); ++pos) {
        if (!IsBlank(line[pos]))
            return false;
    }
    return true;
}

std::vector<BYTE> StringData(const RegName& text) {
    std::vector<BYTE> data;
    data.reserve((text.size() + 1) * 2);
    for (char16_t c : text) {
        data.push_back(static_cast<BYTE>(c & 0xFF));
        data.push_back(static_cast<BYTE>(c >> 8));
    }
    data.push_back(0);
    data.push_back(0);
    return data;
}

class Parser {
  public:
    Parser(const std::string& text, RegKey& root, RegFileHeader& header)
        : m_text(text), m_reader(text), m_root(root), m_header(header) {}

    bool Run(int& errorLine, std::string& reason) {
        bool ok = ParseAll();
        if (ok) {
            CloseBlock(m_reader.Position());
            // A key written twice in the file is written back once, from memory.
            for (RegKey* key : m_repeated)
                key->fileText.clear();
        }
        if (!ok) {
            errorLine = m_reader.Number() ? m_reader.Number() : 1;
            reason = m_reason;
        }
        return ok;
    }

  private:
    bool Fail(const char* reason) {
        m_reason = reason;
        return false;
    }

    bool ParseAll() {
        std::string line;
        if (!m_reader.Next(line))
            return Fail("the file is empty");
        while (!line.empty() && IsBlank(line.back()))
            line.pop_back();
        if (line != kHeaderLine)
            return Fail("it does not begin with \"WINE REGISTRY Version 2\"");
        m_blockEnd = m_reader.Position();
        while (m_reader.Next(line)) {
            if (line.find('\0') != std::string::npos)
                return Fail("a zero byte in the text");
            size_t pos = 0;
            while (pos < line.size() && IsBlank(line[pos]))
                ++pos;
            if (pos == line.size())
                continue;
            char c = line[pos];
            bool ok = true;
            if (c == '[')
                CloseBlock(m_reader.LineStart());
            if (c == ';')
                ok = ParseComment(line, pos);
            else if (c == '#')
                ok = ParseOption(line, pos);
            else if (c == '[')
                ok = ParseKey(line, pos + 1);
            else if (c == '@' || c == '"')
                ok = ParseValue(line, pos);
            else
                ok = Fail("a line that is neither key, value, option nor comment");
            if (!ok)
                return false;
            m_blockEnd = m_reader.Position();
        }
        return true;
    }

    // The text from m_blockStart to end, ending in a line feed.
    std::string TextUpTo(size_t end) const {
        std::string text = m_text.substr(m_blockStart, end - m_blockStart);
        if (!text.empty() && text.back() != '\n')
            text += '\n';
        return text;
    }

    // Ends the lines of the key read last (or the header) where the next key's line begins.
    void CloseBlock(size_t nextStart) {
        if (!m_key) {
            if (m_header.fileText.empty())
                m_header.fileText = TextUpTo(m_blockEnd);
        } else if (!m_seen.insert(m_key).second) {
            m_repeated.push_back(m_key);
        } else {
            m_key->fileText = TextUpTo(m_blockEnd);
        }
        m_blockStart = nextStart;
        m_blockEnd = nextStart;
    }

    bool ParseComment(const std::string& line, size_t pos) {
        if (m_header.relativeTo.empty() && StartsWith(line, pos, kRelativePrefix))
            m_header.relativeTo = line.substr(pos + std::strlen(kRelativePrefix));
        return true;
    }

    bool ParseOption(const std::string& line, size_t pos) {
        if (StartsWith(line, pos, "#arch=")) {
            if (!m_key)
                m_header.arch = line.substr(pos + 6);
            return true;
        }
        if (!m_key)
            return true; // other options before the first key mean nothing to us
        if (StartsWith(line, pos, "#time=")) {
            pos += 6;
            uint64_t ticks = 0;
            if (!ParseHexNumber(line, pos, ticks, 16))
                return Fail("a malformed #time line");
            m_key->modified = ticks;
        } else if (StartsWith(line, pos, "#class=\"")) {
            pos += 8;
            RegName name;
            if (!ParseEscaped(line, pos, '"', name))
                return Fail("an unterminated class name");
            m_key->className = name;
            m_key->hasClass = true;
        } else if (StartsWith(line, pos, "#link")) {
            m_key->isLink = true;
        }
        return true;
    }

    bool ParseKey(const std::string& line, size_t pos) {
        RegName path;
        if (!ParseEscaped(line, pos, ']', path))
            return Fail("a key name without its closing bracket");
        RegKey* key = &m_root;
        size_t start = 0;
        size_t depth = 0;
        while (!path.empty() && start <= path.size()) {
            if (++depth > kMaxRegKeyDepth)
                return Fail("a key nested deeper than 512 levels");
            size_t end = path.find(u'\\', start);
            if (end == RegName::npos)
                end = path.size();
            RegName component = path.substr(start, end - start);
            if (component.empty())
                return Fail("an empty key name in a path");
            if (component.size() > kMaxRegKeyNameLength)
                return Fail("a key name longer than 255 characters");
            bool created = false;
            key = key->AddSubkey(component, 0, created);
            start = end + 1;
        }
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        uint64_t seconds = 0;
        bool hasTime = false;
        while (pos < line.size() && line[pos] >= '0' && line[pos] <= '9' &&
               seconds < (1ULL << 40)) {
            seconds = seconds * 10 + (line[pos++] - '0');
            hasTime = true;
        }
        if (hasTime)
            key->modified = kTicks1601To1970 + seconds * kTicksPerSecond;
        m_key = key;
        return true;
    }

    bool ParseValue(const std::string& line, size_t pos) {
        if (!m_key)
            return Fail("a value before the first key");
        RegName name;
        if (line[pos] == '@') {
            ++pos;
        } else {
            ++pos;
            if (!ParseEscaped(line, pos, '"', name))
                return Fail("an unterminated value name");
        }
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;
        if (pos >= line.size() || line[pos] != '=')
            return Fail("a value name without '='");
        ++pos;
        while (pos < line.size() && IsBlank(line[pos]))
            ++pos;

        DWORD type = REG_SZ;
        if (StartsWith(line, pos, "\"")) {
            return ParseStringData(line, pos + 1, name, REG_SZ);
        } else if (StartsWith(line, pos, "str:\"")) {
            return ParseStringData(line, pos + 5, name, REG_SZ);
        } else if (StartsWith(line, pos, "str(")) {
            pos += 4;
            if (!ParseTypeNumber(line, pos, type) || !StartsWith(line, pos, ":\""))
                return Fail("a malformed str( type");
            return ParseStringData(line, pos + 2, name, type);
        } else if (StartsWith(line, pos, "dword:")) {
            pos += 6;
            uint64_t number = 0;
            if (!ParseHexNumber(line, pos, number, 8) || !RestIsBlank(line, pos))
                return Fail("a malformed dword value");
            std::vector<BYTE> data(4);
            for (int i = 0; i < 4; ++i)
                data[i] = static_cast<BYTE>(number >> (8 * i));
            m_key->SetValue(name, REG_DWORD, std::move(data));
            return true;
        } else if (StartsWith(line, pos, "hex:")) {
            return ParseHexData(line, pos + 4, name, REG_BINARY);
        } else if (StartsWith(line, pos, "hex(")) {
            pos += 4;
            if (!ParseTypeNumber(line, pos, type) || !StartsWith(line, pos, ":"))
                return Fail("a malformed hex( type");
            return ParseHexData(line, pos + 1, name, type);
        }
        return Fail("value data of an unknown form");
    }

    bool ParseTypeNumber(const std::string& line, size_t& pos, DWORD& type) {
        uint64_t number = 0;
        if (!ParseHexNumber(line, pos, number, 8) || pos >= line.size() || line[pos] != ')')
            return false;
        ++pos;
        type = static_cast<DWORD>(number);
        return true;
    }

    bool ParseStringData(const std::string& line, size_t pos, const RegName& name, DWORD type) {
        RegName text;
        if (!ParseEscaped(line, pos, '"', text))
            return Fail("an unterminated string");
        m_key->SetValue(name, type, StringData(text));
        return true;
    }

    // Bytes in hex separated by commas; a line that ends in a backslash goes on in the next.
    bool ParseHexData(std::string line, size_t pos, const RegName& name, DWORD type) {
        std::vector<BYTE> data;
        bool expectByte = true;
        for (;;) {
            while (pos < line.size() && IsBlank(line[pos]))
                ++pos;
            if (pos >= line.size())
                break;
            char c = line[pos];
            if (c == '\\' && RestIsBlank(line, pos + 1)) {
                if (!m_reader.Next(line))
                    return Fail("hex data continued past the end of the file");
                pos = 0;
                continue;
            }
            if (expectByte) {
                uint64_t number = 0;
                if (!ParseHexNumber(line, pos, number, 2))
                    return Fail("malformed hex data");
                data.push_back(static_cast<BYTE>(number));
                expectByte = false;
            } else if (c == ',') {
                ++pos;
                expectByte = true;
            } else {
                return Fail("malformed hex data");
            }
        }
        if (expectByte && !data.empty())
            return Fail("hex data ending in a comma");
        m_key->SetValue(name, type, std::move(data));
        return true;
    }

    const std::string& m_text;
    LineReader m_reader;
    RegKey& m_root;
    RegFileHeader& m_header;
    RegKey* m_key = nullptr;
    std::string m_reason;
    size_t m_blockStart = 0; // where the lines of the key read last (or the header) begin
    size_t m_blockEnd = 0;   // and where its last line that is not blank ends
    std::unordered_set<RegKey*> m_seen;
    std::vector<RegKey*> m_repeated;
};

const char kHexDigits[] = "0123456789abcdef";

// Appends value in hex without leading zeros (at least one digit), or in exactly width digits.
void AppendHex(std::string& out, uint64_t value, int width = 0) {
    char buffer[16];
    int count = 0;
    do {
        buffer[count++] = kHexDigits[value & 0xF];
        value >>= 4;
    } while ((width ? count < width : value != 0) && count < 16);
    while (count > 0)
        out += buffer[--count];
}

void AppendDecimal(std::string& out, uint64_t value) {
    char buffer[24];
    int count = 0;
    do {
        buffer[count++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (count > 0)
        out += buffer[--count];
}

// Escapes UTF-16 text as Wine does: the terminating zero of string data is left out, the two
// delimiter characters and the backslash get a backslash, characters above 127 become \x
// escapes (of four digits when a hex digit follows) and control characters C or octal escapes.
void AppendEscaped(std::string& out, const char16_t* text, size_t length, const char* delimiters) {
    static const char kEscapes[33] = ".......abtnvfr.............e....";
    for (size_t i = 0; i < length; ++i) {
        char16_t c = text[i];
        if (c >= 32 && c <= 127) {
            if (c == '\\' || c == delimiters[0] || c == delimiters[1])
                out += '\\';
            out += static_cast<char>(c);
            continue;
        }
        bool last = i + 1 == length;
        if (c > 127) {
            bool hexFollows =
                !last && text[i + 1] < 128 && IsHexDigit(static_cast<char>(text[i + 1]));
            out += "\\x";
            AppendHex(out, c, hexFollows ? 4 : 0);
        } else if (c == 0 && last) {
            continue;
        } else if (kEscapes[c] != '.') {
            out += '\\';
            out += kEscapes[c];
        } else {
            bool octalFollows = !last && text[i + 1] >= u'0' && text[i + 1] <= u'7';
            out += '\\';
            if (octalFollows) {
                out += static_cast<char>('0' + ((c >> 6) & 7));
                out += static_cast<char>('0' + ((c >> 3) & 7));
            } else if (c >= 8) {
                out += static_cast<char>('0' + ((c >> 3) & 7));
            }
            out += static_cast<char>('0' + (c & 7));
        }
    }
}

bool IsWellFormedString(const RegValue& value) {
    size_t size = value.data.size();
    return size >= 2 && size % 2 == 0 && value.data[size - 2] == 0 && value.data[size - 1] == 0;
}

RegName DataAsText(const std::vector<BYTE>& data) {
    RegName text;
    text.reserve(data.size() / 2);
    for (size_t i = 0; i + 1 < data.size(); i += 2)
        text.push_back(static_cast<char16_t>(data[i] | (data[i + 1] << 8)));
    return text;
}

void AppendValue(std::string& out, const RegValue& value) {
    size_t lineStart = out.size();
    if (value.name.empty()) {
        out += "@=";
    } else {
        out += '"';
        AppendEscaped(out, value.name.data(), value.name.size(), "\"\"");
        out += "\"=";
    }
    DWORD type = value.type;
    if ((type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) &&
        IsWellFormedString(value)) {
        if (type != REG_SZ) {
            out += "str(";
            AppendHex(out, type);
            out += "):";
        }
        out += '"';
        RegName text = DataAsText(value.data);
        AppendEscaped(out, text.data(), text.size(), "\"\"");
        out += "\"\n";
        return;
    }
    if (type == REG_DWORD && value.data.size() == 4) {
        uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                          (static_cast<uint32_t>(value.data[3]) << 24);
        out += "dword:";
        AppendHex(out, number, 8);
        out += '\n';
        return;
    }
    if (type == REG_BINARY) {
        out += "hex:";
    } else {
        out += "hex(";
        AppendHex(out, type);
        out += "):";
    }
    // Wine wraps long data after the comma that passes column 76 and indents by two.
    size_t count = out.size() - lineStart;
    size_t size = value.data.size();
    for (size_t i = 0; i < size; ++i) {
        out += kHexDigits[value.data[i] >> 4];
        out += kHexDigits[value.data[i] & 0xF];
        count += 2;
        if (i + 1 < size) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    out += '\n';
}

// The key's line with its time stamp, its class, link mark and values.
void AppendOwnLines(std::string& out, const RegKey& key, const std::string& path) {
    if (!key.fileText.empty()) {
        out += '\n';
        out += key.fileText;
        return;
    }
    out += "\n[";
    out += path;
    out += "] ";
    uint64_t seconds =
        key.modified > kTicks1601To1970 ? (key.modified - kTicks1601To1970) / kTicksPerSecond : 0;
    AppendDecimal(out, seconds & 0xFFFFFFFFu);
    out += "\n#time=";
    AppendHex(out, key.modified >> 32);
    AppendHex(out, key.modified & 0xFFFFFFFFu, 8);
    out += '\n';
    if (key.hasClass) {
        out += "#class=\"";
        AppendEscaped(out, key.className.data(), key.className.size(), "\"\"");
        out += "\"\n";
    }
    if (key.isLink)
        out += "#link\n";
    for (const auto& value : key.values)
        AppendValue(out, value);
}

bool HasOwnLines(const RegKey& key) {
    return !key.fileText.empty() || !key.values.empty() || key.subkeys.empty() || key.hasClass ||
           key.isLink;
}

// Wine orders subkeys by their lower-case names, so that "_A" comes before "B"; the keys in
// memory are ordered by their upper-case form. Writing in Wine's order keeps a file that Wine
// wrote in the order it had.
bool WineNameOrder(const RegName& a, const RegName& b) {
    auto lower = [](char16_t c) {
        return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c;
    };
    size_t common = std::min(a.size(), b.size());
    for (size_t i = 0; i < common; ++i) {
        char16_t x = lower(a[i]);
        char16_t y = lower(b[i]);
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

// The subkeys of key in the order Wine writes them.
std::vector<const RegKey*> OrderedSubkeys(const RegKey& key) {
    std::vector<std::pair<const RegName*, const RegKey*>> entries;
    entries.reserve(key.subkeys.size());
    bool sorted = true;
    for (const auto& entry : key.subkeys) {
        if (!entries.empty() && WineNameOrder(entry.first, *entries.back().first))
            sorted = false;
        entries.emplace_back(&entry.first, entry.second.get());
    }
    if (!sorted)
        std::stable_sort(entries.begin(), entries.end(), [](const auto& x, const auto& y) {
            return WineNameOrder(*x.first, *y.first);
        });
    std::vector<const RegKey*> ordered;
    ordered.reserve(entries.size());
    for (const auto& entry : entries)
        ordered.push_back(entry.second);
    return ordered;
}

// Writes root and the keys below it, depth first in name order. The walk keeps its own stack,
// so that a deep tree costs memory, not the program's stack.
void AppendTree(std::string& out, const RegKey& root) {
    struct Level {
        std::vector<const RegKey*> subkeys;
        size_t next;
        size_t pathLength; // of the key's own path, before a child's name is added
    };
    std::string path;
    std::vector<Level> stack;
    if (root.isVolatile)
        return;
    if (HasOwnLines(root))
        AppendOwnLines(out, root, path);
    stack.push_back(Level{OrderedSubkeys(root), 0, 0});
    while (!stack.empty()) {
        Level& level = stack.back();
        if (level.next == level.subkeys.size()) {
            stack.pop_back();
            continue;
        }
        const RegKey& child = *level.subkeys[level.next++];
        if (child.isVolatile)
            continue;
        path.resize(level.pathLength);
        if (!path.empty())
            path += "\\\\";
        AppendEscaped(path, child.name.data(), child.name.size(), "[]");
        if (HasOwnLines(child))
            AppendOwnLines(out, child, path);
        size_t childLength = path.size();
        stack.push_back(Level{OrderedSubkeys(child), 0, childLength});
    }
}

} // namespace

bool ParseRegistryFile(const std::string& text, RegKey& root, RegFileHeader& header, int& errorLine,
                       std::string& reason) {
    Parser parser(text, root, header);
    return parser.Run(errorLine, reason);
}

std::string FormatRegistryFile(const RegKey& root, const RegFileHeader& header) {
    std::string out;
    out.reserve(1 << 20);
    if (!header.fileText.empty()) {
        out += header.fileText;
    } else {
        out += kHeaderLine;
        out += '\n';
        out += kRelativePrefix;
        out += header.relativeTo;
        out += "\n\n#arch=";
        out += header.arch.empty() ? "win32" : header.arch;
        out += '\n';
    }
    AppendTree(out, root);
    return out;
}

} // namespace host::detail
