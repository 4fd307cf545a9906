// The system's file-open and file-save dialogs.
#pragma once

#include "CDialog.h"

#include <commdlg.h>

class CFileDialog : public CDialog {
public:
    CFileDialog(BOOL openFileDialog, LPCSTR defaultExtension = nullptr,
                LPCSTR fileName = nullptr,
                DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, LPCSTR filter = nullptr,
                CWnd* parent = nullptr);

    // Runs GetOpenFileNameA or GetSaveFileNameA with m_ofn; IDOK or IDCANCEL.
    INT_PTR DoModal() override;
    CString GetPathName() const;
    CString GetFileName() const;

    OPENFILENAMEA m_ofn;

protected:
    BOOL m_bOpenFileDialog;
    char m_szFileName[MAX_PATH];
    char m_szFileTitle[64];
    CString m_strFilter;
};
