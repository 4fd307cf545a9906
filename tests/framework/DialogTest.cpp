// Modeless and modal dialogs built from the program's templates, attached to their objects.
#include "WindowFixture.h"

#include "AfxCore.h"
#include "CDialog.h"
#include "CWinApp.h"

#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kAboutTemplate = 100;
constexpr UINT kMainTemplate = 101;
constexpr UINT kPathPageTemplate = 110;

class CLoggingDialog : public CDialog {
  public:
    explicit CLoggingDialog(UINT id = kMainTemplate, CWnd* parent = nullptr)
        : CDialog(id, parent) {}

    std::vector<std::string> log;
    HWND hWndAtCreate = nullptr;
    bool attachedAtCreate = false;
    int createResult = 0;
    int ncDestroyed = 0;

    BOOL OnInitDialog() override {
        log.push_back("init");
        return CDialog::OnInitDialog();
    }
    void OnOK() override { log.push_back("ok"); }
    void OnCancel() override { log.push_back("cancel"); }
    void PostNcDestroy() override { ++ncDestroyed; }

    int OnCreate(LPCREATESTRUCTA cs) {
        log.push_back("create");
        hWndAtCreate = m_hWnd;
        attachedAtCreate = CWnd::FromHandlePermanent(m_hWnd) == this;
        if (cs == nullptr || cs->lpCreateParams != this)
            log.push_back("bad create params");
        if (CDialog::OnCreate(cs) == -1)
            return -1;
        return createResult;
    }

  protected:
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLoggingDialog, CDialog)
ON_WM_CREATE()
END_MESSAGE_MAP()

using DialogTest = WindowFixture;

TEST_F(DialogTest, ModelessCreateAttachesAndRunsOnCreateBeforeOnInitDialog) {
    CLoggingDialog dialog;
    ASSERT_TRUE(dialog.Create(kMainTemplate));
    ASSERT_NE(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"create", "init"}));
    EXPECT_EQ(dialog.hWndAtCreate, dialog.m_hWnd);
    EXPECT_TRUE(dialog.attachedAtCreate);
    EXPECT_EQ(CWnd::FromHandlePermanent(dialog.m_hWnd), &dialog);
    EXPECT_EQ(CWnd::FromHandle(dialog.m_hWnd), &dialog);
    // The template is visible: the window shows once its initialisation is over.
    EXPECT_TRUE(IsWindowVisible(dialog.m_hWnd));
    EXPECT_EQ(GetWindowLongA(dialog.m_hWnd, GWL_STYLE) & WS_CHILD, 0);
}

TEST_F(DialogTest, AnUnmovedTopLevelDialogOpensCentredOnTheScreen) {
    CLoggingDialog dialog;
    ASSERT_TRUE(dialog.Create(kMainTemplate));
    RECT rect;
    GetWindowRect(dialog.m_hWnd, &rect);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int width = rect.right - rect.left;
    int height = rect.bottom - rect.top;
    ASSERT_LE(width, screenWidth);
    EXPECT_LE(std::abs(rect.left - (screenWidth - width) / 2), 1);
    // Windows stand on whole cells: centred to within half a cell's height.
    if (height <= screenHeight) {
        EXPECT_LE(std::abs(rect.top - (screenHeight - height) / 2), 8);
    }
}

TEST_F(DialogTest, DestroyWindowDetachesTheObject) {
    CLoggingDialog dialog;
    ASSERT_TRUE(dialog.Create(kMainTemplate));
    HWND hWnd = dialog.m_hWnd;
    EXPECT_TRUE(dialog.DestroyWindow());
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
    EXPECT_EQ(dialog.ncDestroyed, 1);
    EXPECT_FALSE(dialog.DestroyWindow());
}

TEST_F(DialogTest, DeletingTheObjectDestroysItsWindow) {
    HWND hWnd = nullptr;
    {
        CLoggingDialog dialog;
        ASSERT_TRUE(dialog.Create(kMainTemplate));
        hWnd = dialog.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(hWnd));
    EXPECT_EQ(CWnd::FromHandlePermanent(hWnd), nullptr);
}

