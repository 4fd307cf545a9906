#include "app/SetupApp.h"

#include "app/SetupDialog.h"
#include "framework/AfxCore.h"
#include "resources/resource.h"

#include "script/SetupScript.h"

#include <clocale>

BEGIN_MESSAGE_MAP(CSetupApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

CSetupApp::CSetupApp() : CWinApp(nullptr) {
    OutputDebugStringA("Debug Start\r\n");
}

CSetupApp::~CSetupApp() = default;

CSetupApp* GetSetupApp() {
    return dynamic_cast<CSetupApp*>(AfxGetApp());
}

CSetupScript* GetSetupScript() {
    CSetupApp* app = GetSetupApp();
    return app ? app->m_pScript : nullptr;
}

namespace {

// "SETUP" followed by the locale's three-letter language abbreviation; empty when the
// system knows no abbreviation for it.
CString languageLibraryName(LCID locale, char (&abbreviation)[4]) {
    abbreviation[0] = '\0';
    if (GetLocaleInfoA(locale, LOCALE_SABBREVLANGNAME, abbreviation, sizeof abbreviation) <= 0)
        abbreviation[0] = '\0';
    if (abbreviation[0] == '\0')
        return CString();
    return CString("SETUP") + abbreviation;
}

} // namespace

void CSetupApp::LoadLanguageLibrary() {
    LCID locale = GetUserDefaultLCID();
    char abbreviation[4];
    CString name = languageLibraryName(locale, abbreviation);
    setlocale(LC_ALL, abbreviation);

    HINSTANCE library = name.IsEmpty() ? nullptr : LoadLibraryA(name);
    if (!library) {
        LCID primary = (locale & 0x3FF) | 0x400;
        name = languageLibraryName(primary, abbreviation);
        library = name.IsEmpty() ? nullptr : LoadLibraryA(name);
    }
    if (!library)
        return;

    // The library stays loaded for the whole run: every resource comes from it from now on.
    AfxSetResourceHandle(library);
    CString title;
    title.LoadString(IDS_APP_TITLE);
    SetAppName(title);
}

BOOL CSetupApp::InitInstance() {
    LoadLanguageLibrary();
    Enable3dControlsStatic();

    char directory[512];
    GetWindowsDirectoryA(directory, sizeof directory);
    m_strWindowsDir = directory;
    GetSystemDirectoryA(directory, sizeof directory);
    m_strSystemDir = directory;

    m_pScript = new CSetupScript;
    if (!m_pScript->m_bLoaded) {
        m_nOutcome = kOutcomeRefused;
        return FALSE;
    }

    SetDialogBkColor(RGB(192, 192, 192), RGB(0, 0, 0));
    m_pMainDlg = new CSetupDialog(nullptr);
    m_pMainWnd = m_pMainDlg;
    if (!m_pMainDlg->GetSafeHwnd()) {
        // Without its window the run could never end: say so and stop.
        CString text;
        text.LoadString(IDS_ERR_NO_WINDOW);
        if (text.IsEmpty()) {
            HINSTANCE current = AfxGetResourceHandle();
            AfxSetResourceHandle(AfxGetInstanceHandle());
            text.LoadString(IDS_ERR_NO_WINDOW);
            AfxSetResourceHandle(current);
        }
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
        m_pMainWnd = nullptr;
        m_nOutcome = kOutcomeAbandoned;
        return FALSE;
    }
    return TRUE;
}

int CSetupApp::ExitInstance() {
    if (m_pScript) {
        delete m_pScript;
        m_pScript = nullptr;
    }
    if (m_pMainDlg) {
        delete m_pMainDlg;
        m_pMainDlg = nullptr;
    }
    setlocale(LC_ALL, "C");
    CWinApp::ExitInstance();
    return m_nOutcome;
}
