// A terminal for the tests: a tmux server of its own with one session that runs a command,
// read with capture-pane and typed into with send-keys. Skipped where tmux is missing.
#pragma once

#include <string>
#include <vector>

bool HaveTmux();
// Quotes a text for the shell.
std::string ShellQuote(const std::string& text);

class CTmuxSession {
  public:
    // Runs "sh -c command" in a terminal of columns x rows.
    CTmuxSession(const std::string& command, int columns = 100, int rows = 30);
    ~CTmuxSession();

    std::string Tmux(const std::string& arguments) const;
    // The screen as text (UTF-8), or with the escape sequences of its colours and attributes.
    std::string Capture(bool escapes = false) const;
    std::vector<std::string> CaptureRows() const;
    // The terminal's last row, as text.
    std::string LastRow() const;
    bool WaitFor(const std::string& text, int seconds = 20) const;
    // Waits until the screen has stayed the same for a moment.
    std::string WaitUntilStill(int seconds = 5) const;
    void Keys(const std::string& keys) const;
    void Resize(int columns, int rows) const;
    // Writes bytes to the terminal as if a program had, behind the back of the one running.
    void WriteToTerminal(const std::string& bytes) const;
    bool AlternateScreen() const;

  private:
    std::string m_socket;
};

// One cell of a captured row with the colours and attributes the terminal shows it in.
struct CapturedCell {
    std::string text;    // UTF-8; empty for the second cell of a wide character
    int foreground = -1; // a colour number (0-255), -1 the terminal's default
    int background = -1;
    bool bold = false;
    bool underline = false;
    bool reverse = false;
};
// Reads Capture(true) into the cells of each row (the colours carry on from row to row).
std::vector<std::vector<CapturedCell>> ParseCapturedScreen(const std::string& captured);
