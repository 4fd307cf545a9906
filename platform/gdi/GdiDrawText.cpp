// DrawTextA: mnemonic prefixes, line breaks, word wrapping and alignment in a rectangle.
#include "GdiDevice.h"
#include "kernel/MachineState.h"

#include <algorithm>
#include <cstring>

namespace gdi {
namespace {

// One character of the text as shown: one or two bytes, and whether it is the mnemonic.
struct Glyph {
    char bytes[2];
    int length;
    bool underline;
    bool Space() const { return length == 1 && bytes[0] == ' '; }
    bool LineBreak() const { return length == 1 && (bytes[0] == '\n' || bytes[0] == '\r'); }
};
using Line = std::vector<Glyph>;

bool IsHalfWidthKatakana(const Glyph& glyph, UINT codePage) {
    unsigned char c = static_cast<unsigned char>(glyph.bytes[0]);
    return glyph.length == 1 && codePage == 932 && c >= 0xA1 && c <= 0xDF;
}

bool IsJapanese(const Glyph& glyph, UINT codePage) {
    return glyph.length == 2 || IsHalfWidthKatakana(glyph, codePage);
}

// A set of characters, each one or two bytes (lead bytes of code page 932 start pairs), made
// once from a list so that a glyph is found by one look instead of a walk through the list.
class CGlyphSet {
  public:
    explicit CGlyphSet(const char* list) {
        for (size_t i = 0; list[i];) {
            unsigned char c = static_cast<unsigned char>(list[i]);
            if (((c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC)) && list[i + 1]) {
                m_pairs.push_back(Pair(list[i], list[i + 1]));
                i += 2;
            } else {
                m_single[c] = true;
                ++i;
            }
        }
        std::sort(m_pairs.begin(), m_pairs.end());
    }

    bool Contains(const Glyph& glyph) const {
        if (glyph.length == 1)
            return m_single[static_cast<unsigned char>(glyph.bytes[0])];
        return std::binary_search(m_pairs.begin(), m_pairs.end(),
                                  Pair(glyph.bytes[0], glyph.bytes[1]));
    }

