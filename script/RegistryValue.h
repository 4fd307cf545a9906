// One line of a registry section: a value to write into the key of its [Registry] line.
#pragma once

#include "framework/CByteArray.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

class CRegistryValue : public CObject {
  public:
    // Parses "type[,data...]" for the value named name; m_bValid tells whether the type was
    // one of REG_SZ, REG_DWORD and REG_BINARY.
    CRegistryValue(LPCSTR name, LPCSTR value);
    ~CRegistryValue() override;

    // Writes the value under the open key (defined with the registry writer).
    BOOL WriteRegistryValue(HKEY key);

    BOOL m_bValid = FALSE;
    CString m_strValueName;
    DWORD m_dwType = 0;
    DWORD m_dwData = 0;
    CByteArray m_binData;
    CString m_strData;
};
