// Modal loops: DialogBoxIndirectParamA and MessageBoxA, answered by keys and clicks that the
// scripted user feeds through the input queue while the loop waits.
#include "WindowsFixture.h"

#include <host/Transcript.h>

#include <cstdio>

namespace {

class ModalTest : public WindowsTest {
  protected:
    HWND MakeOwner() {
        DialogBuilder b(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, 0, 0, 200, 100,
                        "Owner");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP, 8, 8, 48, 8, 50, "Button");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP, 8, 24, 48, 8, 51, "Other");
        HWND owner = CreateDialogIndirectParamA(nullptr, b.Get(), nullptr, RecordingDialogProc, 0);
        EXPECT_NE(owner, nullptr);
        return owner;
    }
    static DialogBuilder Question() {
        DialogBuilder b(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 20, 20, 160, 60,
                        "Question");
        b.Add(DialogBuilder::kStatic, WS_VISIBLE, 8, 8, 140, 8, 10, "Go on?");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 8, 40, 40, 8,
              IDYES, "&Yes");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP, 56, 40, 40, 8, IDNO, "&No");
        b.Add(DialogBuilder::kButton, WS_VISIBLE | WS_TABSTOP, 104, 40, 48, 8, IDCANCEL, "Cancel");
        return b;
    }
    // Shows a message box and answers it with the keys given (one wait each).
    int Box(UINT type, std::vector<std::function<void()>> steps, HWND owner = nullptr,
            const char* text = "Text", const char* caption = "Caption") {
        for (auto& step : steps)
            AtNextWait(step);
        return MessageBoxA(owner, text, caption, type);
    }
    static std::function<void()> Press(UINT vk, bool alt = false) {
        return [vk, alt] { host::PostKeyDown(vk, false, alt); };
    }
    static std::function<void()> Type(char c) {
        return [c] { host::PostChar(static_cast<unsigned char>(c)); };
    }
};

TEST_F(ModalTest, DialogBoxReturnsWhatEndDialogGetsAndDisablesItsOwnerMeanwhile) {
    HWND owner = MakeOwner();
    SetFocus(GetDlgItem(owner, 51));
    bool ownerDisabled = false;
    HWND seen = nullptr;
    std::string seenClass;
    AtNextWait([&] {
        seen = GetActiveWindow();
        seenClass = ClassName(seen);
        ownerDisabled = !IsWindowEnabled(owner);
        host::PostKeyDown('N', false, true);
    });
    DialogBuilder question = Question();
    INT_PTR result = DialogBoxIndirectParamA(nullptr, question.Get(), owner, EndingDialogProc, 0);
    EXPECT_EQ(result, IDNO);
    EXPECT_TRUE(ownerDisabled);
    EXPECT_NE(seen, owner);
    EXPECT_EQ(seenClass, "#32770");
    EXPECT_FALSE(IsWindow(seen));
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    // The owner's focus comes back to where it was.
    EXPECT_EQ(GetFocus(), GetDlgItem(owner, 51));
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, EnterAndEscInAModalDialog) {
    DialogBuilder question = Question();
    AtNextWait([] { host::PostKeyDown(VK_RETURN); });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, question.Get(), nullptr, EndingDialogProc, 0),
              IDYES);
    AtNextWait([] { host::PostKeyDown(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, question.Get(), nullptr, EndingDialogProc, 0),
              IDCANCEL);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, DialogBoxParamRunsATemplateOfTheProgram) {
    // The overwrite question: Yes is its default button, Esc and the close box are Cancel.
    HINSTANCE module = GetModuleHandleA(nullptr);
    AtNextWait([] { host::PostKeyDown(VK_RETURN); });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(102), nullptr, EndingDialogProc, 0), IDYES);
    AtNextWait([] { host::PostKeyDown('N', false, true); });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(102), nullptr, EndingDialogProc, 0), IDNO);
    AtNextWait([] { host::PostKeyDown(VK_ESCAPE); });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(102), nullptr, EndingDialogProc, 0),
              IDCANCEL);
    AtNextWait([] {
        RECT r;
        GetWindowRect(GetActiveWindow(), &r);
        host::PostMouseClick(r.right - 3 * 8 + 2, r.top + 4);
    });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(102), nullptr, EndingDialogProc, 0),
              IDCANCEL);
    // The about box closes with Enter.
    AtNextWait([] { host::PostKeyDown(VK_RETURN); });
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(100), nullptr, EndingDialogProc, 0), IDOK);
    // A template that is not there.
    EXPECT_EQ(DialogBoxParamA(module, MAKEINTRESOURCEA(4711), nullptr, EndingDialogProc, 0), -1);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

INT_PTR CALLBACK EndAtOnce(HWND dialog, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        EndDialog(dialog, lParam);
        return TRUE;
    }
    return FALSE;
}

