#include "pages/FinishPage.h"

#include "resources/resource.h"

namespace {

constexpr int kRestartNotice = 1011;

} // namespace

CFinishPage::CFinishPage(CWnd* parent) : CSetupPage(IDD_FINISH_PAGE, parent) {
    m_strRestartWindowsText.LoadString(IDS_RESTART_WINDOWS_NOTICE);
    m_strRestartComputerText.LoadString(IDS_RESTART_COMPUTER_NOTICE);
    m_strRestartWindowsButton.LoadString(IDS_RESTART_WINDOWS_BUTTON);
    m_strRestartComputerButton.LoadString(IDS_RESTART_COMPUTER_BUTTON);
    m_nIndex = kFinishPage;
}

void CFinishPage::SetRestartMode(int mode) {
    m_nRestartMode = mode;
}

BOOL CFinishPage::SetDefaultFocus() {
    int focusId = IDOK;
    CWnd* notice = GetDlgItem(kRestartNotice);
    CWnd* restart = GetDlgItem(IDOK);
    if (m_nRestartMode == 1 || m_nRestartMode == 2) {
        bool windows = m_nRestartMode == 1;
        if (notice)
            notice->SetWindowText(windows ? m_strRestartWindowsText : m_strRestartComputerText);
        if (restart)
            restart->SetWindowText(windows ? m_strRestartWindowsButton
                                           : m_strRestartComputerButton);
    } else {
        focusId = IDCANCEL;
        if (restart) {
            restart->ShowWindow(SW_HIDE);
            restart->EnableWindow(FALSE);
        }
    }
    if (CWnd* focus = GetDlgItem(focusId))
        focus->SetFocus();
    return TRUE;
}

void CFinishPage::Activate(BOOL active) {
    if (active && !m_bActive)
        MessageBeep(MB_ICONEXCLAMATION);
    CSetupPage::Activate(active);
}

void CFinishPage::OnOK() {
    CWnd* restart = GetDlgItem(IDOK);
    if (restart && restart->IsWindowEnabled())
        CSetupPage::OnOK();
}
