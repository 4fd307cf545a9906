// Splitting a field list of the setup script into trimmed tokens.
#pragma once

#include "framework/CString.h"
#include "framework/CStringArray.h"

// The text without leading and trailing spaces (0x20 only: a tab is part of the text).
CString TrimSpaces(LPCSTR text);

// The tokens of a text split at a separator, each trimmed with TrimSpaces. An empty field
// keeps its place (a,,b is three tokens); a last field that is empty after trimming is not a
// token (a,b, is two). There is no quoting: no token can hold the separator. A trail byte of
// a double-byte character that equals the separator does not separate.
class CTokenList {
  public:
    // Texts are split in a working buffer of kBufferSize bytes: a longer text is cut to its
    // first kBufferSize - 1 bytes (never inside a double-byte character). Callers that must
    // not lose a field refuse such texts themselves.
    static const int kBufferSize = 1024;

    CTokenList(LPCSTR text, char separator);
    virtual ~CTokenList();

    int GetCount() const { return m_arrTokens.GetSize(); }
    // A copy of the token; the empty string for an index outside the list.
    CString GetAt(int index) const;

    CStringArray m_arrTokens;
};
