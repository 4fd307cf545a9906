// The old-style file-open dialog, with the directory browser's template 1536 from the
// program's resources (file name "dummy" hidden) and with the built-in layout.
#include "WindowsFixture.h"

#include <commdlg.h>

namespace {

constexpr int kFolderText = 1088;
constexpr int kFolderList = 1121;
constexpr int kDriveCombo = 1137;
constexpr int kFileName = 1152;

class OpenFileDialogTest : public WindowsTest {
  protected:
    OpenFileDialogTest() : WindowsTest("JPN") {}
    void SetUp() override {
        WindowsTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA("C:\\APP", nullptr));
        ASSERT_TRUE(CreateDirectoryA("C:\\APP\\SUB", nullptr));
        ASSERT_TRUE(CreateDirectoryA("C:\\APP\\OTHER", nullptr));
        HANDLE file = CreateFileA("C:\\APP\\readme.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        CloseHandle(file);
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof current, current);
        m_startDir = current;
    }
    // The browser's settings: template 1536, "dummy", hide read-only, keep the directory.
    OPENFILENAMEA Browser(const char* initialDir = "C:\\APP") {
        strcpy(m_file, "dummy");
        m_title[0] = '\0';
        OPENFILENAMEA ofn = {};
        ofn.lStructSize = sizeof ofn;
        ofn.hInstance = GetModuleHandleA(nullptr);
        ofn.lpTemplateName = MAKEINTRESOURCEA(1536);
        ofn.lpstrFile = m_file;
        ofn.nMaxFile = sizeof m_file;
        ofn.lpstrFileTitle = m_title;
        ofn.nMaxFileTitle = sizeof m_title;
        ofn.lpstrInitialDir = initialDir;
        ofn.lpstrTitle = "Pick a folder";
        ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_ENABLETEMPLATE;
        return ofn;
    }
    static std::vector<std::string> Items(HWND list) {
        std::vector<std::string> items;
        bool combo = ClassName(list) == "ComboBox";
        LRESULT count = SendMessageA(list, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            char text[MAX_PATH] = "";
            SendMessageA(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(text));
            items.push_back(text);
        }
        return items;
    }
    // Opens a folder of the list the way a double click does.
    static void OpenItem(HWND dialog, const char* name) {
        HWND list = GetDlgItem(dialog, kFolderList);
        LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(name));
        ASSERT_GE(index, 0) << name;
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(index), 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(kFolderList, LBN_DBLCLK),
                     reinterpret_cast<LPARAM>(list));
    }
    static std::string Current() {
        char current[MAX_PATH] = "";
        GetCurrentDirectoryA(sizeof current, current);
        return current;
    }

    char m_file[MAX_PATH];
    char m_title[64];
    std::string m_startDir;
};

TEST_F(OpenFileDialogTest, ShowsTheStartFolderItsComponentsAndSubfolders) {
    std::string caption;
    std::string folder;
    std::vector<std::string> folders;
    std::vector<std::string> drives;
    bool nameShown = true;
    std::string name;
    int selected = -1;
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        caption = Text(dialog);
        folder = Text(GetDlgItem(dialog, kFolderText));
        folders = Items(GetDlgItem(dialog, kFolderList));
        selected = static_cast<int>(SendDlgItemMessageA(dialog, kFolderList, LB_GETCURSEL, 0, 0));
        drives = Items(GetDlgItem(dialog, kDriveCombo));
        nameShown = IsWindowVisible(GetDlgItem(dialog, kFileName)) != FALSE;
        name = Text(GetDlgItem(dialog, kFileName));
        host::PostKeyDown(VK_ESCAPE);
    });
    OPENFILENAMEA ofn = Browser();
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(caption, "Pick a folder");
    EXPECT_EQ(folder, "C:\\APP");
    EXPECT_EQ(folders, (std::vector<std::string>{"C:\\", "APP", "OTHER", "SUB"}));
    EXPECT_EQ(selected, 1);
    EXPECT_EQ(drives, (std::vector<std::string>{"c:", "d:"}));
    EXPECT_FALSE(nameShown);
    EXPECT_EQ(name, "dummy");
    // Cancel leaves the name as it was and the current directory where it was.
    EXPECT_STREQ(m_file, "dummy");
    EXPECT_EQ(Current(), m_startDir);
}

TEST_F(OpenFileDialogTest, OpeningAFolderAndOkGiveTheFolderAndDummy) {
    std::string folder;
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        HWND list = GetDlgItem(dialog, kFolderList);
        SetFocus(list);
        // Down from APP to OTHER and SUB, Enter opens it.
        host::PostKeyDown(VK_DOWN);
        host::PostKeyDown(VK_DOWN);
        host::PostKeyDown(VK_RETURN);
    });
    AtNextWait([&] {
        folder = Text(GetDlgItem(GetActiveWindow(), kFolderText));
        // Enter on the folder shown is OK.
        host::PostKeyDown(VK_RETURN);
    });
    OPENFILENAMEA ofn = Browser();
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(folder, "C:\\APP\\SUB");
    EXPECT_STREQ(m_file, "C:\\APP\\SUB\\dummy");
    EXPECT_EQ(ofn.nFileOffset, 11);
    EXPECT_EQ(ofn.nFileExtension, strlen(m_file));
    EXPECT_STREQ(m_title, "dummy");
    EXPECT_EQ(Current(), m_startDir);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(OpenFileDialogTest, OkOnAHighlightedFolderOpensItAndOkOnTheOpenOneReturnsIt) {
    std::string folder;
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        HWND list = GetDlgItem(dialog, kFolderList);
        LRESULT sub = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>("SUB"));
        ASSERT_GE(sub, 0);
        SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(sub), 0);
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        folder = Text(GetDlgItem(dialog, kFolderText));
        PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK)));
    });
    OPENFILENAMEA ofn = Browser();
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(folder, "C:\\APP\\SUB");
    EXPECT_STREQ(m_file, "C:\\APP\\SUB\\dummy");
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(OpenFileDialogTest, ARootGivesDriveAndDummy) {
    AtNextWait([&] { OpenItem(GetActiveWindow(), "C:\\"); });
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        EXPECT_EQ(Text(GetDlgItem(dialog, kFolderText)), "C:\\");
        // The root lists its folders.
        std::vector<std::string> folders = Items(GetDlgItem(dialog, kFolderList));
        EXPECT_NE(std::find(folders.begin(), folders.end(), "APP"), folders.end());
        RECT ok;
        GetWindowRect(GetDlgItem(dialog, IDOK), &ok);
        host::PostMouseClick(ok.left + 16, ok.top + 4);
    });
    OPENFILENAMEA ofn = Browser();
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(m_file, "C:\\dummy");
    EXPECT_EQ(ofn.nFileOffset, 3);
}

