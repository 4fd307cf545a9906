// Asks whether an existing destination file is replaced: Yes replaces it, No keeps it, Cancel
// abandons the installation.
#pragma once

#include "framework/CDialog.h"

class COverwriteDialog : public CDialog {
public:
    explicit COverwriteDialog(CWnd* parent);

    BOOL OnInitDialog() override;
    void OnCancel() override;

    void SetExistingName(LPCSTR text) { m_strExistingName = text; }
    void SetNewDir(LPCSTR text) { m_strNewDir = text; }
    void SetExistingDir(LPCSTR text) { m_strExistingDir = text; }
    void SetNewStamp(LPCSTR text) { m_strNewStamp = text; }
    void SetExistingStamp(LPCSTR text) { m_strExistingStamp = text; }

    CString m_strExistingName;
    CString m_strNewDir;
    CString m_strExistingDir;
    CString m_strNewStamp;
    CString m_strExistingStamp;

protected:
    void OnYes();
    void OnNo();
    DECLARE_MESSAGE_MAP()
};

// The file's name and the local date and time of its last write, in the system's date
// order; empty when the file cannot be found.
CString FileStampText(LPCSTR path);
// The same with the date order given: 0 month-day-year, 1 day-month-year, 2 year-month-day.
CString FileStampText(LPCSTR path, int dateOrder);
