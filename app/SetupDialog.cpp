#include "app/SetupDialog.h"

#include "app/CopyPage.h"
#include "app/SetupApp.h"
#include "engine/CopyFileEntry.h"
#include "engine/ExpandFile.h"
#include "engine/PathHelpers.h"
#include "engine/RegistryWriter.h"
#include "engine/Restart.h"
#include "engine/TemporaryDirectory.h"
#include "framework/AfxCore.h"
#include "pages/AboutDialog.h"
#include "pages/AbortPage.h"
#include "pages/FinishPage.h"
#include "pages/NextDiskPage.h"
#include "pages/PathPage.h"
#include "resources/resource.h"
#include "script/SetupScript.h"

namespace {

constexpr UINT kAboutCommand = 0x10;

} // namespace

BEGIN_MESSAGE_MAP(CSetupDialog, CDialog)
ON_WM_SYSCOMMAND()
ON_WM_PAINT()
ON_WM_QUERYDRAGICON()
ON_WM_CREATE()
END_MESSAGE_MAP()

CSetupDialog::CSetupDialog(CWnd* parent) : CDialog(IDD_SETUP_DIALOG, parent) {
    m_hIcon = AfxGetApp()->LoadIcon(IDR_MAINFRAME);
    CSetupScript* script = GetSetupScript();
    m_strSrcDir = script->m_strModuleDir;
    m_strDstDir = CopyWithTrailingBackslash(script->m_strDefaultDstPath, TRUE);
    CreateTemporaryDirectory(GetSetupApp()->m_strWindowsDir, m_strTempDir);
    Create(IDD_SETUP_DIALOG, parent);
}

CSetupDialog::~CSetupDialog() {
    RemoveTemporaryDirectory(m_strTempDir);
    DestroyWindow();
}

BOOL CSetupDialog::DestroyWindow() {
    if (m_pCurPage) {
        m_pCurPage->Activate(FALSE);
        m_pCurPage = nullptr;
    }
    while (!m_pages.IsEmpty())
        delete static_cast<CSetupPage*>(m_pages.RemoveHead());
    if (!m_hWnd)
        return FALSE;
    return CDialog::DestroyWindow();
}

int CSetupDialog::OnCreate(LPCREATESTRUCTA cs) {
    (void)cs;
    if (Default() == -1)
        return -1;
    m_pages.AddTail(new CPathPage(this));
    m_pCurPage = static_cast<CSetupPage*>(m_pages.GetHead());
    m_pages.AddTail(new CCopyPage(this));
    m_pages.AddTail(new CNextDiskPage(this));
    m_pages.AddTail(new CFinishPage(this));
    m_pages.AddTail(new CAbortPage(this));
    return 0;
}

BOOL CSetupDialog::OnInitDialog() {
    CDialog::OnInitDialog();
    SetIcon(m_hIcon, TRUE);
    SetIcon(m_hIcon, FALSE);
    AddSystemMenuEntry();

    CSetupScript* script = GetSetupScript();
    SetWindowText(script->m_strCaption);
    if (auto* pathPage = dynamic_cast<CPathPage*>(m_pCurPage)) {
        pathPage->SetSrcDir(script->m_bPromptSrcPath, m_strSrcDir);
        pathPage->SetDstDir(script->m_bPromptDstPath, m_strDstDir);
    }
    if (m_pCurPage)
        m_pCurPage->Activate(TRUE);
    return FALSE;
}

// The about box is reached from the window's system menu, after a separator.
void CSetupDialog::AddSystemMenuEntry() {
    HMENU menu = GetSystemMenu(FALSE);
    if (!menu)
        return;
    CString label;
    label.LoadString(IDS_ABOUTBOX);
    if (label.IsEmpty())
        return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, kAboutCommand, label);
}

void CSetupDialog::OnOK() {}

void CSetupDialog::OnCancel() {
    OnCancelRequest();
}

int CSetupDialog::MessageBoxId(UINT idText, LPCSTR caption, UINT type) {
    if (!m_pCurPage)
        return CDialog::MessageBox(CString(), caption, type);
    return m_pCurPage->MessageBoxId(idText, caption, type);
}

int CSetupDialog::MessageBoxText(LPCSTR text, LPCSTR caption, UINT type) {
    if (!m_pCurPage)
        return CDialog::MessageBox(text, caption, type);
    return m_pCurPage->MessageBoxText(text, caption, type);
}

void CSetupDialog::OnSysCommand(UINT id, LPARAM lParam) {
    (void)lParam;
    if ((id & 0xFFF0) == kAboutCommand) {
        CAboutDialog about;
        about.DoModal();
        return;
    }
    Default();
}

void CSetupDialog::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_hWnd, &paint);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(&client);
    int left = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    int top = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(dc, left, top, m_hIcon);
    EndPaint(m_hWnd, &paint);
}

HCURSOR CSetupDialog::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

CSetupPage* CSetupDialog::PageAt(int index) const {
    POSITION position = m_pages.FindIndex(index);
    if (!position)
        return nullptr;
    return static_cast<CSetupPage*>(const_cast<CObList&>(m_pages).GetAt(position));
}

BOOL CSetupDialog::ShowPage(int index) {
    CSetupPage* page = PageAt(index);
    if (!page)
        return FALSE;
    if (m_pCurPage)
        m_pCurPage->Activate(FALSE);
    m_pCurPage = page;
    if (page->GetPageIndex() == kFinishPage) {
        if (auto* finish = dynamic_cast<CFinishPage*>(page))
            finish->SetRestartMode(GetSetupScript()->m_nRebootOrRestart);
    }
    page->Activate(TRUE);
    return TRUE;
}