  private:
    static unsigned Pair(char lead, char trail) {
        return static_cast<unsigned>(static_cast<unsigned char>(lead)) << 8 |
               static_cast<unsigned char>(trail);
    }
    bool m_single[256] = {};
    std::vector<unsigned> m_pairs;
};

// Characters that never begin a line (closing marks, small kana, the prolonged sound mark) and
// that never end one (opening marks), in code page 932, and their ASCII counterparts.
bool NeverBeginsLine(const Glyph& glyph, UINT codePage) {
    static const CGlyphSet kAsciiClosing(")]}.,!?:;%");
    if (glyph.length == 1 && static_cast<unsigned char>(glyph.bytes[0]) < 0x80)
        return kAsciiClosing.Contains(glyph);
    if (codePage != 932)
        return false;
    static const CGlyphSet kClosing(
        "\x81\x41\x81\x42\x81\x43\x81\x44\x81\x45\x81\x46\x81\x47\x81\x48\x81\x49\x81\x5B"
        "\x81\x6A\x81\x6E\x81\x70\x81\x72\x81\x74\x81\x76\x81\x78\x81\x7A\x81\x52\x81\x53"
        "\x81\x54\x81\x55\x81\x58\x82\x9F\x82\xA1\x82\xA3\x82\xA5\x82\xA7\x82\xC1\x82\xE1"
        "\x82\xE3\x82\xE5\x82\xEC\x83\x40\x83\x42\x83\x44\x83\x46\x83\x48\x83\x62\x83\x83"
        "\x83\x85\x83\x87\x83\x8E\x83\x95\x83\x96"
        "\xA1\xA3\xA4\xA5\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xDE\xDF");
    return kClosing.Contains(glyph);
}

bool NeverEndsLine(const Glyph& glyph, UINT codePage) {
    static const CGlyphSet kAsciiOpening("([{");
    if (glyph.length == 1 && static_cast<unsigned char>(glyph.bytes[0]) < 0x80)
        return kAsciiOpening.Contains(glyph);
    if (codePage != 932)
        return false;
    static const CGlyphSet kOpening("\x81\x69\x81\x6D\x81\x6F\x81\x71\x81\x73\x81\x75\x81\x77"
                                    "\x81\x79\xA2");
    return kOpening.Contains(glyph);
}

// Whether a line may break between two characters (the break drops spaces around it).
bool MayBreakBetween(const Glyph& before, const Glyph& after, UINT codePage) {
    if (after.Space())
        return false;
    if (before.Space())
        return !NeverBeginsLine(after, codePage);
    if (!IsJapanese(before, codePage) && !IsJapanese(after, codePage))
        return false;
    return !NeverBeginsLine(after, codePage) && !NeverEndsLine(before, codePage);
}

std::vector<Glyph> Parse(const char* text, int count, UINT format) {
    std::vector<Glyph> glyphs;
    bool prefixes = !(format & DT_NOPREFIX);
    bool underlineNext = false;
    glyphs.reserve(std::min<size_t>(static_cast<size_t>(count), 1024));
    for (int i = 0; i < count;) {
        if (prefixes && text[i] == '&') {
            if (i + 1 < count && text[i + 1] == '&') {
                glyphs.push_back(Glyph{{'&', 0}, 1, underlineNext});
                underlineNext = false;
                i += 2;
                continue;
            }
            underlineNext = !(format & DT_HIDEPREFIX);
            ++i;
            continue;
        }
        Glyph glyph{{text[i], 0}, 1, underlineNext};
        if (IsLeadByteAt(text, i, count)) {
            glyph.bytes[1] = text[i + 1];
            glyph.length = 2;
        }
        underlineNext = false;
        glyphs.push_back(glyph);
        i += glyph.length;
    }
    return glyphs;
}

int Width(const Line& line) {
    int cells = 0;
    for (const Glyph& glyph : line)
        cells += glyph.length;
    return cells * kCellWidth;
}

void ExpandTabs(Line& line, UINT format) {
    if (std::none_of(line.begin(), line.end(), [](const Glyph& glyph) {
            return glyph.length == 1 && glyph.bytes[0] == '\t';
        }))
        return;
    Line expanded;
    expanded.reserve(line.size());
    int cells = 0;
    for (const Glyph& glyph : line) {
        if (glyph.length == 1 && glyph.bytes[0] == '\t') {
            int spaces = (format & DT_EXPANDTABS) ? 8 - cells % 8 : 1;
            for (int i = 0; i < spaces; ++i)
                expanded.push_back(Glyph{{' ', 0}, 1, false});
            cells += spaces;
            continue;
        }
        expanded.push_back(glyph);
        cells += glyph.length;
    }
    line.swap(expanded);
}

// Breaks one paragraph into lines no wider than maxWidth where it can; a word that is wider
// than the rectangle stays whole and is clipped.
void Wrap(const Line& paragraph, int maxWidth, std::vector<Line>& lines) {
    int maxCells = maxWidth / kCellWidth;
    UINT codePage = host::detail::AnsiCodePage();
    size_t start = 0;
    while (true) {
        size_t end = start;
        int cells = 0;
        size_t lastBreak = 0; // a position after start where the line may end
        while (end < paragraph.size()) {
            const Glyph& glyph = paragraph[end];
            if (end > start && MayBreakBetween(paragraph[end - 1], glyph, codePage))
                lastBreak = end;
            if (cells + glyph.length > maxCells && !glyph.Space() && end > start) {
                if (lastBreak > start)
                    break;
            }
            cells += glyph.length;
            ++end;
        }
        if (end >= paragraph.size()) {
            lines.emplace_back(paragraph.begin() + static_cast<long>(start), paragraph.end());
            while (!lines.back().empty() && lines.back().back().Space())
                lines.back().pop_back();
            return;
        }
        Line line(paragraph.begin() + static_cast<long>(start),
                  paragraph.begin() + static_cast<long>(lastBreak));
        while (!line.empty() && line.back().Space())
            line.pop_back();
        lines.push_back(line);
        start = lastBreak;
        while (start < paragraph.size() && paragraph[start].Space())
            ++start;
        if (start >= paragraph.size())
            return;
    }
}

void AddEllipsis(Line& line, int maxWidth) {
    if (Width(line) <= maxWidth)
        return;
    int cells = maxWidth / kCellWidth - 3;
    Line cut;
    int used = 0;
    for (const Glyph& glyph : line) {
        if (used + glyph.length > cells)
            break;
        cut.push_back(glyph);
        used += glyph.length;
    }
    for (int i = 0; i < 3; ++i)
        cut.push_back(Glyph{{'.', 0}, 1, false});
    line.swap(cut);
}

// The ellipsis character of the code page: one glyph, two cells in code page 932.
Glyph EllipsisGlyph() {
    switch (host::detail::AnsiCodePage()) {
    case 932:
        return Glyph{{'\x81', '\x63'}, 2, false};
    case 1252:
        return Glyph{{'\x85', 0}, 1, false};
    default:
        return Glyph{{'.', 0}, 1, false};
    }
}

bool IsBackslash(const Glyph& glyph) {
    return glyph.length == 1 && glyph.bytes[0] == '\\';
}

// A path too long for its line keeps its start (the drive) and its last part (the file name,
// or the last folder of a directory) and loses characters in the middle to an ellipsis.
void AddPathEllipsis(Line& line, int maxWidth) {
    if (Width(line) <= maxWidth)
        return;
    size_t last = line.size();
    size_t search = line.size();
    if (search > 0 && IsBackslash(line[search - 1]))
        --search; // a directory: keep its last folder
    for (size_t i = search; i-- > 0;)
        if (IsBackslash(line[i])) {
            last = i;
            break;
        }
    size_t firstEnd = 0; // after the first backslash: "C:\"
    for (size_t i = 0; i < line.size(); ++i)
        if (IsBackslash(line[i])) {
            firstEnd = i + 1;
            break;
        }
    if (last >= line.size() || firstEnd == 0 || firstEnd > last) {
        AddEllipsis(line, maxWidth);
        return;
    }
    Glyph ellipsis = EllipsisGlyph();
    Line tail(line.begin() + static_cast<long>(last), line.end());
    int room = maxWidth / kCellWidth - ellipsis.length - Width(tail) / kCellWidth;
    Line cut;
    int used = 0;
    for (size_t i = 0; i < last; ++i) {
        if (used + line[i].length > room)
            break;
        cut.push_back(line[i]);
        used += line[i].length;
    }
    if (cut.size() < firstEnd) {
        // Not even the drive fits before the last part: the last part is cut at its end.
        cut.assign(line.begin(), line.begin() + static_cast<long>(firstEnd));
        cut.push_back(ellipsis);
        cut.insert(cut.end(), tail.begin(), tail.end());
        AddEllipsis(cut, maxWidth);
        line.swap(cut);
        return;
    }
    cut.push_back(ellipsis);
    cut.insert(cut.end(), tail.begin(), tail.end());
    line.swap(cut);
}

std::vector<Line> Layout(const std::vector<Glyph>& glyphs, int maxWidth, UINT format) {
    std::vector<Line> lines;
    if (format & DT_SINGLELINE) {
        Line line(glyphs);
        for (Glyph& glyph : line)
            if (glyph.LineBreak())
                glyph.bytes[0] = ' ';
        ExpandTabs(line, format);
        if (format & DT_PATH_ELLIPSIS)
            AddPathEllipsis(line, maxWidth);
        else if (format & DT_END_ELLIPSIS)
            AddEllipsis(line, maxWidth);
        lines.push_back(std::move(line));
        return lines;
    }
    Line paragraph;
    for (size_t i = 0; i <= glyphs.size(); ++i) {
        bool end = i == glyphs.size();
        if (!end && !glyphs[i].LineBreak()) {
            paragraph.push_back(glyphs[i]);
            continue;
        }
        ExpandTabs(paragraph, format);
        if (format & DT_WORDBREAK)
            Wrap(paragraph, maxWidth, lines);
        else
            lines.push_back(paragraph);
        paragraph.clear();
        if (end)
            break;
        // "\r\n" is one line break.
        if (glyphs[i].bytes[0] == '\r' && i + 1 < glyphs.size() && glyphs[i + 1].bytes[0] == '\n')
            ++i;
    }
    return lines;
}

// Whether the text is one line drawn as it stands: no mnemonic, tab or line break to work
// out, and nothing to wrap, cut or trim. Its width in cells is then its length in bytes.
bool IsPlainLine(const char* text, int count, int maxWidth, UINT format) {
    if (count <= 0)
        return false;
    for (int i = 0; i < count; ++i) {
        char c = text[i];
        if (c == '&' || c == '\t' || c == '\r' || c == '\n' || c == '\0')
            return false;
    }
    bool fits = count * kCellWidth <= maxWidth;
    if ((format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS)) && !fits)
        return false;
    // A wrapped line loses the blanks it ends with.
    if (!(format & DT_SINGLELINE) && (format & DT_WORDBREAK) && (!fits || text[count - 1] == ' '))
        return false;
    return true;
}

} // namespace
} // namespace gdi

