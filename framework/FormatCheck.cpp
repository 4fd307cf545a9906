#include "FormatCheck.h"

#include <cstring>

namespace {

// The kind of argument a conversion letter reads: 's', 'd', or 0 for none that is allowed.
char KindOf(char conversion) {
    if (conversion == 's')
        return 's';
    if (std::strchr("diuxXoc", conversion))
        return 'd';
    return 0;
}

void SkipDigits(const char*& p) {
    while (*p >= '0' && *p <= '9')
        ++p;
}

} // namespace

BOOL FormatFits(LPCSTR format, LPCSTR arguments) {
    if (!format || !arguments)
        return FALSE;
    size_t used = 0;
    size_t supplied = std::strlen(arguments);
    // '%' is below every trail byte of the double-byte code pages, so a byte search is exact.
    for (const char* p = format; *p; ++p) {
        if (*p != '%')
            continue;
        ++p;
        if (*p == '%')
            continue;
        while (*p && std::strchr("-+ #0", *p))
            ++p;
        SkipDigits(p);
        if (*p == '.') {
            ++p;
            SkipDigits(p);
        }
        char kind = KindOf(*p);
        if (kind == 0 || used >= supplied || arguments[used] != kind)
            return FALSE;
        ++used;
    }
    return TRUE;
}
