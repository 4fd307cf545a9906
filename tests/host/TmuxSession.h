// A terminal for the tests: a tmux server of its own with one detached session that runs a
// shell command; the tests read the terminal with capture-pane and type with send-keys.
#pragma once

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include <unistd.h>

inline std::string RunShell(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return output;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, got);
    pclose(pipe);
    return output;
}

inline bool HaveTmux() {
    return std::system("tmux -V >/dev/null 2>&1") == 0;
}

// Quotes a text for the shell.
inline std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CTmuxSession {
  public:
    // Runs command (given to sh -c) in a terminal of columns x rows.
    explicit CTmuxSession(const std::string& command, int columns = 100, int rows = 30) {
        static int sessions = 0;
        m_socket = "veltrix-test-" + std::to_string(getpid()) + "-" + std::to_string(++sessions);
        Tmux("-f /dev/null new-session -d -x " + std::to_string(columns) + " -y " +
             std::to_string(rows) + " -s test " + Quote("sh -c " + Quote(command)));
        Tmux("set-option -g escape-time 0");
    }
    ~CTmuxSession() { Tmux("kill-server"); }
    CTmuxSession(const CTmuxSession&) = delete;
    CTmuxSession& operator=(const CTmuxSession&) = delete;

    std::string Tmux(const std::string& arguments) const {
        return RunShell("tmux -u -L " + m_socket + " " + arguments + " 2>/dev/null");
    }
    std::string Capture(bool escapes = false) const {
        return Tmux(std::string("capture-pane -p ") + (escapes ? "-e " : "") + "-t test");
    }
    // The terminal's last row.
    std::string LastRow() const {
        std::string screen = Capture();
        while (!screen.empty() && screen.back() == '\n')
            screen.pop_back();
        size_t start = screen.rfind('\n');
        return start == std::string::npos ? screen : screen.substr(start + 1);
    }
    bool WaitFor(const std::string& text, int seconds = 20) const {
        auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < end) {
            if (Capture().find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    }
    void Keys(const std::string& keys) const { Tmux("send-keys -t test " + keys); }
    bool AlternateScreen() const {
        return Tmux("display-message -p -t test '#{alternate_on}'").find('1') != std::string::npos;
    }

  private:
    std::string m_socket;
};
