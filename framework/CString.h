// Counted 8-bit string in the ANSI code page. Searches that look for a character are
// multibyte-aware, so a trail byte of a double-byte character never matches.
#pragma once

#include <windows.h>

#include <cstdarg>
#include <string>

class CString {
public:
    CString() = default;
    CString(const CString& other) = default;
    CString(CString&& other) noexcept = default;
    CString(LPCSTR text) : m_str(text ? text : "") {}
    CString(LPCSTR text, int length) : m_str(text ? text : "", text && length > 0 ? length : 0) {}
    CString(char ch, int count = 1) : m_str(count > 0 ? count : 0, ch) {}

    CString& operator=(const CString& other) = default;
    CString& operator=(CString&& other) noexcept = default;
    CString& operator=(LPCSTR text);
    CString& operator=(char ch);

    int GetLength() const { return static_cast<int>(m_str.size()); }
    BOOL IsEmpty() const { return m_str.empty(); }
    void Empty() { m_str.clear(); }

    char GetAt(int index) const { return m_str.at(static_cast<size_t>(index)); }
    char operator[](int index) const { return GetAt(index); }
    void SetAt(int index, char ch) { m_str.at(static_cast<size_t>(index)) = ch; }
    operator LPCSTR() const { return m_str.c_str(); }

    const CString& operator+=(const CString& other);
    const CString& operator+=(LPCSTR text);
    const CString& operator+=(char ch);
    friend CString operator+(const CString& a, const CString& b);
    friend CString operator+(const CString& a, LPCSTR b);
    friend CString operator+(LPCSTR a, const CString& b);
    friend CString operator+(const CString& a, char ch);

    int Compare(LPCSTR text) const;
    // Ignores the case of ASCII letters; a double-byte character compares as a whole.
    int CompareNoCase(LPCSTR text) const;

    CString Mid(int first) const;
    CString Mid(int first, int count) const;
    CString Left(int count) const;
    CString Right(int count) const;

    int Find(char ch) const;
    int Find(LPCSTR sub) const;
    int ReverseFind(char ch) const;

    void MakeUpper();
    void MakeLower();
    void TrimLeft();
    void TrimRight();

    // printf-style formatting, as the C run-time formats.
    void Format(LPCSTR format, ...);
    void FormatV(LPCSTR format, va_list args);
    // Loads a string of the current resource module; a missing id gives the empty string.
    BOOL LoadString(UINT id);
    // Loads a string that is used as a Format string with the given arguments, one letter
    // each: 's' a string, 'd' an int. A language library's string whose conversions do not
    // fit them (more of them, another kind, '*' or '%n') would read arguments that were never
    // passed; the program's own string is taken instead.
    BOOL LoadFormatString(UINT id, LPCSTR arguments);

    LPSTR GetBuffer(int minLength);
    LPSTR GetBufferSetLength(int length);
    void ReleaseBuffer(int newLength = -1);

    const std::string& str() const { return m_str; }

private:
    std::string m_str;
};

bool operator==(const CString& a, const CString& b);
bool operator==(const CString& a, LPCSTR b);
bool operator==(LPCSTR a, const CString& b);
bool operator!=(const CString& a, const CString& b);
bool operator!=(const CString& a, LPCSTR b);
bool operator!=(LPCSTR a, const CString& b);
bool operator<(const CString& a, const CString& b);
