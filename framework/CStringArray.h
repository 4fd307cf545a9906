// Growable array of strings.
#pragma once

#include "CObject.h"
#include "CString.h"

#include <vector>

class CStringArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetUpperBound() const { return GetSize() - 1; }
    CString GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    CString& ElementAt(int index) { return m_items.at(static_cast<size_t>(index)); }
    CString operator[](int index) const { return GetAt(index); }
    void SetAt(int index, LPCSTR text) { m_items.at(static_cast<size_t>(index)) = text; }
    int Add(const CString& text) {
        m_items.push_back(text);
        return GetSize() - 1;
    }
    void RemoveAt(int index) { m_items.erase(m_items.begin() + index); }
    void RemoveAll() { m_items.clear(); }

private:
    std::vector<CString> m_items;
};
