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
ON_WM_SETFOCUS()
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

// The page keeps the focus itself instead of the dialog's handing it on to its first tab stop,
// the Cancel button: an Enter typed ahead while files are copied then does nothing, where on
// Cancel it would ask to abandon the installation (and a second Enter would confirm).
void CCopyPage::OnSetFocus(CWnd*) {}

namespace {

// Sets a line of the page and paints it at once: the copy that follows keeps the thread busy,
// and the page must name the file being copied while it lasts, not the one before.
void ShowLine(CWnd* page, int id, LPCSTR text) {
    if (CWnd* control = page->GetDlgItem(id)) {
        control->SetWindowText(text);
        control->UpdateWindow();
    }
}

} // namespace

void CCopyPage::ShowCopyingFile(LPCSTR srcName) {
    if (m_hCopyingFormatModule != AfxGetResourceHandle() || m_strCopyingFormat.IsEmpty()) {
        m_strCopyingFormat.LoadFormatString(IDS_COPYING_FILE, "s");
        m_hCopyingFormatModule = AfxGetResourceHandle();
    }
    CString line;
    line.Format(m_strCopyingFormat, srcName);
    ShowLine(this, kFileLine, line);
}

void CCopyPage::ShowSourcePath(LPCSTR path) {
    ShowLine(this, kSourceLine, path);
}

void CCopyPage::ShowDestinationPath(LPCSTR path) {
    ShowLine(this, kDestinationLine, path);
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
