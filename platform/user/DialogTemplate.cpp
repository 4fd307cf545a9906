#include "user/DialogTemplate.h"

#include "kernel/ResourceText.h"

#include <strings.h>

namespace res {

namespace {

constexpr DWORD kSetFont = 0x40;       // DS_SETFONT
constexpr WORD kExtendedMark = 0xFFFF; // the signature word of a DLGTEMPLATEEX

// Reads the little-endian fields of a template without ever stepping past its end. Every
// read fails once the data ran out, so a parse can check once per record.
class TemplateReader {
  public:
    TemplateReader(const BYTE* data, size_t size) : m_data(data), m_size(size) {}

    bool Ok() const { return m_ok; }
    size_t Pos() const { return m_pos; }

    WORD Word() {
        if (!m_ok || m_size - m_pos < 2) {
            m_ok = false;
            return 0;
        }
        WORD value = static_cast<WORD>(m_data[m_pos] | (m_data[m_pos + 1] << 8));
        m_pos += 2;
        return value;
    }
    DWORD Dword() {
        DWORD low = Word();
        DWORD high = Word();
        return low | (high << 16);
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte() {
        if (!m_ok || m_pos >= m_size) {
            m_ok = false;
            return 0;
        }
        return m_data[m_pos++];
    }
    // Items start on a DWORD boundary counted from the start of the template.
    void AlignDword() {
        size_t aligned = (m_pos + 3) & ~static_cast<size_t>(3);
        if (aligned > m_size) {
            m_ok = false;
            return;
        }
        m_pos = aligned;
    }
    // A zero-terminated UTF-16 string that starts with the word already read.
    std::string StringFrom(WORD first) {
        std::u16string text;
        for (WORD c = first; m_ok && c != 0; c = Word())
            text.push_back(static_cast<char16_t>(c));
        return m_ok ? host::detail::WideToAnsi(text.data(), text.size()) : std::string();
    }
    std::string String() { return StringFrom(Word()); }
    // The menu, class and text fields: nothing (0), an ordinal (0xFFFF and a number) or a
    // string.
    void StringOrOrdinal(bool& isOrdinal, WORD& ordinal, std::string& text) {
        WORD first = Word();
        isOrdinal = first == 0xFFFF;
        if (isOrdinal)
            ordinal = Word();
        else if (first != 0)
            text = StringFrom(first);
    }
    void Bytes(size_t count, std::vector<BYTE>& out) {
        if (!m_ok || m_size - m_pos < count) {
            m_ok = false;
            return;
        }
        out.assign(m_data + m_pos, m_data + m_pos + count);
        m_pos += count;
    }

  private:
    const BYTE* m_data;
    size_t m_size;
    size_t m_pos = 0;
    bool m_ok = true;
};

const char* const kPredefinedClasses[] = {"Button",  "Edit",      "Static",
                                          "ListBox", "ScrollBar", "ComboBox"};
constexpr WORD kFirstPredefinedAtom = 0x80;

std::string PredefinedClassName(WORD atom) {
    if (atom >= kFirstPredefinedAtom && atom < kFirstPredefinedAtom + 6)
        return kPredefinedClasses[atom - kFirstPredefinedAtom];
    return "#" + std::to_string(atom);
}

// Class names compare without regard to case; resource compilers write the predefined ones
// by name in any case ("BUTTON"), which is given the one spelling the atoms have.
std::string CanonicalClassName(const std::string& name) {
    for (const char* predefined : kPredefinedClasses)
        if (strcasecmp(name.c_str(), predefined) == 0)
            return predefined;
    return name;
}

bool ReadItem(TemplateReader& reader, bool extended, DialogItem& item) {
    reader.AlignDword();
    if (extended) {
        item.helpId = reader.Dword();
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
    } else {
        item.style = reader.Dword();
        item.exStyle = reader.Dword();
    }
    item.x = reader.Short();
    item.y = reader.Short();
    item.cx = reader.Short();
    item.cy = reader.Short();
    item.id = extended ? reader.Dword() : reader.Word();
    bool classIsOrdinal = false;
    WORD classAtom = 0;
    reader.StringOrOrdinal(classIsOrdinal, classAtom, item.className);
    item.className =
        classIsOrdinal ? PredefinedClassName(classAtom) : CanonicalClassName(item.className);
    reader.StringOrOrdinal(item.textIsOrdinal, item.textOrdinal, item.text);
    WORD extra = reader.Word();
    reader.Bytes(extra, item.creationData);
    return reader.Ok();
}

} // namespace

bool ParseDialogTemplate(const void* data, size_t size, DialogTemplate& out) {
    out = DialogTemplate();
    if (!data)
        return false;
    TemplateReader reader(static_cast<const BYTE*>(data), size);
    WORD first = reader.Word();
    WORD second = reader.Word();
    WORD count = 0;
    out.extended = first == 1 && second == kExtendedMark;
    if (out.extended) {
        out.helpId = reader.Dword();
        out.exStyle = reader.Dword();
        out.style = reader.Dword();
    } else {
        out.style = first | (static_cast<DWORD>(second) << 16);
        out.exStyle = reader.Dword();
    }
    count = reader.Word();
    out.x = reader.Short();
    out.y = reader.Short();
    out.cx = reader.Short();
    out.cy = reader.Short();
    reader.StringOrOrdinal(out.menuIsOrdinal, out.menuOrdinal, out.menu);
    reader.StringOrOrdinal(out.classIsOrdinal, out.classOrdinal, out.className);
    out.caption = reader.String();
    if (out.style & kSetFont) {
        out.pointSize = reader.Word();
        if (out.extended) {
            out.weight = reader.Word();
            out.italic = reader.Byte();
            out.charset = reader.Byte();
        }
        out.faceName = reader.String();
    }
    if (!reader.Ok()) {
        out = DialogTemplate();
        return false;
    }
    out.items.reserve(count < 256 ? count : 256);
    for (WORD i = 0; i < count; ++i) {
        DialogItem item;
        if (!ReadItem(reader, out.extended, item)) {
            out = DialogTemplate();
            return false;
        }
        out.items.push_back(std::move(item));
    }
    return true;
}

} // namespace res
