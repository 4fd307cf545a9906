// The copy progress page: the file being copied, its full source and destination paths, the
// progress bar, and the overwrite question on behalf of the copy engine.
#pragma once

#include "app/SetupPage.h"

class COverwriteDialog;
class CProgressBar;

class CCopyPage : public CSetupPage {
  public:
    explicit CCopyPage(CWnd* parent);
    ~CCopyPage() override;

    // Enter does nothing here unless the focus is on Cancel, which Enter then presses.
    void OnOK() override;
    void OnSetFocus(CWnd* pOldWnd);

    virtual void ShowCopyingFile(LPCSTR srcName);
    virtual void ShowSourcePath(LPCSTR path);
    virtual void ShowDestinationPath(LPCSTR path);
    virtual int AskOverwrite(LPCSTR existingPath, LPCSTR newPath);
    virtual BOOL SetProgressRange(int upper, int lower, int step);
    virtual BOOL StepProgress();

    COverwriteDialog* m_pOverwriteDlg = nullptr;
    CProgressBar* m_pProgressBar = nullptr;

  protected:
    DECLARE_MESSAGE_MAP()

  private:
    // The line's format, loaded once per resource module rather than once per file.
    CString m_strCopyingFormat;
    HINSTANCE m_hCopyingFormatModule = nullptr;
};
