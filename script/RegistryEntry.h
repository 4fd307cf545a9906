// One [Registry] line of the setup script: a key to create below an existing parent key, for
// which systems, with the values of the section named like the line's key.
#pragma once

#include "framework/CObList.h"
#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

class CSetupScript;

class CRegistryEntry : public CObject {
  public:
    // Keys are split in the token buffer; a key of kMaxKeyLength characters or more makes the
    // entry invalid rather than being cut.
    static const int kMaxKeyLength = 1024;

    // Parses key ("name[,os[,pc]]") and value ("root[,parent]"); m_bValid tells whether the
    // line was well formed.
    CRegistryEntry(LPCSTR key, LPCSTR value);
    ~CRegistryEntry() override;

    // Adds one line of the entry's section as a value when its type is recognised.
    void AddValue(LPCSTR name, LPCSTR value);
    // Creates the key and writes its values (defined with the registry writer).
    int WriteRegistryEntry();

    BOOL m_bValid = FALSE;
    DWORD m_dwTargetOS;
    DWORD m_dwTargetPC;
    HKEY m_hRootKey;
    CString m_strParentKey;
    CString m_strKeyName;
    CObList m_valueList{10};
};

// Reads the [Registry] section and, for every kept line, its registry section into the
// script's registry list. Every line of each section is read, however long the section.
void FillRegistryList(CSetupScript& script);
