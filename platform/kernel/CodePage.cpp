// Text conversions of the emulated machine. Every conversion goes through UTF-16, the
// machine's wide character set: code page 1252 by its table, code page 932 through the C
// library's iconv, UTF-8 by hand.
#include "kernel/MachineState.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace host::detail {
namespace {

// Code page 1252 differs from Latin-1 only in 0x80..0x9F; the five bytes Windows leaves
// undefined there map to the C1 controls of the same value, as MultiByteToWideChar does.
const char16_t kCp1252High[32] = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                  0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

bool Cp1252ToWide(const std::string& text, std::u16string& wide) {
    wide.clear();
    wide.reserve(text.size());
    for (unsigned char c : text)
        wide.push_back(c >= 0x80 && c < 0xA0 ? kCp1252High[c - 0x80] : char16_t(c));
    return true;
}

bool WideToCp1252(const std::u16string& wide, std::string& text) {
    text.clear();
    text.reserve(wide.size());
    for (char16_t w : wide) {
        if (w < 0x80 || (w >= 0xA0 && w <= 0xFF)) {
            text.push_back(static_cast<char>(w));
            continue;
        }
        int found = -1;
        for (int i = 0; i < 32; ++i)
            if (kCp1252High[i] == w)
                found = i;
        if (found < 0)
            return false;
        text.push_back(static_cast<char>(0x80 + found));
    }
    return true;
}

// One converter per direction and thread: opening a converter costs far more than using it.
class Converter {
  public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Convert(const char* in, size_t inSize, std::string& out) {
        out.clear();
        if (m_cd == reinterpret_cast<iconv_t>(-1))
            return false;
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char* inPtr = const_cast<char*>(in);
        size_t inLeft = inSize;
        char chunk[1024];
        while (inLeft > 0) {
            char* outPtr = chunk;
            size_t outLeft = sizeof chunk;
            size_t result = iconv(m_cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(chunk, static_cast<size_t>(outPtr - chunk));
            if (result == static_cast<size_t>(-1) && errno != E2BIG)
                return false;
        }
        return true;
    }

  private:
    iconv_t m_cd;
};

bool Cp932ToWide(const std::string& text, std::u16string& wide) {
    thread_local Converter converter("UTF-16LE", "CP932");
    std::string bytes;
    if (!converter.Convert(text.data(), text.size(), bytes))
        return false;
    wide.resize(bytes.size() / 2);
    for (size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                        static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return true;
}

bool WideToCp932(const std::u16string& wide, std::string& text) {
    thread_local Converter converter("CP932", "UTF-16LE");
    std::string bytes(wide.size() * 2, '\0');
    for (size_t i = 0; i < wide.size(); ++i) {
        bytes[2 * i] = static_cast<char>(wide[i] & 0xFF);
        bytes[2 * i + 1] = static_cast<char>(wide[i] >> 8);
    }
    return converter.Convert(bytes.data(), bytes.size(), text);
}

bool Utf8ToWide(const std::string& utf8, std::u16string& wide) {
    wide.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        char32_t code;
        size_t extra;
        if (c < 0x80) {
            code = c;
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            code = c & 0x1F;
            extra = 1;
        } else if ((c & 0xF0) == 0xE0) {
            code = c & 0x0F;
            extra = 2;
        } else if ((c & 0xF8) == 0xF0) {
            code = c & 0x07;
            extra = 3;
        } else {
            return false;
        }
        if (extra > 0 && i + extra >= utf8.size())
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            unsigned char next = static_cast<unsigned char>(utf8[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        static const char32_t kMinimum[4] = {0, 0x80, 0x800, 0x10000};
        if (code < kMinimum[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
            return false;
        if (code >= 0x10000) {
            code -= 0x10000;
            wide.push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
            wide.push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
        } else {
            wide.push_back(static_cast<char16_t>(code));
        }
        i += extra + 1;
    }
    return true;
}

bool WideToUtf8(const std::u16string& wide, std::string& utf8) {
    utf8.clear();
    for (size_t i = 0; i < wide.size(); ++i) {
        char32_t code = wide[i];
        if (code >= 0xD800 && code <= 0xDBFF) {
            if (i + 1 >= wide.size() || wide[i + 1] < 0xDC00 || wide[i + 1] > 0xDFFF)
                return false;
            code = 0x10000 + ((code - 0xD800) << 10) + (wide[i + 1] - 0xDC00);
            ++i;
        } else if (code >= 0xDC00 && code <= 0xDFFF) {
            return false;
        }
        AppendUtf8(code, utf8);
    }
    return true;
}

UINT ResolveCodePage(UINT codePage) {
    return codePage == CP_ACP || codePage == CP_OEMCP ? AnsiCodePage() : codePage;
}

} // namespace

bool IsLeadByte(UINT codePage, unsigned char byte) {
    if (ResolveCodePage(codePage) != 932)
        return false;
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

bool MultiByteToWide(UINT codePage, const std::string& text, std::u16string& wide) {
    switch (ResolveCodePage(codePage)) {
    case 1252:
        return Cp1252ToWide(text, wide);
    case 932:
        return Cp932ToWide(text, wide);
    case CP_UTF8:
        return Utf8ToWide(text, wide);
    default:
        return false;
    }
}

bool WideToMultiByte(UINT codePage, const std::u16string& wide, std::string& text) {
    switch (ResolveCodePage(codePage)) {
    case 1252:
        return WideToCp1252(wide, text);
    case 932:
        return WideToCp932(wide, text);
    case CP_UTF8:
        return WideToUtf8(wide, text);
    default:
        return false;
    }
}

bool IsSupportedCodePage(UINT codePage) {
    UINT resolved = ResolveCodePage(codePage);
    return resolved == 1252 || resolved == 932 || resolved == CP_UTF8;
}

// Every code page of the machine keeps ASCII as it is; most names are ASCII, and file lookups
// convert every name of a directory.
void AppendUtf8(char32_t code, std::string& out) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

static bool IsAscii(const std::string& text) {
    for (char c : text)
        if (static_cast<unsigned char>(c) >= 0x80)
            return false;
    return true;
}

bool ToUtf8(UINT codePage, const std::string& text, std::string& utf8) {
    if (IsAscii(text) && IsSupportedCodePage(codePage)) {
        utf8 = text;
        return true;
    }
    std::u16string wide;
    return MultiByteToWide(codePage, text, wide) && WideToUtf8(wide, utf8);
}

bool FromUtf8(UINT codePage, const std::string& utf8, std::string& text) {
    if (IsAscii(utf8) && IsSupportedCodePage(codePage)) {
        text = utf8;
        return true;
    }
    std::u16string wide;
    return Utf8ToWide(utf8, wide) && WideToMultiByte(codePage, wide, text);
}

} // namespace host::detail

namespace host {

// The edges (terminal, transcript) must show something for every byte: a byte that has no
// character becomes a question mark instead of failing the whole text.
std::string AnsiToUtf8(const std::string& ansi) {
    std::string utf8;
    if (detail::ToUtf8(CP_ACP, ansi, utf8))
        return utf8;
    utf8.clear();
    size_t i = 0;
    while (i < ansi.size()) {
        size_t length =
            detail::IsAnsiLeadByte(static_cast<unsigned char>(ansi[i])) && i + 1 < ansi.size() ? 2
                                                                                               : 1;
        std::string piece;
        utf8 += detail::ToUtf8(CP_ACP, ansi.substr(i, length), piece) ? piece : "?";
        i += length;
    }
    return utf8;
}

std::string Utf8ToAnsi(const std::string& utf8) {
    std::string ansi;
    if (detail::FromUtf8(CP_ACP, utf8, ansi))
        return ansi;
    ansi.clear();
    size_t i = 0;
    while (i < utf8.size()) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : 4;
        if (i + length > utf8.size())
            length = utf8.size() - i;
        std::string piece;
        ansi += detail::FromUtf8(CP_ACP, utf8.substr(i, length), piece) ? piece : "?";
        i += length;
    }
    return ansi;
}

} // namespace host
