// The single-line edit control: selection messages, typing and editing keys, the limit,
// horizontal scrolling and, on a Japanese machine, double-byte characters.
#include "WindowsFixture.h"

namespace {

constexpr int kEdit = 10;

std::vector<WORD>& Notifications() {
    static std::vector<WORD> codes;
    return codes;
}

INT_PTR CALLBACK NotifyingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) == kEdit) {
        Notifications().push_back(HIWORD(wParam));
        return TRUE;
    }
    return FALSE;
}

class EditTest : public WindowsTest {
  protected:
    explicit EditTest(const char* language = "ENU") : WindowsTest(language) {}
    void SetUp() override {
        WindowsTest::SetUp();
        Notifications().clear();
    }
    // A dialog with one edit of the given width in dialog units (4 per cell).
    HWND MakeEdit(short width = 100, DWORD style = ES_AUTOHSCROLL, const char* text = "") {
        DialogBuilder b(WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 40, "Edit");
        b.Add(DialogBuilder::kEdit, WS_VISIBLE | WS_BORDER | WS_TABSTOP | style, 8, 8, width, 8,
              kEdit, text);
        m_dialog = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, NotifyingProc, 0);
        EXPECT_NE(m_dialog, nullptr);
        HWND edit = GetDlgItem(m_dialog, kEdit);
        SetFocus(edit);
        return edit;
    }
    static std::pair<DWORD, DWORD> Selection(HWND edit) {
        DWORD from = 0;
        DWORD to = 0;
        LRESULT both = SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from),
                                    reinterpret_cast<LPARAM>(&to));
        EXPECT_EQ(LOWORD(both), from);
        EXPECT_EQ(HIWORD(both), to);
        return {from, to};
    }
    void Key(UINT vk, bool shift = false) {
        host::PostKeyDown(vk, shift);
        Pump(m_dialog);
    }
    void Type(const std::string& text) {
        host::PostText(text);
        Pump(m_dialog);
    }
    // The edit's row of the screen, from its first column for count cells.
    std::string Shown(HWND edit, int count) {
        POINT cell = CellOf(edit);
        std::string line = CellRow(cell.y);
        line.resize(std::max(line.size(), static_cast<size_t>(cell.x + count)), ' ');
        return line.substr(static_cast<size_t>(cell.x), static_cast<size_t>(count));
    }

    HWND m_dialog = nullptr;
};

TEST_F(EditTest, SetSelAndGetSel) {
    HWND edit = MakeEdit(100, ES_AUTOHSCROLL, "abcdef");
    SendMessageA(edit, EM_SETSEL, 2, 4);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{4}));
    SendMessageA(edit, EM_SETSEL, 5, 1);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{1}, DWORD{5}));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{6}));
    SendMessageA(edit, EM_SETSEL, 3, 100);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{3}, DWORD{6}));
    // -1 as the start drops the selection, keeping the caret.
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(-1), 0);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{6}, DWORD{6}));
}

TEST_F(EditTest, ReplaceSelAndTypingReplaceTheSelection) {
    HWND edit = MakeEdit(100, ES_AUTOHSCROLL, "abcdef");
    SendMessageA(edit, EM_SETSEL, 1, 3);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("XYZ"));
    EXPECT_EQ(Text(edit), "aXYZdef");
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{4}, DWORD{4}));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    Type("new");
    EXPECT_EQ(Text(edit), "new");
    ASSERT_FALSE(Notifications().empty());
    EXPECT_EQ(Notifications().back(), EN_CHANGE);
}

TEST_F(EditTest, EditingKeys) {
    HWND edit = MakeEdit();
    Type("hello");
    Key(VK_LEFT);
    Key(VK_LEFT);
    Type("X");
    EXPECT_EQ(Text(edit), "helXlo");
    Key(VK_BACK);
    EXPECT_EQ(Text(edit), "hello");
    Key(VK_HOME);
    Key(VK_DELETE);
    EXPECT_EQ(Text(edit), "ello");
    Key(VK_END);
    Key(VK_LEFT, true);
    Key(VK_LEFT, true);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{2}, DWORD{4}));
    Type("p");
    EXPECT_EQ(Text(edit), "elp");
    // Enter, Tab and Esc are not text.
    SendMessageA(edit, WM_CHAR, '\r', 0);
    SendMessageA(edit, WM_CHAR, '\t', 0);
    EXPECT_EQ(Text(edit), "elp");
}

TEST_F(EditTest, TheLimitStopsTyping) {
    HWND edit = MakeEdit();
    SendMessageA(edit, EM_LIMITTEXT, 4, 0);
    EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 4);
    Type("abcdef");
    EXPECT_EQ(Text(edit), "abcd");
    EXPECT_NE(std::find(Notifications().begin(), Notifications().end(), EN_MAXTEXT),
              Notifications().end());
    // Text set from the program is not cut.
    SetWindowTextA(edit, "longer text");
    EXPECT_EQ(Text(edit), "longer text");
}

