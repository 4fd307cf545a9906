#include "pages/PathPage.h"

#include "engine/PathHelpers.h"
#include "pages/BrowseDirectoryDialog.h"
#include "resources/resource.h"
#include "script/SetupScript.h"

#include <mbstring.h>

BEGIN_MESSAGE_MAP(CPathPage, CSetupPage)
ON_BN_CLICKED(kSourceBrowse, OnBrowseSrc)
ON_BN_CLICKED(kDestinationBrowse, OnBrowseDst)
END_MESSAGE_MAP()

CPathPage::CPathPage(CWnd* parent) : CSetupPage(IDD_PATH_PAGE, parent) {
    m_nIndex = kPathPage;
}

void CPathPage::SetSrcDir(BOOL prompt, LPCSTR dir) {
    m_bPromptSrc = prompt;
    if (prompt && dir)
        m_strSrcDir = CopyWithTrailingBackslash(dir, FALSE);
}

void CPathPage::SetDstDir(BOOL prompt, LPCSTR dir) {
    m_bPromptDst = prompt;
    if (prompt && dir)
        m_strDstDir = CopyWithTrailingBackslash(dir, FALSE);
}

CString CPathPage::GetSrcDir() {
    return m_strSrcDir;
}

CString CPathPage::GetDstDir() {
    return m_strDstDir;
}

namespace {

// Selects an edit's whole text and scrolls its caret into view.
void selectWholeText(CWnd& edit) {
    edit.SendMessage(EM_SETSEL, 0, -1);
    edit.SendMessage(EM_SCROLLCARET, 0, 0);
}

// A bare drive ("C:") names that drive's current directory, which means nothing to the user
// and makes every later path drive-relative: it stands for the drive's root.
void rootOfBareDrive(CString& path) {
    if (path.GetLength() == 2 && HasDriveLetter(path))
        path += '\\';
}

} // namespace

void CPathPage::FocusEdit(int editId) {
    CWnd* edit = GetDlgItem(editId);
    if (!edit)
        return;
    edit->SetFocus();
    selectWholeText(*edit);
}