TEST_F(DialogTest, AMissingTemplateFailsCreate) {
    CLoggingDialog dialog;
    EXPECT_FALSE(dialog.Create(4242));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_TRUE(dialog.log.empty());
}

TEST_F(DialogTest, OnCreateRefusingFailsCreateAndLeavesNoWindow) {
    CLoggingDialog dialog;
    dialog.createResult = -1;
    EXPECT_FALSE(dialog.Create(kMainTemplate));
    EXPECT_EQ(dialog.m_hWnd, nullptr);
    EXPECT_EQ(dialog.log, (std::vector<std::string>{"create"}));
    ASSERT_NE(dialog.hWndAtCreate, nullptr);
    EXPECT_FALSE(IsWindow(dialog.hWndAtCreate));
}

TEST_F(DialogTest, ChildPagesLiveInTheirParentAndGetOkAndCancel) {
    CLoggingDialog main;
    ASSERT_TRUE(main.Create(kMainTemplate));
    CLoggingDialog page(kPathPageTemplate, &main);
    ASSERT_TRUE(page.Create(kPathPageTemplate, &main));
    EXPECT_EQ(GetParent(page.m_hWnd), main.m_hWnd);
    EXPECT_NE(GetWindowLongA(page.m_hWnd, GWL_STYLE) & WS_CHILD, 0);
    EXPECT_FALSE(IsWindowVisible(page.m_hWnd)); // pages start hidden
    EXPECT_EQ(page.GetParent(), &main);

    page.SendMessage(WM_COMMAND, IDOK, reinterpret_cast<LPARAM>(GetDlgItem(page.m_hWnd, IDOK)));
    page.SendMessage(WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(page.log, (std::vector<std::string>{"create", "init", "ok", "cancel"}));
    EXPECT_EQ(main.log, (std::vector<std::string>{"create", "init"}));
}

TEST_F(DialogTest, ControlsAreReachedThroughTemporaryObjects) {
    CLoggingDialog main;
    ASSERT_TRUE(main.Create(kMainTemplate));
    CLoggingDialog page(kPathPageTemplate, &main);
    ASSERT_TRUE(page.Create(kPathPageTemplate, &main));

    HWND edit = GetDlgItem(page.m_hWnd, 1000);
    ASSERT_NE(edit, nullptr);
    CWnd* control = page.GetDlgItem(1000);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->m_hWnd, edit);
    EXPECT_EQ(page.GetDlgItem(1000), control);
    EXPECT_EQ(CWnd::FromHandlePermanent(edit), nullptr);
    control->SetWindowText("C:\\APP");
    CString text;
    control->GetWindowText(text);
    EXPECT_EQ(text, "C:\\APP");
    EXPECT_EQ(control->GetWindowTextLength(), 6);
    EXPECT_EQ(page.GetDlgItem(4242), nullptr);

    // The idle pass frees the temporary objects, never the windows.
    CWnd::DeleteTempMap();
    EXPECT_TRUE(IsWindow(edit));
    CWnd* again = page.GetDlgItem(1000);
    ASSERT_NE(again, nullptr);
    EXPECT_EQ(again->m_hWnd, edit);
}

class CTestApp : public CWinApp {
  public:
    explicit CTestApp(LPCSTR name = nullptr) : CWinApp(name) {}

    BOOL initResult = TRUE;
    int exitResult = -5; // -5: the framework's own ExitInstance
    int idleCalls = 0;
    int idleInModal = 0;
    bool inModal = false;
    bool exited = false;
    CLoggingDialog* mainDialog = nullptr;