TEST_F(ModalTest, EndDialogDuringInitialisationReturnsWithoutWaiting) {
    DialogBuilder question = Question();
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, question.Get(), nullptr, EndAtOnce, 1234), 1234);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, ADialogBoxWithoutAnswerEndsWhenNoInputCanCome) {
    DialogBuilder question = Question();
    EXPECT_EQ(DialogBoxIndirectParamA(nullptr, question.Get(), nullptr, EndingDialogProc, 0),
              IDCANCEL);
    EXPECT_EQ(UnexpectedWaits(), 1);
}

TEST_F(ModalTest, MessageBoxIsADialogWithItsTextAndStandardButtons) {
    std::string text;
    std::string caption;
    std::string className;
    std::vector<int> buttons;
    AtNextWait([&] {
        HWND box = GetActiveWindow();
        className = ClassName(box);
        caption = Text(box);
        text = Text(GetDlgItem(box, 0xFFFF));
        for (int id : {IDOK, IDCANCEL, IDABORT, IDRETRY, IDIGNORE, IDYES, IDNO})
            if (GetDlgItem(box, id) != nullptr)
                buttons.push_back(id);
        host::PostKeyDown(VK_RETURN);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "Line one\nLine two", "Title", MB_YESNOCANCEL), IDYES);
    EXPECT_EQ(className, "#32770");
    EXPECT_EQ(caption, "Title");
    EXPECT_EQ(text, "Line one\nLine two");
    EXPECT_EQ(buttons, (std::vector<int>{IDCANCEL, IDYES, IDNO}));
}

TEST_F(ModalTest, ResultsOfEachButtonSet) {
    EXPECT_EQ(Box(MB_OK, {Press(VK_RETURN)}), IDOK);
    EXPECT_EQ(Box(MB_OK, {Press(VK_ESCAPE)}), IDOK);
    EXPECT_EQ(Box(MB_OKCANCEL, {Press(VK_ESCAPE)}), IDCANCEL);
    EXPECT_EQ(Box(MB_OKCANCEL, {Press(VK_RETURN)}), IDOK);
    EXPECT_EQ(Box(MB_OKCANCEL | MB_DEFBUTTON2, {Press(VK_RETURN)}), IDCANCEL);
    EXPECT_EQ(Box(MB_ABORTRETRYIGNORE, {Press(VK_RETURN)}), IDABORT);
    EXPECT_EQ(Box(MB_ABORTRETRYIGNORE, {Press('R', true)}), IDRETRY);
    EXPECT_EQ(Box(MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, {Press(VK_RETURN)}), IDIGNORE);
    EXPECT_EQ(Box(MB_YESNOCANCEL | MB_DEFBUTTON2, {Press(VK_RETURN)}), IDNO);
    EXPECT_EQ(Box(MB_YESNOCANCEL, {Press(VK_ESCAPE)}), IDCANCEL);
    EXPECT_EQ(Box(MB_YESNO, {Type('n')}), IDNO);
    EXPECT_EQ(Box(MB_YESNO | MB_ICONQUESTION, {Press('Y', true)}), IDYES);
    EXPECT_EQ(Box(MB_RETRYCANCEL, {Press(VK_ESCAPE)}), IDCANCEL);
    EXPECT_EQ(Box(MB_RETRYCANCEL, {Press(VK_RETURN)}), IDRETRY);
    // A default button beyond the set falls back to the first.
    EXPECT_EQ(Box(MB_YESNO | MB_DEFBUTTON3, {Press(VK_RETURN)}), IDYES);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, EscDoesNothingWithoutACancelButton) {
    EXPECT_EQ(Box(MB_YESNO, {Press(VK_ESCAPE), Press(VK_TAB), Press(VK_RETURN)}), IDNO);
    EXPECT_EQ(Box(MB_ABORTRETRYIGNORE, {Press(VK_ESCAPE), Type('i')}), IDIGNORE);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, TheCloseBoxIsCancel) {
    auto clickClose = [] {
        HWND box = GetActiveWindow();
        RECT r;
        GetWindowRect(box, &r);
        host::PostMouseClick(r.right - 3 * 8 + 2, r.top + 4);
    };
    EXPECT_EQ(Box(MB_OKCANCEL, {clickClose}), IDCANCEL);
    EXPECT_EQ(Box(MB_OK, {clickClose}), IDOK);
    EXPECT_EQ(Box(MB_YESNO, {clickClose, Type('y')}), IDYES);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, ABoxWithoutCancelHasNoCloseBox) {
    auto captionRow = [](std::string& out) {
        return [&out] {
            RECT r;
            GetWindowRect(GetActiveWindow(), &r);
            out = CellRow(r.top / 16);
            host::PostKeyDown(VK_RETURN);
        };
    };
    std::string withCancel;
    std::string withoutCancel;
    Box(MB_OKCANCEL, {captionRow(withCancel)});
    Box(MB_YESNO, {captionRow(withoutCancel)});
    EXPECT_NE(withCancel.find("[X]"), std::string::npos);
    EXPECT_EQ(withoutCancel.find("[X]"), std::string::npos);
    EXPECT_NE(withoutCancel.find("Caption"), std::string::npos);
}

