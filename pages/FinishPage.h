// The page that ends a successful installation, offering the restart the script asks for.
#pragma once

#include "app/SetupPage.h"

class CFinishPage : public CSetupPage {
public:
    explicit CFinishPage(CWnd* parent);

    BOOL SetDefaultFocus() override;
    void Activate(BOOL active) override;
    void OnOK() override;

    virtual void SetRestartMode(int mode);

    CString m_strRestartWindowsText;
    CString m_strRestartComputerText;
    CString m_strRestartWindowsButton;
    CString m_strRestartComputerButton;
    int m_nRestartMode = 0;
};
