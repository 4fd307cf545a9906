// The dialog manager's keyboard interface on a modeless dialog built in memory: the first
// focus, Tab and Shift+Tab, Enter and Esc, mnemonics, the default button, child dialogs.
#include "WindowsFixture.h"

namespace {

constexpr int kLabel = 100;
constexpr int kName = 101;
constexpr int kCheck = 102;
constexpr int kOff = 103;
constexpr int kHidden = 104;
constexpr int kYes = 105;

class DialogManagerTest : public WindowsTest {
  protected:
    HWND MakeDialog(DLGPROC proc = RecordingDialogProc) {
        DialogBuilder b(WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | DS_MODALFRAME, 8, 8, 200,
                        104, "Test");
        b.Add(DialogBuilder::kStatic, WS_VISIBLE | SS_LEFT, 8, 8, 36, 8, kLabel, "&Name:");
        b.Add(DialogBuilder::kEdit, WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 48, 8,
              100, 8, kName, "typed");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 8, 24, 80, 8,
              kCheck, "&Check");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | WS_DISABLED | BS_PUSHBUTTON, 8, 40,
              48, 8, kOff, "&Off");
        b.Add(DialogBuilder::kButton, WS_TABSTOP | BS_PUSHBUTTON, 60, 40, 48, 8, kHidden,
              "&Hidden");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 8, 56, 48, 8, kYes,
              "&Yes");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 100, 80, 40, 8,
              IDOK, "OK");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 148, 80, 40, 8,
              IDCANCEL, "Cancel");
        HWND dialog = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, proc, 0);
        EXPECT_NE(dialog, nullptr);
        return dialog;
    }
    static HWND Item(HWND dialog, int id) { return GetDlgItem(dialog, id); }
    static void Key(HWND dialog, UINT vk, bool shift = false, bool alt = false) {
        host::PostKeyDown(vk, shift, alt);
        Pump(dialog);
    }
    static bool IsDefault(HWND button) {
        return (GetWindowLongA(button, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
    }
};

TEST_F(DialogManagerTest, FirstTabStopGetsTheFocusWithItsTextSelected) {
    HWND dialog = MakeDialog();
    EXPECT_EQ(ClassName(dialog), "#32770");
    EXPECT_TRUE(IsWindowVisible(dialog));
    EXPECT_EQ(GetActiveWindow(), dialog);
    EXPECT_EQ(GetFocus(), Item(dialog, kName));
    DWORD from = 99;
    DWORD to = 99;
    SendDlgItemMessageA(dialog, kName, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                        reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, 5u);
}

TEST_F(DialogManagerTest, TabSkipsDisabledAndHiddenControlsAndWraps) {
    HWND dialog = MakeDialog();
    Key(dialog, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(dialog, kCheck));
    Key(dialog, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(dialog, kYes));
    Key(dialog, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(dialog, IDOK));
    Key(dialog, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(dialog, IDCANCEL));
    Key(dialog, VK_TAB);
    EXPECT_EQ(GetFocus(), Item(dialog, kName));
    Key(dialog, VK_TAB, true);
    EXPECT_EQ(GetFocus(), Item(dialog, IDCANCEL));
    Key(dialog, VK_TAB, true);
    EXPECT_EQ(GetFocus(), Item(dialog, IDOK));
    EXPECT_EQ(GetNextDlgTabItem(dialog, Item(dialog, kYes), FALSE), Item(dialog, IDOK));
    EXPECT_EQ(GetNextDlgTabItem(dialog, Item(dialog, kYes), TRUE), Item(dialog, kCheck));
    EXPECT_EQ(GetNextDlgTabItem(dialog, nullptr, FALSE), Item(dialog, kName));
    EXPECT_TRUE(RecordedCommands().empty());
}

TEST_F(DialogManagerTest, EnterPressesTheDefaultButtonOrTheFocusedOne) {
    HWND dialog = MakeDialog();
    Key(dialog, VK_RETURN);
    ASSERT_EQ(RecordedCommands(), (std::vector<std::string>{"1:0"}));
    SetFocus(Item(dialog, kYes));
    Key(dialog, VK_RETURN);
    EXPECT_EQ(RecordedCommands().back(), "105:0");
    Key(dialog, VK_ESCAPE);
    EXPECT_EQ(RecordedCommands().back(), "2:0");
    // Space clicks the focused button.
    Key(dialog, VK_SPACE);
    EXPECT_EQ(RecordedCommands().back(), "105:0");
    EXPECT_EQ(RecordedCommands().size(), 4u);
}

TEST_F(DialogManagerTest, TheDefaultLookFollowsTheFocusedPushButton) {
    HWND dialog = MakeDialog();
    EXPECT_TRUE(IsDefault(Item(dialog, IDOK)));
    EXPECT_EQ(SendMessageA(dialog, DM_GETDEFID, 0, 0), MAKELONG(IDOK, DC_HASDEFID));
    SetFocus(Item(dialog, kYes));
    EXPECT_TRUE(IsDefault(Item(dialog, kYes)));
    EXPECT_FALSE(IsDefault(Item(dialog, IDOK)));
    SetFocus(Item(dialog, kName));
    EXPECT_TRUE(IsDefault(Item(dialog, IDOK)));
    EXPECT_FALSE(IsDefault(Item(dialog, kYes)));

    SendMessageA(dialog, DM_SETDEFID, kYes, 0);
    EXPECT_EQ(LOWORD(SendMessageA(dialog, DM_GETDEFID, 0, 0)), kYes);
    Key(dialog, VK_RETURN);
    EXPECT_EQ(RecordedCommands(), (std::vector<std::string>{"105:0"}));
}

TEST_F(DialogManagerTest, MnemonicsClickButtonsAndFocusLabelledControls) {
    HWND dialog = MakeDialog();
    // Alt+Y from the edit: the button is clicked and takes the focus.
    Key(dialog, 'Y', false, true);
    EXPECT_EQ(RecordedCommands(), (std::vector<std::string>{"105:0"}));
    EXPECT_EQ(GetFocus(), Item(dialog, kYes));
    // C alone where the focus takes no characters: the check box is clicked.
    host::PostChar('c');
    Pump(dialog);
    EXPECT_EQ(SendDlgItemMessageA(dialog, kCheck, BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(RecordedCommands().back(), "102:0");
    // The label's mnemonic focuses the control after it.
    Key(dialog, 'N', false, true);
    EXPECT_EQ(GetFocus(), Item(dialog, kName));
    // In the edit, letters are text.
    host::PostChar('y');
    Pump(dialog);
    EXPECT_EQ(Text(Item(dialog, kName)), "y");
    EXPECT_EQ(RecordedCommands().size(), 2u);
    // A disabled or hidden button's mnemonic does nothing.
    Key(dialog, 'O', false, true);
    Key(dialog, 'H', false, true);
    EXPECT_EQ(RecordedCommands().size(), 2u);
}

TEST_F(DialogManagerTest, CloseBecomesCancel) {
    HWND dialog = MakeDialog();
    SendMessageA(dialog, WM_CLOSE, 0, 0);
    Pump(dialog);
    EXPECT_EQ(RecordedCommands(), (std::vector<std::string>{"2:0"}));
    SendMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump(dialog);
    EXPECT_EQ(RecordedCommands().size(), 2u);
    EXPECT_TRUE(IsWindow(dialog));
}

TEST_F(DialogManagerTest, NextDlgCtrlMovesLikeTab) {
    HWND dialog = MakeDialog();
    SendMessageA(dialog, WM_NEXTDLGCTL, 0, FALSE);
    EXPECT_EQ(GetFocus(), Item(dialog, kCheck));
    SendMessageA(dialog, WM_NEXTDLGCTL, 1, FALSE);
    EXPECT_EQ(GetFocus(), Item(dialog, kName));
    SendMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(dialog, IDCANCEL)), TRUE);
    EXPECT_EQ(GetFocus(), Item(dialog, IDCANCEL));
}

TEST_F(DialogManagerTest, ArrowsMoveThroughARadioGroup) {
    DialogBuilder b(WS_POPUP | WS_CAPTION | WS_VISIBLE, 8, 8, 120, 64, "Radios");
    b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_AUTORADIOBUTTON, 8, 8, 80,
          8, 11, "One");
    b.Add(DialogBuilder::kButton, WS_VISIBLE | BS_AUTORADIOBUTTON, 8, 16, 80, 8, 12, "Two");
    b.Add(DialogBuilder::kButton, WS_VISIBLE | BS_AUTORADIOBUTTON, 8, 24, 80, 8, 13, "Three");
    b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | WS_GROUP | BS_PUSHBUTTON, 8, 40, 40, 8,
          IDOK, "OK");
    HWND dialog = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, RecordingDialogProc, 0);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 11));
    Key(dialog, VK_DOWN);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 12));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), BST_CHECKED);
    Key(dialog, VK_DOWN);
    Key(dialog, VK_DOWN);
    EXPECT_EQ(GetFocus(), GetDlgItem(dialog, 11));
    EXPECT_EQ(IsDlgButtonChecked(dialog, 11), BST_CHECKED);
    EXPECT_EQ(IsDlgButtonChecked(dialog, 12), BST_UNCHECKED);
    EXPECT_EQ(GetNextDlgGroupItem(dialog, GetDlgItem(dialog, 11), TRUE), GetDlgItem(dialog, 13));
}

