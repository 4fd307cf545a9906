// The kernel's string functions. Comparisons follow the system's word order in a simple form:
// punctuation before digits before letters, letters alphabetically, and, only when texts
// differ in case alone, a lower-case letter before its capital. A double-byte character of
// the ANSI code page is one character.
#include "kernel/MachineState.h"

#include <cstdarg>
#include <cstring>
#include <string>

using host::detail::IsAnsiLeadByte;

namespace {

const unsigned kOutputLimit = 1024; // wsprintfA writes at most this many bytes with the zero

size_t CharAt(const unsigned char* text, unsigned& code) {
    if (IsAnsiLeadByte(text[0]) && text[1]) {
        code = (static_cast<unsigned>(text[0]) << 8) | text[1];
        return 2;
    }
    code = text[0];
    return 1;
}

// The small letter of a capital of code page 1252 beyond ASCII (the accented Latin letters,
// Š, Œ, Ž and Ÿ), or 0 for any other byte.
unsigned SmallLetter1252(unsigned code) {
    if (code >= 0xC0 && code <= 0xDE && code != 0xD7)
        return code + 0x20;
    if (code == 0x8A || code == 0x8C || code == 0x8E)
        return code + 0x10;
    return code == 0x9F ? 0xFF : 0;
}

unsigned SortWeight(unsigned code) {
    if (code > 0xFF)
        return 0x10000 + code;
    if (code >= 'a' && code <= 'z')
        return 0x200 + (code - 'a');
    if (code >= 'A' && code <= 'Z')
        return 0x200 + (code - 'A');
    if (code >= '0' && code <= '9')
        return 0x100 + code;
    if (code >= 0x80) {
        // Capitals and small letters of the Western code page weigh the same, as in ASCII.
        unsigned small = host::detail::AnsiCodePage() == 1252 ? SmallLetter1252(code) : 0;
        return 0x300 + (small ? small : code);
    }
    return code;
}

int CompareText(LPCSTR a, LPCSTR b, bool ignoreCase) {
    // A missing string sorts before every string, the empty one included.
    if (!a || !b)
        return a == b ? 0 : (a ? 1 : -1);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(a);
    const unsigned char* q = reinterpret_cast<const unsigned char*>(b);
    int caseOrder = 0;
    for (;;) {
        unsigned ca, cb;
        size_t la = CharAt(p, ca);
        size_t lb = CharAt(q, cb);
        if (ca == 0 || cb == 0) {
            if (ca != cb)
                return ca == 0 ? -1 : 1;
            return ignoreCase ? 0 : caseOrder;
        }
        unsigned wa = SortWeight(ca), wb = SortWeight(cb);
        if (wa != wb)
            return wa < wb ? -1 : 1;
        if (caseOrder == 0 && ca != cb)
            caseOrder = ca > cb ? -1 : 1; // 'a' (0x61) sorts before 'A' (0x41)
        p += la;
        q += lb;
    }
}

class Output {
  public:
    explicit Output(LPSTR buffer) : m_buffer(buffer) {}
    void Put(char c) {
        if (m_length + 1 < kOutputLimit)
            m_buffer[m_length++] = c;
    }
    void Put(const std::string& text) {
        for (char c : text)
            Put(c);
    }
    int Finish() {
        m_buffer[m_length] = 0;
        return static_cast<int>(m_length);
    }

  private:
    LPSTR m_buffer;
    unsigned m_length = 0;
};

std::string WideToAnsi(const WCHAR* text, int count) {
    if (count == 0)
        return std::string();
    int needed = WideCharToMultiByte(CP_ACP, 0, text, count, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::string result(static_cast<size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, count, &result[0], needed, nullptr, nullptr);
    return result;
}

void Pad(Output& out, const std::string& body, unsigned width, bool left, char fill) {
    if (!left)
        for (size_t i = body.size(); i < width; ++i)
            out.Put(fill);
    out.Put(body);
    if (left)
        for (size_t i = body.size(); i < width; ++i)
            out.Put(' ');
}

} // namespace

int WINAPI lstrlenA(LPCSTR text) {
    return text ? static_cast<int>(std::strlen(text)) : 0;
}

LPSTR WINAPI lstrcpyA(LPSTR destination, LPCSTR source) {
    if (!destination || !source)
        return nullptr;
    return std::strcpy(destination, source);
}

LPSTR WINAPI lstrcpynA(LPSTR destination, LPCSTR source, int maxLength) {
    if (!destination || !source)
        return nullptr;
    if (maxLength <= 0)
        return destination;
    int i = 0;
    for (; i < maxLength - 1 && source[i]; ++i)
        destination[i] = source[i];
    destination[i] = 0;
    return destination;
}

LPSTR WINAPI lstrcatA(LPSTR destination, LPCSTR source) {
    if (!destination || !source)
        return nullptr;
    return std::strcat(destination, source);
}

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) {
    return CompareText(a, b, false);
}

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) {
    return CompareText(a, b, true);
}

