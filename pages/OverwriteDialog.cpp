#include "pages/OverwriteDialog.h"

#include "engine/FileCompare.h"
#include "framework/CFile.h"
#include "resources/resource.h"
#include "script/SetupScript.h"

namespace {

enum OverwriteControl {
    kExistingName = 1012,
    kNewDir = 1013,
    kExistingDir = 1009,
    kNewStamp = 1010,
    kExistingStamp = 1011,
};

} // namespace

BEGIN_MESSAGE_MAP(COverwriteDialog, CDialog)
ON_BN_CLICKED(IDYES, OnYes)
ON_BN_CLICKED(IDNO, OnNo)
END_MESSAGE_MAP()

COverwriteDialog::COverwriteDialog(CWnd* parent) : CDialog(IDD_OVERWRITE, parent) {}

BOOL COverwriteDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    if (CSetupScript* script = GetSetupScript())
        SetWindowText(script->m_strCaption);
    auto setText = [this](int id, const CString& text) {
        if (CWnd* control = GetDlgItem(id))
            control->SetWindowText(text);
    };
    setText(kExistingName, m_strExistingName);
    setText(kExistingDir, m_strExistingDir);
    setText(kNewDir, m_strNewDir);
    setText(kExistingStamp, m_strExistingStamp);
    setText(kNewStamp, m_strNewStamp);
    return TRUE;
}

void COverwriteDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void COverwriteDialog::OnYes() {
    EndDialog(IDYES);
}

void COverwriteDialog::OnNo() {
    EndDialog(IDNO);
}

CString FileStampText(LPCSTR path, int dateOrder) {
    CFileStatus status;
    if (!CFile::GetStatus(path, status))
        return CString();
    CString text = FileNamePart(path);
    LPCSTR format = "  %m/%d/%y  %H:%M:%S  ";
    if (dateOrder == 1)
        format = "  %d/%m/%y  %H:%M:%S  ";
    else if (dateOrder == 2)
        format = "  %y/%m/%d  %H:%M:%S  ";
    text += status.m_mtime.Format(format);
    return text;
}

CString FileStampText(LPCSTR path) {
    CSetupScript* script = GetSetupScript();
    return FileStampText(path, script ? script->m_nDateOrder : 0);
}
