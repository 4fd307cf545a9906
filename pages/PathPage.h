// The first page: the greeting, and the source and destination directories as far as the
// setup script asks for them. Also the base of the next-disk page.
#pragma once

#include "app/SetupPage.h"

class CPathPage : public CSetupPage {
public:
    explicit CPathPage(CWnd* parent);

    BOOL SetDefaultFocus() override;
    void OnOK() override;

    virtual void BrowseDirectory(int editId, CString& dir);
    virtual void SetSrcDir(BOOL prompt, LPCSTR dir);
    virtual void SetDstDir(BOOL prompt, LPCSTR dir);
    virtual CString GetSrcDir();
    virtual CString GetDstDir();

    CString m_strSrcDir;
    CString m_strDstDir;
    BOOL m_bPromptSrc = FALSE;
    BOOL m_bPromptDst = FALSE;

protected:
    void OnBrowseSrc();
    void OnBrowseDst();
    // Gives an edit the focus with its whole text selected and the caret in view.
    void FocusEdit(int editId);
    DECLARE_MESSAGE_MAP()
};

// Control ids of the path page's template.
enum PathPageControl {
    kFirstLine = 1007,
    kSecondLine = 1008,
    kSourceLabel = 1004,
    kSourceEdit = 1000,
    kSourceBrowse = 1002,
    kDestinationLabel = 1005,
    kDestinationEdit = 1001,
    kDestinationBrowse = 1003,
};
