#include "app/SetupPage.h"

#include "app/SetupDialog.h"
#include "script/SetupScript.h"

BEGIN_MESSAGE_MAP(CSetupPage, CDialog)
END_MESSAGE_MAP()

CSetupPage::CSetupPage(UINT idTemplate, CWnd* parent) : CDialog(idTemplate, parent) {
    Create(idTemplate, parent);
}

CSetupPage::~CSetupPage() {
    CDialog::DestroyWindow();
}

namespace {

CSetupDialog* mainWindowOf(const CWnd& page) {
    return dynamic_cast<CSetupDialog*>(page.GetParent());
}

} // namespace

void CSetupPage::OnOK() {
    if (CSetupDialog* window = mainWindowOf(*this))
        window->OnNext();
}

void CSetupPage::OnCancel() {
    if (CSetupDialog* window = mainWindowOf(*this))
        window->OnCancelRequest();
}

BOOL CSetupPage::SetDefaultFocus() {
    if (CWnd* ok = GetDlgItem(IDOK)) {
        ok->SetFocus();
        return TRUE;
    }
    SetFocus();
    return FALSE;
}

void CSetupPage::ShowControl(UINT id, BOOL show) {
    CWnd* control = GetDlgItem(static_cast<int>(id));
    if (!control)
        return;
    control->ShowWindow(show ? SW_SHOW : SW_HIDE);
    control->EnableWindow(show);
}

void CSetupPage::Activate(BOOL active) {
    if (active && !m_bActive) {
        EnableWindow(TRUE);
        ShowWindow(SW_SHOW);
        UpdateWindow();
        m_bActive = TRUE;
        SetDefaultFocus();
    } else if (!active && m_bActive) {
        ShowWindow(SW_HIDE);
        EnableWindow(FALSE);
        m_bActive = FALSE;
    }
}

int CSetupPage::GetPageIndex() {
    return m_nIndex;
}

int CSetupPage::MessageBoxId(UINT idText, LPCSTR caption, UINT type) {
    CString text;
    text.LoadString(idText);
    return MessageBoxText(text, caption, type);
}

int CSetupPage::MessageBoxText(LPCSTR text, LPCSTR caption, UINT type) {
    CString defaultCaption;
    if (!caption) {
        if (CSetupScript* script = GetSetupScript())
            defaultCaption = script->m_strCaption;
        caption = defaultCaption;
    }
    if ((type & 0x70) == 0 && (type & MB_YESNO) != 0)
        type |= MB_ICONQUESTION;
    return MessageBox(text, caption, type);
}
