// List boxes and drop-down combo boxes: their messages, their keys and their notifications.
#include "WindowsFixture.h"

namespace {

constexpr int kList = 20;
constexpr int kSortedList = 21;
constexpr int kCombo = 22;

std::vector<std::pair<WORD, WORD>>& Notes() {
    static std::vector<std::pair<WORD, WORD>> notes;
    return notes;
}

INT_PTR CALLBACK NotingProc(HWND, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG)
        return TRUE;
    if (message == WM_COMMAND && LOWORD(wParam) >= kList && LOWORD(wParam) <= kCombo) {
        Notes().push_back({LOWORD(wParam), HIWORD(wParam)});
        return TRUE;
    }
    return FALSE;
}

class ListComboTest : public WindowsTest {
  protected:
    void SetUp() override {
        WindowsTest::SetUp();
        Notes().clear();
        DialogBuilder b(WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 240, 120, "Lists");
        b.Add(DialogBuilder::kListBox, WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_NOTIFY, 8, 8, 80,
              40, kList);
        b.Add(DialogBuilder::kListBox, WS_VISIBLE | WS_BORDER | WS_TABSTOP | LBS_SORT, 96, 8, 80,
              40, kSortedList);
        b.Add(DialogBuilder::kComboBox, WS_VISIBLE | WS_TABSTOP | CBS_DROPDOWNLIST, 8, 64, 80, 48,
              kCombo);
        m_dialog = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, NotingProc, 0);
        ASSERT_NE(m_dialog, nullptr);
        m_list = GetDlgItem(m_dialog, kList);
        m_sorted = GetDlgItem(m_dialog, kSortedList);
        m_combo = GetDlgItem(m_dialog, kCombo);
    }
    void Add(HWND list, const char* text) {
        SendMessageA(list, list == m_combo ? CB_ADDSTRING : LB_ADDSTRING, 0,
                     reinterpret_cast<LPARAM>(text));
    }
    std::string ItemText(HWND list, int index) {
        bool combo = list == m_combo;
        LRESULT length = SendMessageA(list, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN,
                                      static_cast<WPARAM>(index), 0);
        if (length < 0)
            return "<err>";
        std::string text(static_cast<size_t>(length) + 1, '\0');
        SendMessageA(list, combo ? CB_GETLBTEXT : LB_GETTEXT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&text[0]));
        text.resize(static_cast<size_t>(length));
        return text;
    }
    void Key(UINT vk, bool alt = false) {
        host::PostKeyDown(vk, false, alt);
        Pump(m_dialog);
    }

    HWND m_dialog = nullptr;
    HWND m_list = nullptr;
    HWND m_sorted = nullptr;
    HWND m_combo = nullptr;
};

TEST_F(ListComboTest, ItemsKeepTheirOrderOrAreSorted) {
    for (const char* name : {"pear", "Apple", "fig"}) {
        Add(m_list, name);
        Add(m_sorted, name);
    }
    EXPECT_EQ(SendMessageA(m_list, LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(ItemText(m_list, 0), "pear");
    EXPECT_EQ(ItemText(m_list, 2), "fig");
    EXPECT_EQ(ItemText(m_sorted, 0), "Apple");
    EXPECT_EQ(ItemText(m_sorted, 1), "fig");
    EXPECT_EQ(ItemText(m_sorted, 2), "pear");
    EXPECT_EQ(ItemText(m_list, 3), "<err>");
    EXPECT_EQ(SendMessageA(m_list, LB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("kiwi")), 1);
    EXPECT_EQ(ItemText(m_list, 1), "kiwi");
    EXPECT_EQ(SendMessageA(m_list, LB_INSERTSTRING, 9, reinterpret_cast<LPARAM>("x")), LB_ERR);
}

TEST_F(ListComboTest, SelectionFindingAndDeleting) {
    for (const char* name : {"alpha", "beta", "Bravo", "gamma"})
        Add(m_list, name);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(m_list, LB_SETCURSEL, 2, 0), 2);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(SendMessageA(m_list, LB_SETCURSEL, 7, 0), LB_ERR);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), LB_ERR);
    // Prefixes without case, searching after the index given and wrapping round.
    EXPECT_EQ(
        SendMessageA(m_list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("B")),
        1);
    EXPECT_EQ(SendMessageA(m_list, LB_FINDSTRING, 1, reinterpret_cast<LPARAM>("b")), 2);
    EXPECT_EQ(SendMessageA(m_list, LB_FINDSTRING, 2, reinterpret_cast<LPARAM>("b")), 1);
    EXPECT_EQ(SendMessageA(m_list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>("BRAVO")),
              2);
    EXPECT_EQ(
        SendMessageA(m_list, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>("z")),
        LB_ERR);
    EXPECT_EQ(SendMessageA(m_list, LB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>("gam")),
              3);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 3);
    // Deleting an item before the selection keeps the same item selected.
    EXPECT_EQ(SendMessageA(m_list, LB_DELETESTRING, 0, 0), 3);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 2);
    EXPECT_EQ(ItemText(m_list, 2), "gamma");
    SendMessageA(m_list, LB_SETITEMDATA, 1, 77);
    EXPECT_EQ(SendMessageA(m_list, LB_GETITEMDATA, 1, 0), 77);
    SendMessageA(m_list, LB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(ListComboTest, ArrowsMoveTheSelectionAndNotify) {
    for (const char* name : {"one", "two", "three"})
        Add(m_list, name);
    SetFocus(m_list);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 0);
    Key(VK_DOWN);
    Key(VK_DOWN);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 2);
    Key(VK_UP);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 1);
    int changes = 0;
    for (auto& note : Notes())
        if (note.first == kList && note.second == LBN_SELCHANGE)
            ++changes;
    EXPECT_EQ(changes, 4);
    // A letter jumps to the next item that starts with it.
    host::PostChar('t');
    Pump(m_dialog);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ListComboTest, ClicksSelectAndDoubleClicksNotify) {
    for (const char* name : {"one", "two", "three"})
        Add(m_list, name);
    RECT r;
    GetWindowRect(m_list, &r);
    host::PostMouseClick(r.left + 4, r.top + 16 + 4);
    Pump(m_dialog);
    EXPECT_EQ(GetFocus(), m_list);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 1);
    host::PostMouseDoubleClick(r.left + 4, r.top + 32 + 4);
    Pump(m_dialog);
    EXPECT_EQ(SendMessageA(m_list, LB_GETCURSEL, 0, 0), 2);
    ASSERT_FALSE(Notes().empty());
    EXPECT_EQ(Notes().back(), std::make_pair(WORD{kList}, WORD{LBN_DBLCLK}));
}