TEST_F(DialogManagerTest, TabCyclesThroughTheVisiblePageOfAMainWindow) {
    DialogBuilder main(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 160, 80, "Main");
    HWND mainWindow =
        CreateDialogIndirectParamA(nullptr, main.Get(), nullptr, RecordingDialogProc, 0);
    ASSERT_NE(mainWindow, nullptr);
    auto page = [&](int first, bool visible) {
        DialogBuilder b(WS_CHILD | (visible ? WS_VISIBLE : 0), 0, 0, 160, 80);
        b.Add(DialogBuilder::kEdit, WS_VISIBLE | WS_TABSTOP | WS_BORDER, 8, 8, 60, 8, first, "");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 8, 24, 40, 8,
              IDOK, "OK");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP, 56, 24, 40, 8, IDCANCEL, "Cancel");
        return CreateDialogIndirectParamA(nullptr, b.Get(), mainWindow, RecordingDialogProc, 0);
    };
    HWND hidden = page(200, false);
    HWND shown = page(300, true);
    ASSERT_NE(hidden, nullptr);
    ASSERT_NE(shown, nullptr);
    SetFocus(nullptr);
    SetFocus(mainWindow);
    EXPECT_EQ(GetFocus(), GetDlgItem(shown, 300));
    EXPECT_EQ(GetNextDlgTabItem(mainWindow, nullptr, FALSE), GetDlgItem(shown, 300));
    Key(shown, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(shown, IDOK));
    Key(shown, VK_TAB);
    Key(shown, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(shown, 300));
    // Enter and Esc go to the page.
    Key(shown, VK_RETURN);
    Key(shown, VK_ESCAPE);
    EXPECT_EQ(RecordedCommands(), (std::vector<std::string>{"1:0", "2:0"}));
    // Hiding the page that has the focus leaves no focus on it.
    ShowWindow(shown, SW_HIDE);
    HWND focus = GetFocus();
    EXPECT_TRUE(focus == nullptr || focus == mainWindow);
    ShowWindow(hidden, SW_SHOW);
    SetFocus(GetDlgItem(hidden, 200));
    EXPECT_EQ(GetFocus(), GetDlgItem(hidden, 200));
}

TEST_F(DialogManagerTest, ControlsLandOnTheCellsTheirDialogUnitsName) {
    HWND dialog = MakeDialog();
    POINT origin = {0, 0};
    ClientToScreen(dialog, &origin);
    ASSERT_EQ(origin.x % 8, 0);
    ASSERT_EQ(origin.y % 16, 0);
    struct Expected {
        int id;
        int x, y;
    } expected[] = {{kLabel, 8, 8}, {kName, 48, 8},  {kCheck, 8, 24},
                    {kYes, 8, 56},  {IDOK, 100, 80}, {IDCANCEL, 148, 80}};
    for (const Expected& e : expected) {
        RECT r;
        GetWindowRect(GetDlgItem(dialog, e.id), &r);
        EXPECT_EQ((r.left - origin.x) / 8, e.x / 4) << e.id;
        EXPECT_EQ((r.top - origin.y) / 16, e.y / 8) << e.id;
    }
}

} // namespace
