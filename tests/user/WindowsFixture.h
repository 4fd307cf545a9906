// What the window tests share: a started machine (English or Japanese) with the headless
// front end, a scripted "user" that acts whenever the program waits for input, a message
// pump as a program's own loop would run it, and dialog templates built in memory.
#pragma once

#include "TempDir.h"

#include <host/Frontend.h>
#include <user/Input.h>
#include <host/Machine.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

class WindowsTest : public ::testing::Test {
  protected:
    explicit WindowsTest(const char* language = "ENU") : m_language(language) {}
    void SetUp() override;
    void TearDown() override;

    // What the user does at the next wait for input (a modal loop with an empty queue).
    void AtNextWait(std::function<void()> step) { m_steps.push_back(std::move(step)); }
    // Waits at which nothing was scripted (the loop is then made to end).
    int UnexpectedWaits() const { return m_unexpectedWaits; }

    // Runs the messages that wait, with the dialog manager for dialog (if any), until the
    // queue is empty: what a modeless dialog's program loop does between two inputs.
    static void Pump(HWND dialog = nullptr);
    static std::string Text(HWND hwnd);
    static std::string ClassName(HWND hwnd);
    // The screen as text lines (UTF-8).
    static std::vector<std::string> ScreenLines();
    // A row of the screen in the ANSI code page with one byte per cell (a double-byte
    // character takes its two cells); the frame's line characters become '#'.
    static std::string CellRow(int row);
    // The cell (column, row) where a window's top-left corner is.
    static POINT CellOf(HWND hwnd);

    TempDir m_prefix;
    TempDir m_media;

  private:
    std::string m_language;
    std::deque<std::function<void()>> m_steps;
    int m_unexpectedWaits = 0;
};

// A DLGTEMPLATE with its items, built in memory as a resource compiler would lay it out.
class DialogBuilder {
  public:
    enum ControlClass : WORD {
        kButton = 0x80,
        kEdit = 0x81,
        kStatic = 0x82,
        kListBox = 0x83,
        kComboBox = 0x85
    };

    DialogBuilder(DWORD style, short x, short y, short cx, short cy, const char* caption = "");
    // A control; text is ANSI (converted to UTF-16 as the template stores it).
    DialogBuilder& Add(ControlClass cls, DWORD style, short x, short y, short cx, short cy, WORD id,
                       const char* text = "");
    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(m_words.data()); }

  private:
    void Word(WORD w) { m_words.push_back(w); }
    void Dword(DWORD d) {
        Word(LOWORD(d));
        Word(HIWORD(d));
    }
    void String(const char* ansi);
    void Align();

    std::vector<WORD> m_words;
};

// Dialog procedures that record the commands they get (WM_INITDIALOG answers TRUE); the
// second also ends the dialog with the id of a clicked button.
INT_PTR CALLBACK RecordingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EndingDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The commands RecordingDialogProc saw, as "id:code" strings.
std::vector<std::string>& RecordedCommands();
