#include "script/NumberParsing.h"

#include <cstdint>

namespace {

bool IsWhiteSpace(char ch) {
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}

int HexDigit(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// Skips white space and a sign; returns TRUE for a minus sign.
bool SkipToDigits(LPCSTR& text) {
    while (IsWhiteSpace(*text))
        ++text;
    bool negative = *text == '-';
    if (*text == '-' || *text == '+')
        ++text;
    return negative;
}

} // namespace

LONG DecimalValue(LPCSTR text) {
    if (!text)
        return 0;
    bool negative = SkipToDigits(text);
    uint32_t value = 0;
    for (; *text >= '0' && *text <= '9'; ++text)
        value = value * 10u + static_cast<uint32_t>(*text - '0');
    if (negative)
        value = 0u - value;
    return static_cast<LONG>(value);
}

LONG HexValue(LPCSTR text) {
    if (!text)
        return 0;
    bool negative = SkipToDigits(text);
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && HexDigit(text[2]) >= 0)
        text += 2;
    const uint64_t limit = negative ? 0x80000000u : 0x7FFFFFFFu;
    uint64_t magnitude = 0;
    for (int digit; (digit = HexDigit(*text)) >= 0; ++text) {
        magnitude = magnitude * 16u + static_cast<uint64_t>(digit);
        if (magnitude > limit)
            magnitude = limit + 1; // saturated; keep reading the digits
    }
    if (magnitude > limit)
        magnitude = limit;
    int64_t value = negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude);
    return static_cast<LONG>(value);
}
