// Growable array of bytes.
#pragma once

#include "CObject.h"

#include <windows.h>

#include <vector>

class CByteArray : public CObject {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    BYTE GetAt(int index) const { return m_items.at(static_cast<size_t>(index)); }
    void SetAt(int index, BYTE value) { m_items.at(static_cast<size_t>(index)) = value; }
    BYTE operator[](int index) const { return GetAt(index); }
    void SetSize(int size) { m_items.resize(size > 0 ? static_cast<size_t>(size) : 0); }
    int Add(BYTE value) {
        m_items.push_back(value);
        return GetSize() - 1;
    }
    void RemoveAll() { m_items.clear(); }
    const BYTE* GetData() const { return m_items.data(); }
    BYTE* GetData() { return m_items.data(); }

private:
    std::vector<BYTE> m_items;
};