TEST_F(ModalTest, ClickingAButtonAnswers) {
    auto clickNo = [] {
        HWND box = GetActiveWindow();
        RECT r;
        GetWindowRect(GetDlgItem(box, IDNO), &r);
        host::PostMouseClick(r.left + 8, r.top + 4);
    };
    EXPECT_EQ(Box(MB_YESNO, {clickNo}), IDNO);
    EXPECT_EQ(UnexpectedWaits(), 0);
}

TEST_F(ModalTest, TheOwnerIsDisabledWhileTheBoxIsOpen) {
    HWND owner = MakeOwner();
    SetFocus(GetDlgItem(owner, 51));
    bool disabled = false;
    int result = Box(MB_OK,
                     {[&] {
                          disabled = !IsWindowEnabled(owner);
                          // Clicks on the owner go nowhere while the box is open.
                          RECT r;
                          GetWindowRect(GetDlgItem(owner, 50), &r);
                          host::PostMouseClick(r.left + 8, r.top + 4);
                      },
                      Press(VK_RETURN)},
                     owner);
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(disabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    EXPECT_EQ(GetActiveWindow(), owner);
    EXPECT_EQ(GetFocus(), GetDlgItem(owner, 51));
    EXPECT_TRUE(RecordedCommands().empty());
}

TEST_F(ModalTest, ANullCaptionIsError) {
    std::string caption;
    AtNextWait([&] {
        caption = Text(GetActiveWindow());
        host::PostKeyDown(VK_RETURN);
    });
    MessageBoxA(nullptr, "x", nullptr, MB_OK);
    EXPECT_EQ(caption, "Error");
}

TEST_F(ModalTest, TheBoxShowsItsLinesAndButtonsOnTheScreen) {
    std::vector<std::string> lines;
    AtNextWait([&] {
        lines = ScreenLines();
        host::PostKeyDown(VK_RETURN);
    });
    MessageBoxA(nullptr, "First line\nSecond line", "Caption", MB_OKCANCEL | MB_ICONEXCLAMATION);
    int first = -1;
    int second = -1;
    int buttons = -1;
    for (size_t row = 0; row < lines.size(); ++row) {
        if (lines[row].find("First line") != std::string::npos)
            first = static_cast<int>(row);
        if (lines[row].find("Second line") != std::string::npos)
            second = static_cast<int>(row);
        if (lines[row].find("OK") != std::string::npos &&
            lines[row].find("Cancel") != std::string::npos)
            buttons = static_cast<int>(row);
    }
    ASSERT_GE(first, 0);
    EXPECT_EQ(second, first + 1);
    EXPECT_GT(buttons, second);
    EXPECT_EQ(lines[static_cast<size_t>(first)].find("First line"),
              lines[static_cast<size_t>(second)].find("Second line"));
}

TEST_F(ModalTest, ABoxNobodyAnswersReturnsZero) {
    EXPECT_EQ(MessageBoxA(nullptr, "x", "y", MB_YESNO), 0);
    EXPECT_EQ(UnexpectedWaits(), 1);
}

TEST_F(ModalTest, BoxesAndBeepsGoToTheTranscript) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    host::StartTranscript(file);
    EXPECT_TRUE(MessageBeep(MB_ICONEXCLAMATION));
    Box(MB_YESNO, {Type('n')}, nullptr, "Shall we?", "Asking");
    host::StopTranscript();
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr)
        text += buffer;
    std::fclose(file);
    size_t beep = text.find("beep");
    size_t box = text.find("message");
    ASSERT_NE(beep, std::string::npos) << text;
    ASSERT_NE(box, std::string::npos) << text;
    EXPECT_LT(beep, box);
    EXPECT_NE(text.find("Asking | Shall we?", box), std::string::npos) << text;
}

class JapaneseBoxTest : public WindowsTest {
  protected:
    JapaneseBoxTest() : WindowsTest("JPN") {}
};

TEST_F(JapaneseBoxTest, ButtonsCarryJapaneseLabelsAndTheirMnemonics) {
    std::string yes;
    AtNextWait([&] {
        yes = Text(GetDlgItem(GetActiveWindow(), IDYES));
        host::PostKeyDown('N', false, true);
    });
    EXPECT_EQ(MessageBoxA(nullptr, "\x82\xA0", "t", MB_YESNO), IDNO);
    EXPECT_EQ(yes, "\x82\xCD\x82\xA2(&Y)");
}

} // namespace
