// The multibyte string functions of the C run-time, over the machine's ANSI code page.
#include "kernel/MachineState.h"

#include <mbstring.h>

using host::detail::IsAnsiLeadByte;

namespace {

// Bytes of the character at text: 2 for a lead byte with its trail, else 1. A lead byte right
// before the terminating zero stands alone, so no walk ever passes the end.
size_t CharLength(const unsigned char* text) {
    return IsAnsiLeadByte(text[0]) && text[1] != 0 ? 2 : 1;
}

unsigned int CharCode(const unsigned char* text, size_t length) {
    return length == 2 ? (static_cast<unsigned int>(text[0]) << 8) | text[1] : text[0];
}

unsigned char FoldAscii(unsigned char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

// Code page 932 has the Latin letters again at full width (Ａ 0x8260 to Ｚ 0x8279, ａ 0x8281 to
// ｚ 0x829A); the run-time folds their case too.
unsigned int FoldDoubleByte(unsigned int code) {
    if (code >= 0x8260 && code <= 0x8279 && host::detail::AnsiCodePage() == 932)
        return code + 0x21;
    return code;
}

bool IsDelimiter(const unsigned char* text, size_t length, const unsigned char* delimiters) {
    unsigned int code = CharCode(text, length);
    for (const unsigned char* d = delimiters; *d;) {
        size_t dLength = CharLength(d);
        if (CharCode(d, dLength) == code)
            return true;
        d += dLength;
    }
    return false;
}

// Compares character by character, ASCII letters folded, a double-byte character as a whole;
// limit counts bytes.
int CompareFolded(const unsigned char* a, const unsigned char* b, size_t limit) {
    size_t used = 0;
    while (used < limit) {
        size_t aLength = CharLength(a);
        size_t bLength = CharLength(b);
        // A double-byte character cut by the limit compares by its lead byte alone.
        if (used + aLength > limit)
            aLength = 1;
        if (used + bLength > limit)
            bLength = 1;
        unsigned int ca = aLength == 2 ? FoldDoubleByte(CharCode(a, 2)) : FoldAscii(a[0]);
        unsigned int cb = bLength == 2 ? FoldDoubleByte(CharCode(b, 2)) : FoldAscii(b[0]);
        // Order by the first byte, then by the second, as byte strings order.
        unsigned int firstA = aLength == 2 ? ca >> 8 : ca;
        unsigned int firstB = bLength == 2 ? cb >> 8 : cb;
        if (firstA != firstB)
            return firstA < firstB ? -1 : 1;
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (a[0] == 0)
            return 0;
        a += aLength;
        b += bLength;
        used += aLength;
    }
    return 0;
}

} // namespace

int _ismbblead(unsigned int byte) {
    // The run-time looks at the low byte alone.
    return IsAnsiLeadByte(static_cast<unsigned char>(byte & 0xFF)) ? 1 : 0;
}

unsigned char* _mbsinc(const unsigned char* str) {
    if (!str)
        return nullptr;
    return const_cast<unsigned char*>(str + CharLength(str));
}

unsigned char* _mbsdec(const unsigned char* start, const unsigned char* current) {
    if (!start || !current || current <= start)
        return nullptr;
    const unsigned char* previous = start;
    for (const unsigned char* p = start; p < current; p += CharLength(p)) {
        previous = p;
        if (*p == 0)
            break;
    }
    return const_cast<unsigned char*>(previous);
}

size_t _mbslen(const unsigned char* str) {
    size_t count = 0;
    for (const unsigned char* p = str; p && *p; p += CharLength(p)) {
        // A lead byte cut off by the end is no character.
        if (IsAnsiLeadByte(*p) && p[1] == 0)
            break;
        ++count;
    }
    return count;
}

unsigned char* _mbschr(const unsigned char* str, unsigned int ch) {
    if (!str)
        return nullptr;
    for (const unsigned char* p = str;; p += CharLength(p)) {
        size_t length = CharLength(p);
        if (CharCode(p, length) == ch)
            return const_cast<unsigned char*>(p);
        if (*p == 0)
            return nullptr;
    }
}

unsigned char* _mbsrchr(const unsigned char* str, unsigned int ch) {
    if (!str)
        return nullptr;
    const unsigned char* found = nullptr;
    for (const unsigned char* p = str;; p += CharLength(p)) {
        size_t length = CharLength(p);
        if (CharCode(p, length) == ch)
            found = p;
        if (*p == 0)
            break;
    }
    return const_cast<unsigned char*>(found);
}

unsigned char* _mbsstr(const unsigned char* str, const unsigned char* sub) {
    if (!str || !sub)
        return nullptr;
    size_t subLength = 0;
    while (sub[subLength])
        ++subLength;
    for (const unsigned char* p = str;; p += CharLength(p)) {
        size_t i = 0;
        while (i < subLength && p[i] == sub[i])
            ++i;
        if (i == subLength)
            return const_cast<unsigned char*>(p);
        if (*p == 0)
            return nullptr;
    }
}

unsigned char* _mbstok(unsigned char* str, const unsigned char* delimiters) {
    thread_local unsigned char* next = nullptr;
    unsigned char* p = str ? str : next;
    if (!p || !delimiters)
        return nullptr;
    while (*p && IsDelimiter(p, CharLength(p), delimiters))
        p += CharLength(p);
    if (*p == 0) {
        next = nullptr;
        return nullptr;
    }
    unsigned char* token = p;
    while (*p) {
        size_t length = CharLength(p);
        if (IsDelimiter(p, length, delimiters)) {
            for (size_t i = 0; i < length; ++i)
                p[i] = 0;
            next = p + length;
            return token;
        }
        p += length;
    }
    next = p;
    return token;
}

int _mbsicmp(const unsigned char* a, const unsigned char* b) {
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    return CompareFolded(a, b, static_cast<size_t>(-1));
}

int _mbsnbicmp(const unsigned char* a, const unsigned char* b, size_t count) {
    if (count == 0)
        return 0;
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    return CompareFolded(a, b, count);
}