TEST_F(EditTest, SetTextPutsTheCaretAtTheStartAndNotifies) {
    HWND edit = MakeEdit(100, ES_AUTOHSCROLL, "abc");
    SendMessageA(edit, EM_SETSEL, 0, -1);
    Notifications().clear();
    SetWindowTextA(edit, "C:\\PROGRAMS");
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{0}));
    EXPECT_EQ(GetWindowTextLengthA(edit), 11);
    EXPECT_NE(std::find(Notifications().begin(), Notifications().end(), EN_CHANGE),
              Notifications().end());
}

TEST_F(EditTest, ScrollCaretShowsTheEndOfALongText) {
    // 40 dialog units: 10 cells. The dialog manager selected the whole text when it gave
    // the edit the focus, so the caret stands at its end, in view.
    HWND edit = MakeEdit(40, ES_AUTOHSCROLL, "0123456789abcdefghij");
    UpdateWindow(m_dialog);
    EXPECT_EQ(Shown(edit, 9), "bcdefghij");
    SendMessageA(edit, EM_SETSEL, 0, 0);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    UpdateWindow(m_dialog);
    EXPECT_EQ(Shown(edit, 10), "0123456789");
    // Setting the selection alone does not scroll.
    SendMessageA(edit, EM_SETSEL, 20, 20);
    UpdateWindow(m_dialog);
    EXPECT_EQ(Shown(edit, 10), "0123456789");
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    UpdateWindow(m_dialog);
    EXPECT_EQ(Shown(edit, 9), "bcdefghij");
}

TEST_F(EditTest, WithoutAutoScrollTheTextEndsAtTheRightEdge) {
    HWND edit = MakeEdit(20, 0);
    Type("abcdefgh");
    EXPECT_EQ(Text(edit), "abcde");
}

TEST_F(EditTest, TheFocusedEditShowsItsText) {
    HWND edit = MakeEdit(100, ES_AUTOHSCROLL, "");
    Type("visible");
    UpdateWindow(m_dialog);
    EXPECT_EQ(Shown(edit, 7), "visible");
}

class JapaneseEditTest : public EditTest {
  protected:
    JapaneseEditTest() : EditTest("JPN") {}
};

// "\x82\xA0" and "\x82\xA2" are two hiragana, each one double-byte character.
TEST_F(JapaneseEditTest, DoubleByteCharactersAreTypedAndErasedWhole) {
    HWND edit = MakeEdit();
    Type("a\x82\xA0\x82\xA2"
         "b");
    EXPECT_EQ(Text(edit), "a\x82\xA0\x82\xA2"
                          "b");
    Key(VK_LEFT);
    Key(VK_LEFT);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{3}, DWORD{3}));
    Key(VK_BACK);
    EXPECT_EQ(Text(edit), "a\x82\xA2"
                          "b");
    Key(VK_DELETE);
    EXPECT_EQ(Text(edit), "ab");
}

TEST_F(JapaneseEditTest, TheSelectionNeverSplitsACharacter) {
    HWND edit = MakeEdit(100, ES_AUTOHSCROLL, "\x82\xA0\x82\xA2\x82\xA4");
    SendMessageA(edit, EM_SETSEL, 1, 3);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{2}));
    SendMessageA(edit, EM_SETSEL, 0, -1);
    EXPECT_EQ(Selection(edit), std::make_pair(DWORD{0}, DWORD{6}));
    // The limit never keeps half of a character.
    SetWindowTextA(edit, "");
    SendMessageA(edit, EM_LIMITTEXT, 3, 0);
    Type("\x82\xA0\x82\xA2");
    EXPECT_EQ(Text(edit), "\x82\xA0");
}

TEST_F(JapaneseEditTest, ScrollingMovesByWholeCharacters) {
    // 10 cells and a text of one single-byte character followed by double-byte ones.
    std::string text = "a";
    for (int i = 0; i < 8; ++i)
        text += "\x82\xA0";
    HWND edit = MakeEdit(40, ES_AUTOHSCROLL, text.c_str());
    SendMessageA(edit, EM_SETSEL, static_cast<WPARAM>(text.size()), -1);
    SendMessageA(edit, EM_SCROLLCARET, 0, 0);
    UpdateWindow(m_dialog);
    std::string shown = Shown(edit, 10);
    // Only whole characters: the cells start on a lead byte.
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(static_cast<unsigned char>(shown[0]), 0x82);
    EXPECT_EQ(shown.substr(0, 8), "\x82\xA0\x82\xA0\x82\xA0\x82\xA0");
}

} // namespace
