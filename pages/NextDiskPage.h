// Asks for the next source disk and the directory where it can be found.
#pragma once

#include "pages/PathPage.h"

class CNextDiskPage : public CPathPage {
public:
    explicit CNextDiskPage(CWnd* parent);

    BOOL SetDefaultFocus() override;

    virtual void SetDiskNumber(int disk);
    virtual void SetDiskDir(LPCSTR dir);
    virtual CString GetDiskDir();

    CString m_strPathLabel;
    CString m_strDiskFormat;
    int m_nDiskNumber = 1;
};