TEST_F(ListComboTest, TheListShowsItsItemsOneARow) {
    for (const char* name : {"one", "two", "three"})
        Add(m_list, name);
    SendMessageA(m_list, LB_SETCURSEL, 1, 0);
    UpdateWindow(m_dialog);
    POINT cell = CellOf(m_list);
    for (int i = 0; i < 3; ++i) {
        std::string line = CellRow(cell.y + i);
        EXPECT_EQ(line.substr(static_cast<size_t>(cell.x), ItemText(m_list, i).size()),
                  ItemText(m_list, i));
    }
}

TEST_F(ListComboTest, ComboSelectionAndText) {
    for (const char* name : {"c:", "d:", "e:"})
        Add(m_combo, name);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), CB_ERR);
    EXPECT_EQ(Text(m_combo), "");
    EXPECT_EQ(SendMessageA(m_combo, CB_SETCURSEL, 1, 0), 1);
    EXPECT_EQ(Text(m_combo), "d:");
    EXPECT_EQ(ItemText(m_combo, 2), "e:");
    EXPECT_EQ(SendMessageA(m_combo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>("E")),
              2);
    EXPECT_EQ(SendMessageA(m_combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                           reinterpret_cast<LPARAM>("c:")),
              0);
    SendMessageA(m_combo, CB_RESETCONTENT, 0, 0);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), CB_ERR);
    // The box is one row high whatever height the template gave for its list.
    RECT r;
    GetWindowRect(m_combo, &r);
    EXPECT_EQ(r.bottom - r.top, 16);
}

TEST_F(ListComboTest, ComboKeysChangeTheSelectionAndDropTheList) {
    for (const char* name : {"c:", "d:", "e:"})
        Add(m_combo, name);
    SendMessageA(m_combo, CB_SETCURSEL, 0, 0);
    SetFocus(m_combo);
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Notes().back(), std::make_pair(WORD{kCombo}, WORD{CBN_SELCHANGE}));
    // F4 drops the list; the arrows move in it, Esc takes the old choice back.
    Key(VK_F4);
    EXPECT_TRUE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    Key(VK_DOWN);
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 2);
    Key(VK_ESCAPE);
    EXPECT_FALSE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_TRUE(IsWindow(m_dialog));
    // Alt+Down drops it, Enter keeps the choice and does not reach the dialog.
    Key(VK_DOWN, true);
    EXPECT_TRUE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    Key(VK_UP);
    Key(VK_RETURN);
    EXPECT_FALSE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Notes().back(), std::make_pair(WORD{kCombo}, WORD{CBN_CLOSEUP}));
    // Tab in the dropped list takes the choice and moves on.
    Key(VK_F4);
    Key(VK_DOWN);
    Key(VK_TAB);
    EXPECT_FALSE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(GetFocus(), m_list);
}

TEST_F(ListComboTest, ClickingTheDroppedListPicksAnItem) {
    for (const char* name : {"c:", "d:", "e:"})
        Add(m_combo, name);
    RECT r;
    GetWindowRect(m_combo, &r);
    host::PostMouseClick(r.left + 4, r.top + 4);
    Pump(m_dialog);
    ASSERT_TRUE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    // The list lies below the box, one item a row.
    host::PostMouseClick(r.left + 4, r.bottom + 2 * 16 + 4);
    Pump(m_dialog);
    EXPECT_FALSE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 2);
    // A click elsewhere closes the list without choosing.
    host::PostMouseClick(r.left + 4, r.top + 4);
    Pump(m_dialog);
    ASSERT_TRUE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    host::PostMouseClick(r.right + 100, r.top - 16);
    Pump(m_dialog);
    EXPECT_FALSE(SendMessageA(m_combo, CB_GETDROPPEDSTATE, 0, 0));
    EXPECT_EQ(SendMessageA(m_combo, CB_GETCURSEL, 0, 0), 2);
}

} // namespace
