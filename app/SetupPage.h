// The base of the main window's pages: child dialogs stacked on the main window's area, of
// which one at a time is shown and enabled. Also the way every message box of the run goes.
#pragma once

#include "framework/CDialog.h"

enum PageIndex {
    kPathPage = 0,
    kCopyPage = 1,
    kNextDiskPage = 2,
    kFinishPage = 3,
    kAbortPage = 4,
};

class CSetupPage : public CDialog {
public:
    // Creates the page's window at once, hidden and disabled, from the template.
    CSetupPage(UINT idTemplate, CWnd* parent);
    ~CSetupPage() override;

    void OnOK() override;
    void OnCancel() override;

    // Focuses the OK button (id 1) when the page has one, else the page; pages override it to
    // fill their controls each time they are shown.
    virtual BOOL SetDefaultFocus();
    virtual void ShowControl(UINT id, BOOL show);
    virtual void Activate(BOOL active);
    virtual int GetPageIndex();
    virtual int MessageBoxId(UINT idText, LPCSTR caption, UINT type);
    virtual int MessageBoxText(LPCSTR text, LPCSTR caption, UINT type);

    int m_nIndex = -1;
    BOOL m_bActive = FALSE;

protected:
    DECLARE_MESSAGE_MAP()
};