TEST_F(OpenFileDialogTest, TheDriveListChangesTheDrive) {
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        SetFocus(GetDlgItem(dialog, kDriveCombo));
        host::PostKeyDown(VK_DOWN);
    });
    std::string folder;
    AtNextWait([&] {
        folder = Text(GetDlgItem(GetActiveWindow(), kFolderText));
        PostMessageA(GetActiveWindow(), WM_COMMAND, IDOK, 0);
    });
    OPENFILENAMEA ofn = Browser();
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(folder, "D:\\");
    EXPECT_STREQ(m_file, "D:\\dummy");
}

TEST_F(OpenFileDialogTest, WithoutNoChangeDirTheCurrentDirectoryFollows) {
    AtNextWait([&] { OpenItem(GetActiveWindow(), "OTHER"); });
    AtNextWait([&] { PostMessageA(GetActiveWindow(), WM_COMMAND, IDOK, 0); });
    OPENFILENAMEA ofn = Browser();
    ofn.Flags &= ~static_cast<DWORD>(OFN_NOCHANGEDIR);
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_STREQ(m_file, "C:\\APP\\OTHER\\dummy");
    EXPECT_EQ(Current(), "C:\\APP\\OTHER");
    SetCurrentDirectoryA(m_startDir.c_str());
}

TEST_F(OpenFileDialogTest, WithoutAnInitialDirectoryItStartsInTheCurrentOne) {
    SetCurrentDirectoryA("C:\\APP\\SUB");
    std::string folder;
    AtNextWait([&] {
        folder = Text(GetDlgItem(GetActiveWindow(), kFolderText));
        PostMessageA(GetActiveWindow(), WM_COMMAND, IDCANCEL, 0);
    });
    OPENFILENAMEA ofn = Browser(nullptr);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(folder, "C:\\APP\\SUB");
    SetCurrentDirectoryA(m_startDir.c_str());
}

TEST_F(OpenFileDialogTest, TheBuiltInLayoutTakesATypedName) {
    std::vector<std::string> files;
    AtNextWait([&] {
        HWND dialog = GetActiveWindow();
        HWND name = GetDlgItem(dialog, kFileName);
        EXPECT_TRUE(IsWindowVisible(name));
        files = Items(GetDlgItem(dialog, 1120));
        SetFocus(name);
        SendMessageA(name, EM_SETSEL, 0, -1);
        host::PostText("notes.txt");
        host::PostKeyDown(VK_RETURN);
    });
    strcpy(m_file, "");
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFile = m_file;
    ofn.nMaxFile = sizeof m_file;
    ofn.lpstrInitialDir = "C:\\APP";
    ofn.lpstrFilter = "Text\0*.txt\0All\0*.*\0";
    ofn.Flags = OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(files, (std::vector<std::string>{"readme.txt"}));
    EXPECT_STREQ(m_file, "C:\\APP\\notes.txt");
    EXPECT_EQ(ofn.nFileOffset, 7);
    EXPECT_EQ(ofn.nFileExtension, 13);
}

TEST_F(OpenFileDialogTest, AMissingTemplateOrASmallBufferFails) {
    OPENFILENAMEA ofn = Browser();
    ofn.lpTemplateName = MAKEINTRESOURCEA(4321);
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_FINDRESFAILURE));

    AtNextWait([&] { PostMessageA(GetActiveWindow(), WM_COMMAND, IDOK, 0); });
    ofn = Browser();
    ofn.nMaxFile = 8;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
    EXPECT_EQ(UnexpectedWaits(), 0);

    OPENFILENAMEA bad = {};
    EXPECT_FALSE(GetOpenFileNameA(&bad));
    EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
}

TEST_F(OpenFileDialogTest, TheOwnerWaitsWhileTheBrowserIsOpen) {
    DialogBuilder b(WS_OVERLAPPED | WS_CAPTION | WS_VISIBLE, 0, 0, 100, 40, "Owner");
    HWND owner = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, RecordingDialogProc, 0);
    ASSERT_NE(owner, nullptr);
    bool disabled = false;
    AtNextWait([&] {
        disabled = !IsWindowEnabled(owner);
        host::PostKeyDown(VK_ESCAPE);
    });
    OPENFILENAMEA ofn = Browser();
    ofn.hwndOwner = owner;
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
}

} // namespace
