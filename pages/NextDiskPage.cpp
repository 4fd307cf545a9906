#include "pages/NextDiskPage.h"

#include "resources/resource.h"
#include "script/SetupScript.h"

CNextDiskPage::CNextDiskPage(CWnd* parent) : CPathPage(parent) {
    m_bPromptSrc = TRUE;
    m_bPromptDst = FALSE;
    m_nIndex = kNextDiskPage;
    m_strPathLabel.LoadString(IDS_PATH_LABEL);
    m_strDiskFormat.LoadFormatString(IDS_DISK_FORMAT, "sd");
    m_nDiskNumber = 1;
}

void CNextDiskPage::SetDiskNumber(int disk) {
    m_nDiskNumber = disk;
}

void CNextDiskPage::SetDiskDir(LPCSTR dir) {
    m_strSrcDir = dir;
}

CString CNextDiskPage::GetDiskDir() {
    return m_strSrcDir;
}

BOOL CNextDiskPage::SetDefaultFocus() {
    CString diskLine;
    diskLine.Format(m_strDiskFormat, static_cast<LPCSTR>(GetSetupScript()->m_strDisk),
                    m_nDiskNumber);
    if (CWnd* first = GetDlgItem(kFirstLine))
        first->SetWindowText(diskLine);

    CString insert;
    insert.LoadString(IDS_INSERT_DISK);
    if (CWnd* second = GetDlgItem(kSecondLine))
        second->SetWindowText(insert);

    if (CWnd* edit = GetDlgItem(kSourceEdit))
        edit->SetWindowText(m_strSrcDir);
    if (CWnd* label = GetDlgItem(kSourceLabel))
        label->SetWindowText(m_strPathLabel);

    ShowControl(kDestinationLabel, FALSE);
    ShowControl(kDestinationEdit, FALSE);
    ShowControl(kDestinationBrowse, FALSE);

    FocusEdit(kSourceEdit);
    return TRUE;
}