    BOOL InitInstance() override {
        if (!initResult)
            return FALSE;
        mainDialog = new CLoggingDialog();
        mainDialog->Create(kMainTemplate);
        m_pMainWnd = mainDialog;
        return TRUE;
    }
    BOOL OnIdle(LONG count) override {
        ++idleCalls;
        if (inModal)
            ++idleInModal;
        CWinApp::OnIdle(count);
        return count < 2;
    }
    int ExitInstance() override {
        exited = true;
        int code = CWinApp::ExitInstance();
        return exitResult == -5 ? code : exitResult;
    }
    ~CTestApp() override { delete mainDialog; }
};

int RunApp() {
    char commandLine[] = "";
    return AfxWinMain(GetModuleHandleA(nullptr), nullptr, commandLine, SW_SHOWNORMAL);
}

TEST_F(DialogTest, TheApplicationRegistersItselfAndTakesItsTitleFromTheResources) {
    EXPECT_EQ(AfxGetApp(), nullptr);
    {
        CTestApp app;
        EXPECT_EQ(AfxGetApp(), &app);
        app.initResult = FALSE;
        app.exitResult = 2;
        EXPECT_EQ(RunApp(), 2);
        char title[256] = "";
        ASSERT_GT(LoadStringA(GetModuleHandleA(nullptr), 57344, title, sizeof title), 0);
        ASSERT_NE(app.m_pszAppName, nullptr);
        EXPECT_STREQ(app.m_pszAppName, title);
        EXPECT_TRUE(app.exited);
        EXPECT_EQ(app.idleCalls, 0); // InitInstance refused: no message loop
    }
    EXPECT_EQ(AfxGetApp(), nullptr);

    CTestApp named("Given Name");
    named.initResult = FALSE;
    RunApp();
    EXPECT_STREQ(named.m_pszAppName, "Given Name");
    named.SetAppName("Other");
    EXPECT_STREQ(named.m_pszAppName, "Other");
}