namespace {

// The status of a run that ends before the asked restart has happened (declined, or refused by
// the system): it names the restart still due, which on NT is the computer's for both types.
int outcomeOfRestartMode(int mode) {
    switch (RestartStillNeeded(GetSetupScript()->m_dwRunningOS, mode)) {
    case 1:
        return kOutcomeRestartWindows;
    case 2:
        return kOutcomeRestartComputer;
    default:
        return kOutcomeFinished;
    }
}

} // namespace

void CSetupDialog::OnNext() {
    if (!m_pCurPage)
        return;
    CSetupScript* script = GetSetupScript();
    CSetupApp* app = GetSetupApp();
    switch (m_pCurPage->GetPageIndex()) {
    case kPathPage: {
        auto* page = static_cast<CPathPage*>(m_pCurPage);
        if (script->m_bPromptSrcPath)
            m_strSrcDir = page->GetSrcDir();
        if (script->m_bPromptDstPath)
            m_strDstDir = page->GetDstDir();
        ShowPage(kCopyPage);
        app->m_bInstalling = TRUE;
        break;
    }
    case kNextDiskPage: {
        auto* page = static_cast<CNextDiskPage*>(m_pCurPage);
        m_strSrcDir = page->GetDiskDir();
        ShowPage(kCopyPage);
        app->m_bInstalling = TRUE;
        break;
    }
    case kFinishPage: {
        int mode = static_cast<CFinishPage*>(m_pCurPage)->m_nRestartMode;
        app->SetOutcome(outcomeOfRestartMode(mode));
        RestartSystem(mode);
        DestroyWindow();
        break;
    }
    case kAbortPage:
        app->SetOutcome(kOutcomeAbandoned);
        DestroyWindow();
        break;
    default:
        break;
    }
}

void CSetupDialog::OnCancelRequest() {
    if (!m_pCurPage)
        return;
    CSetupApp* app = GetSetupApp();
    switch (m_pCurPage->GetPageIndex()) {
    case kPathPage:
    case kNextDiskPage:
        if (MessageBoxId(IDS_CONFIRM_CANCEL, nullptr, MB_YESNO) == IDYES)
            ShowPage(kAbortPage);
        break;
    case kCopyPage:
        if (MessageBoxId(IDS_CONFIRM_CANCEL, nullptr, MB_YESNO) == IDYES) {
            ShowPage(kAbortPage);
            app->m_bInstalling = FALSE;
        }
        break;
    case kFinishPage: {
        int mode = static_cast<CFinishPage*>(m_pCurPage)->m_nRestartMode;
        if (mode == 1)
            MessageBoxId(IDS_RESTART_WINDOWS_REMINDER, nullptr, MB_ICONINFORMATION);
        else if (mode == 2)
            MessageBoxId(IDS_RESTART_COMPUTER_REMINDER, nullptr, MB_ICONINFORMATION);
        app->SetOutcome(outcomeOfRestartMode(mode));
        m_pCurPage->Activate(FALSE);
        DestroyWindow();
        break;
    }
    case kAbortPage:
        app->SetOutcome(kOutcomeAbandoned);
        m_pCurPage->Activate(FALSE);
        DestroyWindow();
        break;
    default:
        break;
    }
}

int CSetupDialog::CopyFileEntry(CFileEntry* entry) {
    return ::CopyFileEntry(*this, *entry, GetSetupScript()->m_bProgressBar);
}

BOOL CSetupDialog::ExpandFile(LPCSTR source, LPCSTR destination) {
    return ::ExpandFile(*this, source, destination);
}

void CSetupDialog::WriteRegistryEntries() {
    ::WriteRegistryEntries(*GetSetupScript());
}

void CSetupDialog::RestartSystem(int type) {
    ::RestartSystem(*this, GetSetupScript()->m_dwRunningOS, type);
}

BOOL CSetupDialog::CreateTemporaryDirectory(LPCSTR base, CString& path) {
    return ::CreateTemporaryDirectory(base, path);
}

namespace {

CCopyPage* copyPageOf(CSetupPage* page) {
    return dynamic_cast<CCopyPage*>(page);
}

} // namespace

void CSetupDialog::ShowCopyingFile(LPCSTR srcPath) {
    if (CCopyPage* page = copyPageOf(m_pCurPage))
        page->ShowCopyingFile(srcPath);
}

void CSetupDialog::ShowSourcePath(LPCSTR path) {
    if (CCopyPage* page = copyPageOf(m_pCurPage))
        page->ShowSourcePath(path);
}

void CSetupDialog::ShowDestinationPath(LPCSTR path) {
    if (CCopyPage* page = copyPageOf(m_pCurPage))
        page->ShowDestinationPath(path);
}

int CSetupDialog::AskOverwrite(LPCSTR existingPath, LPCSTR newPath) {
    CCopyPage* page = copyPageOf(m_pCurPage);
    return page ? page->AskOverwrite(existingPath, newPath) : IDCANCEL;
}

void CSetupDialog::StepProgress() {
    if (CCopyPage* page = copyPageOf(m_pCurPage))
        page->StepProgress();
}

void CSetupDialog::StopInstalling() {
    GetSetupApp()->m_bInstalling = FALSE;
}

void CSetupDialog::AskForDisk(int disk, LPCSTR proposedDir) {
    if (auto* page = dynamic_cast<CNextDiskPage*>(PageAt(kNextDiskPage))) {
        page->SetDiskNumber(disk);
        page->SetDiskDir(proposedDir);
    }
    ShowPage(kNextDiskPage);
}

void CSetupDialog::ShowAbortPage() {
    ShowPage(kAbortPage);
}