int WINAPI wvsprintfA(LPSTR buffer, LPCSTR format, va_list args) {
    if (!buffer)
        return 0;
    Output out(buffer);
    if (!format)
        return out.Finish();
    for (const char* f = format; *f; ++f) {
        if (*f != '%') {
            out.Put(*f);
            continue;
        }
        ++f;
        bool left = false, alternate = false, zero = false;
        for (;; ++f) {
            if (*f == '-')
                left = true;
            else if (*f == '#')
                alternate = true;
            else if (*f == '0')
                zero = true;
            else
                break;
        }
        unsigned width = 0;
        while (*f >= '0' && *f <= '9' && width < kOutputLimit)
            width = width * 10 + static_cast<unsigned>(*f++ - '0');
        while (*f >= '0' && *f <= '9')
            ++f;
        int precision = -1;
        if (*f == '.') {
            ++f;
            precision = 0;
            while (*f >= '0' && *f <= '9') {
                if (precision < static_cast<int>(kOutputLimit))
                    precision = precision * 10 + (*f - '0');
                ++f;
            }
        }
        char size = 0; // 'h' narrow, 'l' or 'w' wide or long
        if (*f == 'h' || *f == 'l' || *f == 'w')
            size = *f++;
        char type = *f;
        if (type == 0)
            break;
        std::string body;
        switch (type) {
        case 'c':
        case 'C': {
            bool wide = type == 'C' ? size != 'h' : (size == 'l' || size == 'w');
            int value = va_arg(args, int);
            if (wide) {
                WCHAR ch = static_cast<WCHAR>(value);
                body = WideToAnsi(&ch, 1);
            } else {
                body.assign(1, static_cast<char>(value));
            }
            if (body.empty() || body[0] == 0)
                body.clear();
            Pad(out, body, width, left, zero && !left ? '0' : ' ');
            break;
        }
        case 's':
        case 'S': {
            bool wide = type == 'S' ? size != 'h' : (size == 'l' || size == 'w');
            if (wide) {
                const WCHAR* text = va_arg(args, const WCHAR*);
                if (!text) {
                    body = "(null)";
                } else {
                    int count = 0;
                    while (text[count] && (precision < 0 || count < precision) &&
                           count < static_cast<int>(kOutputLimit))
                        ++count;
                    body = WideToAnsi(text, count);
                }
            } else {
                const char* text = va_arg(args, const char*);
                if (!text)
                    text = "(null)";
                size_t count = precision < 0 ? strnlen(text, kOutputLimit)
                                             : strnlen(text, static_cast<size_t>(precision));
                body.assign(text, count);
            }
            if (precision >= 0 && body.size() > static_cast<size_t>(precision))
                body.resize(static_cast<size_t>(precision));
            Pad(out, body, width, left, zero && !left ? '0' : ' ');
            break;
        }
        case 'd':
        case 'i':
        case 'u':
        case 'x':
        case 'X': {
            bool negative = false;
            unsigned long long magnitude;
            if (type == 'd' || type == 'i') {
                long long value = va_arg(args, int);
                if (size == 'h')
                    value = static_cast<short>(value);
                negative = value < 0;
                magnitude = negative ? static_cast<unsigned long long>(-value)
                                     : static_cast<unsigned long long>(value);
            } else {
                unsigned value = va_arg(args, unsigned);
                if (size == 'h')
                    value = static_cast<unsigned short>(value);
                magnitude = value;
            }
            unsigned base = type == 'x' || type == 'X' ? 16 : 10;
            const char* digits = type == 'X' ? "0123456789ABCDEF" : "0123456789abcdef";
            std::string number;
            do {
                number.insert(number.begin(), digits[magnitude % base]);
                magnitude /= base;
            } while (magnitude);
            if (precision >= 0 && number.size() < static_cast<size_t>(precision))
                number.insert(0, static_cast<size_t>(precision) - number.size(), '0');
            std::string prefix = negative ? "-" : "";
            if (alternate && base == 16 && number != "0")
                prefix += type == 'X' ? "0X" : "0x";
            if (zero && !left && precision < 0) {
                size_t used = prefix.size() + number.size();
                if (used < width)
                    number.insert(0, width - used, '0');
            }
            Pad(out, prefix + number, width, left, ' ');
            break;
        }
        default:
            // Not a conversion: the character stands for itself, as "%%" does.
            out.Put(type);
            break;
        }
    }
    return out.Finish();
}

int WINAPIV wsprintfA(LPSTR buffer, LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(buffer, format, args);
    va_end(args);
    return length;
}
