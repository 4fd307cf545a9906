// The application: chooses the language of the user interface, records the Windows and
// System directories, loads the setup script and opens the main window. Its idle hook is
// the installation driver.
#pragma once

#include "framework/CWinApp.h"
#include "script/SystemDirectories.h"

class CSetupScript;
class CSetupDialog;

class CSetupApp : public CWinApp, public CSystemDirectories {
public:
    CSetupApp();
    ~CSetupApp() override;

    BOOL InitInstance() override;
    BOOL OnIdle(LONG count) override;
    int ExitInstance() override;

    // How the run ended, for the process's exit status: 0 finished, 1 abandoned, 2 the script
    // was refused, 3 finished and Windows must restart, 4 finished and the computer must.
    void SetOutcome(int outcome) { m_nOutcome = outcome; }

    CSetupScript* m_pScript = nullptr;
    CSetupDialog* m_pMainDlg = nullptr;
    BOOL m_bInstalling = FALSE;

protected:
    DECLARE_MESSAGE_MAP()

private:
    void LoadLanguageLibrary();

    int m_nOutcome = 1;
};

CSetupApp* GetSetupApp();

enum SetupOutcome {
    kOutcomeFinished = 0,
    kOutcomeAbandoned = 1,
    kOutcomeRefused = 2,
    kOutcomeRestartWindows = 3,
    kOutcomeRestartComputer = 4,
};