using namespace gdi;

int WINAPI DrawTextA(HDC hdc, LPCSTR text, int count, LPRECT rect, UINT format) {
    DeviceContext* dc = FindDC(hdc);
    if (!dc || !rect || (!text && count != 0))
        return 0;
    if (count < 0)
        count = static_cast<int>(strnlen(text, 0x7FFFFFFF));
    int maxWidth = rect->right - rect->left;
    if (IsPlainLine(text, count, maxWidth, format)) {
        // The common case, a label or a path that fits, without laying it out glyph by glyph.
        int width = count * kCellWidth;
        if (format & DT_CALCRECT) {
            rect->right = rect->left + width;
            rect->bottom = rect->top + kCellHeight;
            return kCellHeight;
        }
        int top = rect->top;
        if ((format & DT_SINGLELINE) && (format & DT_VCENTER))
            top = rect->top + (rect->bottom - rect->top - kCellHeight) / 2;
        else if ((format & DT_SINGLELINE) && (format & DT_BOTTOM))
            top = rect->bottom - kCellHeight;
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (maxWidth - width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - width;
        RECT limit = dc->ToScreen(*rect);
        if (!(format & DT_PREFIXONLY))
            PaintText(*dc, dc->ScreenX(x), dc->ScreenY(top), text, count,
                      (format & DT_NOCLIP) ? nullptr : &limit, dc->state.backgroundMode == OPAQUE,
                      nullptr);
        return (format & DT_SINGLELINE) ? top - rect->top + kCellHeight : kCellHeight;
    }
    std::vector<Glyph> glyphs = Parse(text, count, format);
    std::vector<Line> lines = Layout(glyphs, maxWidth, format);
    int height = static_cast<int>(lines.size()) * kCellHeight;

    if (format & DT_CALCRECT) {
        int widest = 0;
        for (const Line& line : lines)
            widest = std::max(widest, Width(line));
        rect->right = rect->left + widest;
        rect->bottom = rect->top + height;
        return height;
    }

    if ((format & DT_END_ELLIPSIS) && !(format & DT_SINGLELINE)) {
        // Wrapped text with more lines than the rectangle holds ends, cut, with an ellipsis on
        // the last line shown; a line too wide for it (one long word) ends with one as well.
        size_t shown =
            static_cast<size_t>(std::max<LONG>(1, (rect->bottom - rect->top) / kCellHeight));
        if (lines.size() > shown) {
            lines.resize(shown);
            Line& last = lines.back();
            Glyph ellipsis = EllipsisGlyph();
            while (!last.empty() && Width(last) + ellipsis.length * kCellWidth > maxWidth)
                last.pop_back();
            last.push_back(ellipsis);
        }
        for (Line& line : lines)
            AddEllipsis(line, maxWidth);
    }
    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - kCellHeight) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - kCellHeight;
    }
    RECT limit = dc->ToScreen(*rect);
    const RECT* clip = (format & DT_NOCLIP) ? nullptr : &limit;
    bool opaque = dc->state.backgroundMode == OPAQUE;
    int y = top;
    for (const Line& line : lines) {
        int width = Width(line);
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (maxWidth - width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - width;
        std::string bytes;
        std::vector<bool> underline;
        bytes.reserve(line.size() * 2);
        bool underlined = false;
        for (const Glyph& glyph : line) {
            bytes.append(glyph.bytes, static_cast<size_t>(glyph.length));
            underlined = underlined || glyph.underline;
        }
        // Only a line with the mnemonic needs to say which of its bytes are underlined.
        if (underlined) {
            underline.reserve(bytes.size());
            for (const Glyph& glyph : line)
                for (int i = 0; i < glyph.length; ++i)
                    underline.push_back(glyph.underline);
        }
        if (!(format & DT_PREFIXONLY))
            PaintText(*dc, dc->ScreenX(x), dc->ScreenY(y), bytes.data(),
                      static_cast<int>(bytes.size()), clip, opaque,
                      underlined ? &underline : nullptr);
        y += kCellHeight;
    }
    if (format & DT_SINGLELINE)
        return top - rect->top + kCellHeight;
    return height;
}
