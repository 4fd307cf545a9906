#include "pages/AbortPage.h"

#include "resources/resource.h"

CAbortPage::CAbortPage(CWnd* parent) : CSetupPage(IDD_ABORT_PAGE, parent) {
    m_nIndex = kAbortPage;
}

void CAbortPage::Activate(BOOL active) {
    if (active && !m_bActive)
        MessageBeep(MB_ICONEXCLAMATION);
    CSetupPage::Activate(active);
}