TEST_F(DialogTest, DestroyingTheMainWindowEndsTheLoopAndForgetsIt) {
    CTestApp app;
    app.exitResult = 7;
    AtNextWait([&] {
        EXPECT_GT(app.idleCalls, 0); // idle passes ran before the loop slept
        app.mainDialog->DestroyWindow();
    });
    EXPECT_EQ(RunApp(), 7);
    EXPECT_TRUE(app.exited);
    EXPECT_EQ(app.m_pMainWnd, nullptr);
    EXPECT_EQ(app.mainDialog->m_hWnd, nullptr);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(DialogTest, TheQuitCodeIsTheFrameworksExitCode) {
    CTestApp app;
    AtNextWait([&] { PostQuitMessage(3); });
    EXPECT_EQ(RunApp(), 3);
    EXPECT_NE(app.m_pMainWnd, nullptr); // the window was not destroyed
}

TEST_F(DialogTest, ARunWithoutMainWindowEndsAtOnce) {
    class CNoWindowApp : public CWinApp {
      public:
        BOOL InitInstance() override { return TRUE; }
    } app;
    EXPECT_EQ(RunApp(), 0);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

class CModalOpener : public CLoggingDialog {
  public:
    CTestApp* app = nullptr;
    INT_PTR modalResult = 0;
    int idleBeforeModal = 0;
    int idleAfterModal = 0;
    HWND modalOwner = nullptr;

  protected:
    void OnOpenAbout() {
        idleBeforeModal = app->idleCalls;
        app->inModal = true;
        CDialog about(kAboutTemplate);
        modalResult = about.DoModal();
        app->inModal = false;
        idleAfterModal = app->idleCalls;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CModalOpener, CLoggingDialog)
ON_COMMAND(5000, OnOpenAbout)
END_MESSAGE_MAP()

TEST_F(DialogTest, OnIdleRunsWhileTheQueueIsEmptyButNeverInAModalLoop) {
    class CModalApp : public CTestApp {
      public:
        CModalOpener opener;
        BOOL InitInstance() override {
            opener.app = this;
            opener.Create(kMainTemplate);
            m_pMainWnd = &opener;
            return TRUE;
        }
    } app;
    HWND about = nullptr;
    HWND mainWindow = nullptr;
    AtNextWait([&] {
        mainWindow = app.opener.m_hWnd;
        app.opener.PostMessage(WM_COMMAND, 5000, 0);
    });
    AtNextWait([&] {
        about = GetActiveWindow();
        EXPECT_NE(about, app.opener.m_hWnd);
        // A dialog without parent is owned by the main window, which it disables.
        app.opener.modalOwner = GetWindow(about, GW_OWNER);
        EXPECT_FALSE(IsWindowEnabled(app.opener.m_hWnd));
        Click(about, IDOK);
    });
    AtNextWait([&] { app.opener.DestroyWindow(); });
    EXPECT_EQ(RunApp(), 0);
    EXPECT_EQ(app.opener.modalResult, IDOK);
    EXPECT_EQ(app.opener.modalOwner, mainWindow);
    EXPECT_GT(app.opener.idleBeforeModal, 0);
    EXPECT_EQ(app.idleInModal, 0);
    EXPECT_EQ(app.opener.idleAfterModal, app.opener.idleBeforeModal);
    EXPECT_GT(app.idleCalls, app.opener.idleAfterModal); // idle again after the modal loop
    EXPECT_FALSE(IsWindow(about));
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(DialogTest, DoModalReturnsWhatEndDialogGets) {
    class CEndingDialog : public CDialog {
      public:
        CEndingDialog() : CDialog(kAboutTemplate) {}
        int inits = 0;
        BOOL OnInitDialog() override {
            ++inits;
            CDialog::OnInitDialog();
            return TRUE;
        }
        void OnOK() override { EndDialog(42); }
    } dialog;
    AtNextWait([&] { Click(GetActiveWindow(), IDOK); });
    EXPECT_EQ(dialog.DoModal(), 42);
    EXPECT_EQ(dialog.inits, 1);
    EXPECT_EQ(dialog.m_hWnd, nullptr);

    AtNextWait([&] { Click(GetActiveWindow(), IDCANCEL); });
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_EQ(dialog.inits, 2);

    CDialog missing(4242);
    EXPECT_EQ(missing.DoModal(), -1);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(DialogTest, DialogKeysReachTheModelessPage) {
    class CPageApp : public CTestApp {
      public:
        CLoggingDialog main;
        CLoggingDialog page{kPathPageTemplate, &main};
        BOOL InitInstance() override {
            main.Create(kMainTemplate);
            page.Create(kPathPageTemplate, &main);
            page.EnableWindow(TRUE);
            page.ShowWindow(SW_SHOW);
            m_pMainWnd = &main;
            return TRUE;
        }
    } app;
    HWND edit = nullptr;
    AtNextWait([&] {
        edit = GetDlgItem(app.page.m_hWnd, 1000);
        SetFocus(edit);
        PostMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(edit, WM_KEYUP, VK_RETURN, 0);
    });
    AtNextWait([&] {
        PostMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageA(edit, WM_KEYUP, VK_ESCAPE, 0);
    });
    AtNextWait([&] { app.main.DestroyWindow(); });
    RunApp();
    EXPECT_EQ(app.page.log, (std::vector<std::string>{"create", "init", "ok", "cancel"}));
    EXPECT_EQ(app.main.log, (std::vector<std::string>{"create", "init"}));
    EXPECT_EQ(UnexpectedWaits(), 0);
}

class CHelpApp : public CWinApp {
  public:
    int helped = 0;

  protected:
    void OnHelpCommand() { ++helped; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CHelpApp, CWinApp)
ON_COMMAND(ID_HELP, OnHelpCommand)
END_MESSAGE_MAP()

TEST_F(DialogTest, HelpCommandsGoOnToTheApplication) {
    CHelpApp app;
    CLoggingDialog dialog;
    ASSERT_TRUE(dialog.Create(kMainTemplate));
    dialog.SendMessage(WM_COMMAND, ID_HELP, 0);
    EXPECT_EQ(app.helped, 1);
    EXPECT_EQ(dialog.log.size(), 2u); // neither OK nor Cancel
}

} // namespace
