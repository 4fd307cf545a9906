// The file dialog and the framework's message boxes.
#include "WindowFixture.h"

#include "AfxCore.h"
#include "CFileDialog.h"
#include "CWinApp.h"

#include <host/Transcript.h>

#include <cstring>

namespace {

constexpr UINT kMainTemplate = 101;
constexpr UINT kBrowseTemplate = 1536;

class CInspectableFileDialog : public CFileDialog {
  public:
    using CFileDialog::CFileDialog;
    const char* FileNameBuffer() const { return m_szFileName; }
};

using CommonDialogTest = WindowFixture;

TEST_F(CommonDialogTest, TheFileDialogRecordIsFilledIn) {
    CInspectableFileDialog dialog(TRUE, "txt", "dummy", OFN_HIDEREADONLY | OFN_NOCHANGEDIR,
                                  "Text|*.txt|All|*.*||");
    EXPECT_EQ(dialog.m_ofn.lStructSize, sizeof(OPENFILENAMEA));
    EXPECT_EQ(dialog.m_ofn.hInstance, AfxGetResourceHandle());
    EXPECT_EQ(dialog.m_ofn.lpstrFile, dialog.FileNameBuffer());
    EXPECT_STREQ(dialog.m_ofn.lpstrFile, "dummy");
    EXPECT_EQ(dialog.m_ofn.nMaxFile, static_cast<DWORD>(MAX_PATH));
    EXPECT_EQ(dialog.m_ofn.Flags,
              static_cast<DWORD>(OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_EXPLORER));
    EXPECT_STREQ(dialog.m_ofn.lpstrDefExt, "txt");
    ASSERT_NE(dialog.m_ofn.lpstrFilter, nullptr);
    const char expected[] = "Text\0*.txt\0All\0*.*\0";
    EXPECT_EQ(std::memcmp(dialog.m_ofn.lpstrFilter, expected, sizeof expected), 0);

    CInspectableFileDialog plain(TRUE);
    EXPECT_STREQ(plain.m_ofn.lpstrFile, "");
    EXPECT_EQ(plain.m_ofn.lpstrFilter, nullptr);

    std::string longName(400, 'x');
    CInspectableFileDialog tooLong(TRUE, nullptr, longName.c_str());
    EXPECT_EQ(std::strlen(tooLong.m_ofn.lpstrFile), static_cast<size_t>(MAX_PATH - 1));
}

// The directory browser's way of using the dialog: the old style with a template and a
// hidden file name.
class CBrowser : public CFileDialog {
  public:
    CBrowser() : CFileDialog(TRUE, nullptr, "dummy", 0x4C, nullptr, nullptr) {
        m_ofn.Flags &= ~OFN_EXPLORER;
        m_ofn.lpstrTitle = "Browse";
        m_ofn.lpTemplateName = MAKEINTRESOURCEA(kBrowseTemplate);
    }
};

TEST_F(CommonDialogTest, OkGivesTheFolderAndTheFileName) {
    ASSERT_TRUE(CreateDirectoryA("C:\\APP", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\APP"));
    CBrowser browser;
    std::string title;
    AtNextWait([&] {
        title = TextOf(GetActiveWindow());
        Click(GetActiveWindow(), IDOK);
    });
    EXPECT_EQ(browser.DoModal(), IDOK);
    EXPECT_EQ(title, "Browse");
    CString path = browser.GetPathName();
    CString name = browser.GetFileName();
    EXPECT_EQ(name, "dummy");
    EXPECT_EQ(path.Left(path.GetLength() - name.GetLength()).CompareNoCase("C:\\APP\\"), 0)
        << static_cast<LPCSTR>(path);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(CommonDialogTest, CancelGivesCancel) {
    CBrowser browser;
    AtNextWait([&] { Click(GetActiveWindow(), IDCANCEL); });
    EXPECT_EQ(browser.DoModal(), IDCANCEL);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(CommonDialogTest, TheFileNameIsThePathsTail) {
    CBrowser browser;
    std::strcpy(browser.m_ofn.lpstrFile, "C:\\DIR\\SUB\\FILE.TXT");
    EXPECT_EQ(browser.GetFileName(), "FILE.TXT");
    std::strcpy(browser.m_ofn.lpstrFile, "FILE.TXT");
    EXPECT_EQ(browser.GetFileName(), "FILE.TXT");
    std::strcpy(browser.m_ofn.lpstrFile, "C:\\");
    EXPECT_EQ(browser.GetFileName(), "");
}

class MessageBoxTest : public WindowFixture {
  protected:
    void SetUp() override {
        WindowFixture::SetUp();
        m_transcript = m_prefix / "transcript.txt";
        std::string error;
        ASSERT_TRUE(host::StartTranscript(m_transcript, error)) << error;
    }
    void TearDown() override {
        host::StopTranscript();
        WindowFixture::TearDown();
    }
    std::string Transcript() {
        host::StopTranscript();
        return ReadHostFile(m_transcript);
    }
    std::string m_transcript;
};

TEST_F(MessageBoxTest, TheFrameworksBoxIsOwnedByTheMainWindowAndCarriesTheTitle) {
    class CApp : public CWinApp {
    } app;
    app.SetAppName("Test Title");
    CDialog main;
    ASSERT_TRUE(main.Create(kMainTemplate));
    app.m_pMainWnd = &main;

    HWND owner = nullptr;
    AtNextWait([&] {
        HWND box = GetActiveWindow();
        owner = GetWindow(box, GW_OWNER);
        Click(box, IDOK);
    });
    EXPECT_EQ(AfxMessageBox("Hello"), IDOK);
    EXPECT_EQ(owner, main.m_hWnd);

    AtNextWait([&] { Click(GetActiveWindow(), IDNO); });
    EXPECT_EQ(AfxMessageBox("Sure?", MB_YESNO), IDNO);
    AtNextWait([&] { Click(GetActiveWindow(), IDOK); });
    EXPECT_EQ(AfxMessageBox("Note", MB_OK | MB_ICONINFORMATION), IDOK);

    app.m_pMainWnd = nullptr;
    main.DestroyWindow();
    EXPECT_EQ(Transcript(), "message: Test Title | Hello -> OK (0x30)\n"
                            "message: Test Title | Sure? -> No (0x24)\n"
                            "message: Test Title | Note -> OK (0x40)\n");
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(MessageBoxTest, AWindowsBoxDefaultsToTheApplicationTitle) {
    class CApp : public CWinApp {
    } app;
    app.SetAppName("App");
    CDialog main;
    ASSERT_TRUE(main.Create(kMainTemplate));
    AtNextWait([&] { Click(GetActiveWindow(), IDYES); });
    EXPECT_EQ(main.MessageBox("Go on?", nullptr, MB_YESNO | MB_ICONQUESTION), IDYES);
    AtNextWait([&] { Click(GetActiveWindow(), IDOK); });
    EXPECT_EQ(main.MessageBox("Plain", "Own caption"), IDOK);
    main.DestroyWindow();
    EXPECT_EQ(Transcript(), "message: App | Go on? -> Yes (0x24)\n"
                            "message: Own caption | Plain -> OK (0x0)\n");
}

TEST_F(MessageBoxTest, AProgramsOwnDialogIsRecordedAsADialog) {
    class CApp : public CWinApp {
    } app;
    CDialog about(100);
    AtNextWait([&] { Click(GetActiveWindow(), IDOK); });
    EXPECT_EQ(about.DoModal(), IDOK);
    std::string transcript = Transcript();
    EXPECT_EQ(transcript.rfind("dialog: Veltrix Setup for Win32 ", 0), 0u) << transcript;
    EXPECT_NE(transcript.find(" | (OK)\n"), std::string::npos) << transcript;
}

TEST_F(MessageBoxTest, TheApplicationLoadsItsIcon) {
    class CApp : public CWinApp {
    } app;
    EXPECT_NE(app.LoadIcon(128), nullptr);
    EXPECT_EQ(app.LoadIcon(4242), nullptr);
}

} // namespace
