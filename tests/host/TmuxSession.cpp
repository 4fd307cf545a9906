#include "TmuxSession.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <sstream>
#include <thread>

namespace {

std::string Run(const std::string& command) {
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

// The number of bytes of the UTF-8 sequence that starts with lead.
size_t SequenceLength(unsigned char lead) {
    return lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// Cells a character takes in the terminal: two for the wide ones of East Asian scripts.
int CellsOf(const std::string& utf8) {
    unsigned c = static_cast<unsigned char>(utf8[0]);
    if (c < 0x80)
        return 1;
    unsigned code = c & (c < 0xE0 ? 0x1F : c < 0xF0 ? 0x0F : 0x07);
    for (size_t i = 1; i < utf8.size(); ++i)
        code = code << 6 | (static_cast<unsigned char>(utf8[i]) & 0x3F);
    bool wide = (code >= 0x1100 && code <= 0x115F) || (code >= 0x2E80 && code <= 0xA4CF) ||
                (code >= 0xAC00 && code <= 0xD7A3) || (code >= 0xF900 && code <= 0xFAFF) ||
                (code >= 0xFE30 && code <= 0xFE4F) || (code >= 0xFF00 && code <= 0xFF60) ||
                (code >= 0xFFE0 && code <= 0xFFE6) || code == 0x2026 || code >= 0x20000;
    // U+2026 is narrow in most terminals; tmux counts it as wcwidth does.
    if (code == 0x2026)
        wide = wcwidth(static_cast<wchar_t>(code)) == 2;
    return wide ? 2 : 1;
}

void ApplySgr(const std::string& parameters, CapturedCell& pen) {
    std::vector<int> values;
    std::stringstream in(parameters);
    std::string part;
    while (std::getline(in, part, ';'))
        values.push_back(part.empty() ? 0 : std::atoi(part.c_str()));
    if (values.empty())
        values.push_back(0);
    for (size_t i = 0; i < values.size(); ++i) {
        int v = values[i];
        if (v == 0) {
            pen = CapturedCell();
        } else if (v == 1) {
            pen.bold = true;
        } else if (v == 4) {
            pen.underline = true;
        } else if (v == 7) {
            pen.reverse = true;
        } else if (v == 22) {
            pen.bold = false;
        } else if (v == 24) {
            pen.underline = false;
        } else if (v == 27) {
            pen.reverse = false;
        } else if (v >= 30 && v <= 37) {
            pen.foreground = v - 30;
        } else if (v == 39) {
            pen.foreground = -1;
        } else if (v >= 40 && v <= 47) {
            pen.background = v - 40;
        } else if (v == 49) {
            pen.background = -1;
        } else if (v >= 90 && v <= 97) {
            pen.foreground = v - 90 + 8;
        } else if (v >= 100 && v <= 107) {
            pen.background = v - 100 + 8;
        } else if ((v == 38 || v == 48) && i + 2 < values.size() && values[i + 1] == 5) {
            (v == 38 ? pen.foreground : pen.background) = values[i + 2];
            i += 2;
        }
    }
}

} // namespace

bool HaveTmux() {
    return std::system("tmux -V >/dev/null 2>&1") == 0;
}

std::string ShellQuote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

CTmuxSession::CTmuxSession(const std::string& command, int columns, int rows) {
    static int sessions = 0;
    m_socket = "veltrix-test-" + std::to_string(getpid()) + "-" + std::to_string(++sessions);
    Tmux("-f /dev/null new-session -d -x " + std::to_string(columns) + " -y " +
         std::to_string(rows) + " -s t " + ShellQuote("sh -c " + ShellQuote(command)));
    Tmux("set-option -g escape-time 0");
}

CTmuxSession::~CTmuxSession() {
    Tmux("kill-server");
}

std::string CTmuxSession::Tmux(const std::string& arguments) const {
    return Run("tmux -u -L " + m_socket + " " + arguments + " 2>/dev/null");
}

std::string CTmuxSession::Capture(bool escapes) const {
    return Tmux(std::string("capture-pane -p ") + (escapes ? "-e -N " : "") + "-t t");
}

std::vector<std::string> CTmuxSession::CaptureRows() const {
    std::vector<std::string> rows;
    std::stringstream in(Capture());
    std::string row;
    while (std::getline(in, row))
        rows.push_back(row);
    return rows;
}

std::string CTmuxSession::LastRow() const {
    std::vector<std::string> rows = CaptureRows();
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    return rows.empty() ? std::string() : rows.back();
}

bool CTmuxSession::WaitFor(const std::string& text, int seconds) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (Capture().find(text) != std::string::npos)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
}

std::string CTmuxSession::WaitUntilStill(int seconds) const {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    std::string last = Capture(true);
    while (std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        std::string now = Capture(true);
        if (now == last)
            break;
        last = now;
    }
    return Capture();
}

void CTmuxSession::Keys(const std::string& keys) const {
    Tmux("send-keys -t t " + keys);
}

void CTmuxSession::Resize(int columns, int rows) const {
    Tmux("resize-window -t t -x " + std::to_string(columns) + " -y " + std::to_string(rows));
}

void CTmuxSession::WriteToTerminal(const std::string& bytes) const {
    std::string tty = Tmux("display-message -p -t t '#{pane_tty}'");
    while (!tty.empty() && (tty.back() == '\n' || tty.back() == '\r'))
        tty.pop_back();
    if (FILE* out = std::fopen(tty.c_str(), "w")) {
        std::fwrite(bytes.data(), 1, bytes.size(), out);
        std::fclose(out);
    }
}

bool CTmuxSession::AlternateScreen() const {
    return Tmux("display-message -p -t t '#{alternate_on}'").find('1') != std::string::npos;
}

std::vector<std::vector<CapturedCell>> ParseCapturedScreen(const std::string& row) {
    std::vector<std::vector<CapturedCell>> rows(1);
    CapturedCell pen;
    for (size_t i = 0; i < row.size();) {
        if (row[i] == '\n') {
            rows.emplace_back();
            ++i;
            continue;
        }
        std::vector<CapturedCell>& cells = rows.back();
        if (row[i] == '\x1b' && i + 1 < row.size() && row[i + 1] == '[') {
            size_t end = row.find_first_of("ABCDEFGHJKLMPSTXZfhlmnsu", i + 2);
            if (end == std::string::npos)
                break;
            if (row[end] == 'm')
                ApplySgr(row.substr(i + 2, end - i - 2), pen);
            i = end + 1;
            continue;
        }
        size_t length = SequenceLength(static_cast<unsigned char>(row[i]));
        CapturedCell cell = pen;
        cell.text = row.substr(i, length);
        int width = CellsOf(cell.text);
        cells.push_back(cell);
        if (width == 2) {
            CapturedCell second = pen;
            cells.push_back(second);
        }
        i += length;
    }
    if (rows.back().empty())
        rows.pop_back();
    return rows;
}
