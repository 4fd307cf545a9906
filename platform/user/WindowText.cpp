// The window manager's text helpers: characters of the ANSI code page, where a lead byte and
// the byte after it are one character. Case changes know the letters of the code page: ASCII,
// in code page 1252 the accented Latin letters too, in code page 932 the full-width Latin,
// Greek and Cyrillic letters (double-byte characters) too.
#include "user/WindowSystem.h"

using namespace win;

namespace {

// The capital of a small letter (toUpper) or the small letter of a capital, or the code
// itself. code is a byte, or lead byte << 8 | trail byte.
unsigned ChangeLetter(unsigned code, bool toUpper) {
    struct Range {
        unsigned capital, small, count;
    };
    static const Range kAscii[] = {{'A', 'a', 26}};
    static const Range k1252[] = {{'A', 'a', 26},  {0xC0, 0xE0, 23}, {0xD8, 0xF8, 7},
                                  {0x8A, 0x9A, 1}, {0x8C, 0x9C, 1},  {0x8E, 0x9E, 1},
                                  {0x9F, 0xFF, 1}};
    static const Range k932[] = {{'A', 'a', 26},
                                 {0x8260, 0x8281, 26},
                                 {0x839F, 0x83BF, 24},
                                 {0x8440, 0x8470, 15},
                                 {0x844F, 0x8480, 18}};
    const Range* ranges = kAscii;
    size_t count = 1;
    UINT codePage = GetACP();
    if (codePage == 1252) {
        ranges = k1252;
        count = sizeof k1252 / sizeof k1252[0];
    } else if (codePage == 932) {
        ranges = k932;
        count = sizeof k932 / sizeof k932[0];
    }
    for (size_t i = 0; i < count; ++i) {
        const Range& r = ranges[i];
        unsigned from = toUpper ? r.small : r.capital;
        unsigned to = toUpper ? r.capital : r.small;
        if (code >= from && code < from + r.count)
            return to + (code - from);
    }
    return code;
}

LPSTR ChangeCase(LPSTR text, bool toUpper) {
    if (text == nullptr)
        return nullptr;
    if (IS_INTRESOURCE(text)) {
        // A single character passed in the low word.
        unsigned c = static_cast<unsigned>(reinterpret_cast<uintptr_t>(text) & 0xFF);
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(ChangeLetter(c, toUpper) & 0xFF));
    }
    for (char* p = text; *p != '\0'; ++p) {
        BYTE byte = static_cast<BYTE>(*p);
        if (IsLeadByte(byte)) {
            if (p[1] == '\0')
                break;
            unsigned code = (static_cast<unsigned>(byte) << 8) | static_cast<BYTE>(p[1]);
            unsigned changed = ChangeLetter(code, toUpper);
            p[0] = static_cast<char>(changed >> 8);
            p[1] = static_cast<char>(changed & 0xFF);
            ++p;
            continue;
        }
        *p = static_cast<char>(ChangeLetter(byte, toUpper));
    }
    return text;
}

} // namespace

LPSTR WINAPI CharUpperA(LPSTR text) {
    return ChangeCase(text, true);
}

LPSTR WINAPI CharLowerA(LPSTR text) {
    return ChangeCase(text, false);
}

LPSTR WINAPI CharNextA(LPCSTR current) {
    if (current == nullptr)
        return nullptr;
    if (*current == '\0')
        return const_cast<LPSTR>(current);
    if (IsLeadByte(static_cast<BYTE>(*current)) && current[1] != '\0')
        return const_cast<LPSTR>(current + 2);
    return const_cast<LPSTR>(current + 1);
}

LPSTR WINAPI CharPrevA(LPCSTR start, LPCSTR current) {
    if (start == nullptr || current == nullptr || current <= start)
        return const_cast<LPSTR>(start);
    LPCSTR p = start;
    LPCSTR previous = start;
    while (p < current) {
        previous = p;
        LPCSTR next = CharNextA(p);
        if (next == p)
            break;
        p = next;
    }
    return const_cast<LPSTR>(previous);
}
