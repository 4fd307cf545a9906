#include "CString.h"

#include "AfxCore.h"
#include "FormatCheck.h"

#include <mbstring.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const unsigned char* bytes(const std::string& s) {
    return reinterpret_cast<const unsigned char*>(s.c_str());
}

} // namespace

CString& CString::operator=(LPCSTR text) {
    m_str = text ? text : "";
    return *this;
}

CString& CString::operator=(char ch) {
    m_str.assign(1, ch);
    return *this;
}

const CString& CString::operator+=(const CString& other) {
    m_str += other.m_str;
    return *this;
}

const CString& CString::operator+=(LPCSTR text) {
    if (text)
        m_str += text;
    return *this;
}

const CString& CString::operator+=(char ch) {
    m_str += ch;
    return *this;
}

CString operator+(const CString& a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, LPCSTR b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(LPCSTR a, const CString& b) {
    CString result(a);
    result += b;
    return result;
}

CString operator+(const CString& a, char ch) {
    CString result(a);
    result += ch;
    return result;
}

int CString::Compare(LPCSTR text) const {
    return std::strcmp(m_str.c_str(), text ? text : "");
}

int CString::CompareNoCase(LPCSTR text) const {
    return _mbsicmp(bytes(m_str), reinterpret_cast<const unsigned char*>(text ? text : ""));
}

CString CString::Mid(int first) const {
    return Mid(first, GetLength() - first);
}

CString CString::Mid(int first, int count) const {
    if (first < 0)
        first = 0;
    if (first >= GetLength() || count <= 0)
        return CString();
    if (count > GetLength() - first)
        count = GetLength() - first;
    return CString(m_str.c_str() + first, count);
}

CString CString::Left(int count) const {
    return Mid(0, count);
}

CString CString::Right(int count) const {
    if (count >= GetLength())
        return *this;
    return Mid(GetLength() - count, count);
}

int CString::Find(char ch) const {
    const unsigned char* found = _mbschr(bytes(m_str), static_cast<unsigned char>(ch));
    return found ? static_cast<int>(found - bytes(m_str)) : -1;
}

int CString::Find(LPCSTR sub) const {
    // Only character boundaries count: a match may not start on a trail byte.
    std::string needle = sub ? sub : "";
    for (size_t i = 0; i + needle.size() <= m_str.size();) {
        if (m_str.compare(i, needle.size(), needle) == 0)
            return static_cast<int>(i);
        bool lead = _ismbblead(static_cast<unsigned char>(m_str[i])) && i + 1 < m_str.size();
        i += lead ? 2 : 1;
    }
    return -1;
}

int CString::ReverseFind(char ch) const {
    const unsigned char* found = _mbsrchr(bytes(m_str), static_cast<unsigned char>(ch));
    return found ? static_cast<int>(found - bytes(m_str)) : -1;
}

void CString::MakeUpper() {
    for (size_t i = 0; i < m_str.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(m_str[i]);
        if (_ismbblead(c) && i + 1 < m_str.size()) {
            ++i;
            continue;
        }
        if (c >= 'a' && c <= 'z')
            m_str[i] = static_cast<char>(c - 'a' + 'A');
    }
}

void CString::MakeLower() {
    for (size_t i = 0; i < m_str.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(m_str[i]);
        if (_ismbblead(c) && i + 1 < m_str.size()) {
            ++i;
            continue;
        }
        if (c >= 'A' && c <= 'Z')
            m_str[i] = static_cast<char>(c - 'A' + 'a');
    }
}

void CString::TrimLeft() {
    size_t first = m_str.find_first_not_of(" \t\r\n");
    m_str.erase(0, first == std::string::npos ? m_str.size() : first);
}

void CString::TrimRight() {
    size_t last = m_str.find_last_not_of(" \t\r\n");
    m_str.erase(last == std::string::npos ? 0 : last + 1);
}

void CString::Format(LPCSTR format, ...) {
    va_list args;
    va_start(args, format);
    FormatV(format, args);
    va_end(args);
}

void CString::FormatV(LPCSTR format, va_list args) {
    va_list measure;
    va_copy(measure, args);
    int needed = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    if (needed < 0) {
        m_str.clear();
        return;
    }
    std::vector<char> buffer(static_cast<size_t>(needed) + 1);
    std::vsnprintf(buffer.data(), buffer.size(), format, args);
    m_str.assign(buffer.data(), static_cast<size_t>(needed));
}

BOOL CString::LoadString(UINT id) {
    // A string table entry holds at most 65,535 characters; grow until it fits.
    for (int size = 256; size <= 0x40000; size *= 4) {
        std::vector<char> buffer(static_cast<size_t>(size));
        int length = ::LoadStringA(AfxGetResourceHandle(), id, buffer.data(), size);
        if (length < size - 2) {
            m_str.assign(buffer.data(), length > 0 ? static_cast<size_t>(length) : 0);
            return length > 0;
        }
    }
    m_str.clear();
    return FALSE;
}

BOOL CString::LoadFormatString(UINT id, LPCSTR arguments) {
    BOOL loaded = LoadString(id);
    if (FormatFits(*this, arguments))
        return loaded;
    HINSTANCE resources = AfxGetResourceHandle();
    AfxSetResourceHandle(AfxGetInstanceHandle());
    loaded = LoadString(id);
    AfxSetResourceHandle(resources);
    if (FormatFits(*this, arguments))
        return loaded;
    m_str.clear();
    return FALSE;
}

LPSTR CString::GetBuffer(int minLength) {
    if (minLength > GetLength())
        m_str.resize(static_cast<size_t>(minLength));
    return &m_str[0];
}

LPSTR CString::GetBufferSetLength(int length) {
    m_str.resize(length > 0 ? static_cast<size_t>(length) : 0);
    return &m_str[0];
}

void CString::ReleaseBuffer(int newLength) {
    if (newLength < 0)
        newLength = static_cast<int>(std::strlen(m_str.c_str()));
    if (newLength > GetLength())
        newLength = GetLength();
    m_str.resize(static_cast<size_t>(newLength));
}

bool operator==(const CString& a, const CString& b) {
    return a.str() == b.str();
}
bool operator==(const CString& a, LPCSTR b) {
    return a.Compare(b) == 0;
}
bool operator==(LPCSTR a, const CString& b) {
    return b.Compare(a) == 0;
}
bool operator!=(const CString& a, const CString& b) {
    return !(a == b);
}
bool operator!=(const CString& a, LPCSTR b) {
    return !(a == b);
}
bool operator!=(LPCSTR a, const CString& b) {
    return !(a == b);
}
bool operator<(const CString& a, const CString& b) {
    return a.str() < b.str();
}
