// One [Files] line of the setup script: which file to take from which disk, where to put it,
// for which systems, and what to do when the destination already exists.
#pragma once

#include "framework/CObject.h"
#include "framework/CString.h"

#include <windows.h>

class CSetupScript;

class CFileEntry : public CObject {
  public:
    // Keys are parsed in a working buffer of kKeyBufferSize bytes; a longer key (512
    // characters or more) makes the entry invalid rather than being cut.
    static const int kKeyBufferSize = 512;

    // Parses key ("disk:source[,os[,pc]]") and value ("name,dir,number,flags"); m_bValid
    // tells whether the line was well formed.
    CFileEntry(LPCSTR key, LPCSTR value);
    ~CFileEntry() override;

    BOOL m_bValid = FALSE;
    int m_nDisk = 0;
    CString m_strSrcPath;
    CString m_strSrcName;
    DWORD m_dwTargetOS;
    DWORD m_dwTargetPC;
    CString m_strDstName;
    CString m_strDstDir;
    int m_nReserved = 0;
    UINT m_nOverwriteMode = 0;
    UINT m_bUpdateOnly = 0;
    BOOL m_bDriverDll = FALSE;
};

// Reads the [Files] section of the script into its file list, keeping the well-formed lines
// for the running OS and PC in script order, and sets m_bDriverDllOnWin95. Every line is
// read, however long the section.
void FillFileList(CSetupScript& script);