namespace {

// Moves a control to where another one stands, keeping its size and Z order.
void moveOnto(CWnd& page, int controlId, int placeId) {
    CWnd* control = page.GetDlgItem(controlId);
    CWnd* place = page.GetDlgItem(placeId);
    if (!control || !place)
        return;
    RECT rect;
    place->GetWindowRect(&rect);
    page.ScreenToClient(&rect);
    control->SetWindowPos(nullptr, rect.left, rect.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

} // namespace

BOOL CPathPage::SetDefaultFocus() {
    int focusId = IDOK;
    bool selectEdit = false;

    if (CWnd* first = GetDlgItem(kFirstLine))
        first->SetWindowText(GetSetupScript()->m_strBeginning);

    if (m_bPromptSrc) {
        if (CWnd* edit = GetDlgItem(kSourceEdit))
            edit->SetWindowText(m_strSrcDir);
        focusId = kSourceEdit;
        selectEdit = true;
    } else {
        if (m_bPromptDst) {
            moveOnto(*this, kDestinationLabel, kSourceLabel);
            moveOnto(*this, kDestinationEdit, kSourceEdit);
            moveOnto(*this, kDestinationBrowse, kSourceBrowse);
        }
        ShowControl(kSourceLabel, FALSE);
        ShowControl(kSourceEdit, FALSE);
        ShowControl(kSourceBrowse, FALSE);
    }

    if (m_bPromptDst) {
        if (!selectEdit) {
            focusId = kDestinationEdit;
            selectEdit = true;
        }
        if (CWnd* edit = GetDlgItem(kDestinationEdit))
            edit->SetWindowText(m_strDstDir);
    } else {
        ShowControl(kDestinationLabel, FALSE);
        ShowControl(kDestinationEdit, FALSE);
        ShowControl(kDestinationBrowse, FALSE);
    }

    if (selectEdit) {
        FocusEdit(focusId);
    } else if (CWnd* control = GetDlgItem(focusId)) {
        control->SetFocus();
    }
    return TRUE;
}

void CPathPage::OnOK() {
    BOOL ok = TRUE;
    int last = 0;
    CString src;
    CString dst;

    if (m_bPromptSrc) {
        GetDlgItem(kSourceEdit)->GetWindowText(src);
        rootOfBareDrive(src);
        last = kSourceEdit;
        if (IsValidDirectoryPath(src)) {
            SetTrailingBackslash(src, TRUE);
        } else {
            ok = FALSE;
            MessageBoxId(IDS_ERR_PATH_NOT_FOUND, nullptr, MB_ICONEXCLAMATION);
        }
    }

    if (ok && m_bPromptDst) {
        GetDlgItem(kDestinationEdit)->GetWindowText(dst);
        rootOfBareDrive(dst);
        last = kDestinationEdit;
        if (!HasDriveLetter(dst)) {
            MessageBoxId(IDS_ERR_NO_DRIVE, nullptr, MB_ICONEXCLAMATION);
            ok = FALSE;
        } else {
            ok = FALSE;
            CString root = dst.Left(3);
            SetTrailingBackslash(root, TRUE);
            switch (GetDriveTypeA(root)) {
            case DRIVE_REMOVABLE:
                ok = MessageBoxId(IDS_CONFIRM_REMOVABLE, nullptr, MB_YESNO) == IDYES;
                break;
            case DRIVE_FIXED:
                ok = TRUE;
                break;
            case DRIVE_REMOTE:
                ok = MessageBoxId(IDS_CONFIRM_REMOTE, nullptr, MB_YESNO) == IDYES;
                break;
            case DRIVE_CDROM:
                MessageBoxId(IDS_ERR_CDROM, nullptr, MB_ICONEXCLAMATION);
                break;
            default:
                MessageBoxId(IDS_ERR_NO_DRIVE, nullptr, MB_ICONEXCLAMATION);
                break;
            }
            if (ok) {
                ok = IsValidDirectoryPath(dst);
                if (!ok && MessageBoxId(IDS_CONFIRM_CREATE_DIR, nullptr, MB_YESNO) == IDYES) {
                    SECURITY_ATTRIBUTES security = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
                    ok = CreateDirectoryA(dst, &security);
                    if (!ok)
                        MessageBoxId(IDS_ERR_BAD_PATH, nullptr, MB_ICONEXCLAMATION);
                }
            }
        }
    }

    if (ok) {
        if (m_bPromptSrc)
            m_strSrcDir = CopyWithTrailingBackslash(src, TRUE);
        if (m_bPromptDst)
            m_strDstDir = CopyWithTrailingBackslash(dst, TRUE);
        CSetupPage::OnOK();
        return;
    }
    if (last != 0)
        FocusEdit(last);
}

void CPathPage::OnBrowseSrc() {
    BrowseDirectory(kSourceEdit, m_strSrcDir);
}

void CPathPage::OnBrowseDst() {
    BrowseDirectory(kDestinationEdit, m_strDstDir);
}

void CPathPage::BrowseDirectory(int editId, CString& dir) {
    CWnd* edit = GetDlgItem(editId);
    if (!edit)
        return;
    CString start;
    edit->GetWindowText(start);

    if (!IsValidDirectoryPath(start)) {
        int backslash = start.ReverseFind('\\');
        if (backslash >= 0) {
            CString parent = start.Left(backslash);
            start = IsValidDirectoryPath(parent) ? parent : dir;
        } else {
            start = dir;
        }
    }

    HWND focus = ::GetFocus();
    CBrowseDirectoryDialog browser(start, this);
    if (browser.DoModal() == IDOK) {
        CString path = browser.GetPathName();
        CString name = browser.GetFileName();
        dir = path.Left(path.GetLength() - name.GetLength());
        edit->SetWindowText(dir);
        selectWholeText(*edit);
    }
    if (focus)
        ::SetFocus(focus);
}
