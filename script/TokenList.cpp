#include "script/TokenList.h"

#include <mbstring.h>

#include <cstring>

namespace {

// The length of the longest prefix of text within limit bytes that ends on a character
// boundary.
size_t CharacterPrefixLength(const unsigned char* text, size_t length, size_t limit) {
    if (length <= limit)
        return length;
    size_t cut = 0;
    while (cut < limit) {
        size_t step = (_ismbblead(text[cut]) && cut + 1 < length) ? 2 : 1;
        if (cut + step > limit)
            break;
        cut += step;
    }
    return cut;
}

} // namespace

CString TrimSpaces(LPCSTR text) {
    if (!text)
        return CString();
    while (*text == ' ')
        ++text;
    size_t length = std::strlen(text);
    while (length > 0 && text[length - 1] == ' ')
        --length;
    return CString(text, static_cast<int>(length));
}

CTokenList::CTokenList(LPCSTR text, char separator) {
    if (!text)
        return;
    unsigned char buffer[kBufferSize];
    const unsigned char* source = reinterpret_cast<const unsigned char*>(text);
    size_t length = CharacterPrefixLength(source, std::strlen(text), kBufferSize - 1);
    std::memcpy(buffer, source, length);
    buffer[length] = '\0';

    unsigned char* field = buffer;
    while (unsigned char* found = _mbschr(field, static_cast<unsigned char>(separator))) {
        *found = '\0';
        m_arrTokens.Add(TrimSpaces(reinterpret_cast<LPCSTR>(field)));
        field = found + 1;
    }
    CString last = TrimSpaces(reinterpret_cast<LPCSTR>(field));
    if (!last.IsEmpty())
        m_arrTokens.Add(last);
}

CTokenList::~CTokenList() = default;

CString CTokenList::GetAt(int index) const {
    if (index < 0 || index >= GetCount())
        return CString();
    return m_arrTokens.GetAt(index);
}
