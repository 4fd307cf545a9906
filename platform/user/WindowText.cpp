// The window manager's text helpers: characters of the ANSI code page, where a lead byte and
// the byte after it are one character. Case changes touch ASCII letters only.
#include "user/WindowSystem.h"

using namespace win;

namespace {

char Upper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

template <class F> LPSTR ChangeCase(LPSTR text, F change) {
    if (text == nullptr)
        return nullptr;
    if (IS_INTRESOURCE(text)) {
        // A single character passed in the low word.
        char c = static_cast<char>(reinterpret_cast<uintptr_t>(text) & 0xFF);
        return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(static_cast<BYTE>(change(c))));
    }
    for (char* p = text; *p != '\0'; ++p) {
        if (IsLeadByte(static_cast<BYTE>(*p))) {
            if (p[1] == '\0')
                break;
            ++p;
            continue;
        }
        *p = change(*p);
    }
    return text;
}

} // namespace

LPSTR WINAPI CharUpperA(LPSTR text) {
    return ChangeCase(text, Upper);
}

LPSTR WINAPI CharLowerA(LPSTR text) {
    return ChangeCase(text, Lower);
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
