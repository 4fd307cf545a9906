#include "app/CopyPage.h"

#include "app/ProgressBar.h"
#include "framework/AfxCore.h"
#include "engine/FileCompare.h"
#include "pages/OverwriteDialog.h"
#include "resources/resource.h"
#include "script/SetupScript.h"

namespace {

constexpr int kFileLine = 1006;
constexpr int kSourceLine = 1004;
constexpr int kDestinationLine = 1005;
constexpr int kProgressBarControl = 1013;

} // namespace

BEGIN_MESSAGE_MAP(CCopyPage, CSetupPage)
END_MESSAGE_MAP()

CCopyPage::CCopyPage(CWnd* parent) : CSetupPage(IDD_COPY_PAGE, parent) {
    CSetupScript* script = GetSetupScript();
    if (script && script->m_bProgressBar) {
        m_pProgressBar = new CProgressBar;
        m_pProgressBar->SubclassDlgItem(kProgressBarControl, this);
        m_pProgressBar->SetRange(script->m_fileList.GetCount(), 0, 1);
    }
    m_pOverwriteDlg = new COverwriteDialog(this);
    m_nIndex = kCopyPage;
}

CCopyPage::~CCopyPage() {
    delete m_pProgressBar;
    delete m_pOverwriteDlg;
}

void CCopyPage::OnOK() {}

void CCopyPage::ShowCopyingFile(LPCSTR srcName) {
    if (m_hCopyingFormatModule != AfxGetResourceHandle() || m_strCopyingFormat.IsEmpty()) {
        m_strCopyingFormat.LoadFormatString(IDS_COPYING_FILE, "s");
        m_hCopyingFormatModule = AfxGetResourceHandle();
    }
    CString line;
    line.Format(m_strCopyingFormat, srcName);
    if (CWnd* control = GetDlgItem(kFileLine))
        control->SetWindowText(line);
}

void CCopyPage::ShowSourcePath(LPCSTR path) {
    if (CWnd* control = GetDlgItem(kSourceLine))
        control->SetWindowText(path);
}

void CCopyPage::ShowDestinationPath(LPCSTR path) {
    if (CWnd* control = GetDlgItem(kDestinationLine))
        control->SetWindowText(path);
}

int CCopyPage::AskOverwrite(LPCSTR existingPath, LPCSTR newPath) {
    if (!m_pOverwriteDlg)
        return IDCANCEL;
    m_pOverwriteDlg->SetExistingName(FileNamePart(existingPath));
    m_pOverwriteDlg->SetNewDir(DirectoryPart(newPath));
    m_pOverwriteDlg->SetExistingDir(DirectoryPart(existingPath));
    m_pOverwriteDlg->SetNewStamp(FileStampText(newPath));
    m_pOverwriteDlg->SetExistingStamp(FileStampText(existingPath));
    return static_cast<int>(m_pOverwriteDlg->DoModal());
}

BOOL CCopyPage::SetProgressRange(int upper, int lower, int step) {
    return m_pProgressBar->SetRange(upper, lower, step);
}

BOOL CCopyPage::StepProgress() {
    return m_pProgressBar->Step();
}
