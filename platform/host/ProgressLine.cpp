// The program never tells how many files it will copy: the page names one file at a time and
// its bar shows the percentage done, floor(done * 100 / all). Each percentage seen between two
// files bounds the number of all files from both sides; the bounds meet after a few files when
// there are fewer than a hundred or so, and close in as the copy goes on when there are more.
// Until they meet the line gives the upper bound with a "~".
#include "ProgressLine.h"

#include "gdi/GdiInternal.h"
#include "gdi/Screen.h"
#include "kernel/MachineState.h"
#include "user/WindowScene.h"

#include <host/Machine.h>

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace host {
namespace {

using detail::ControlKind;
using detail::Scene;
using detail::SceneControl;

constexpr long kUnknown = LONG_MAX;

struct ProgressState {
    bool started = false;
    ProgressControls controls;
    std::string lastFile; // source and destination of the file shown, to count files
    long files = 0;       // files shown so far: the one shown is this one
    int percent = -1;     // as the bar shows it, -1 when it shows none
    long atLeast = 1;     // bounds of the number of all files
    long atMost = kUnknown;
    std::string shown; // the line on the terminal, empty when none
    int shownWidth = 0;
};

ProgressState& State() {
    static ProgressState state;
    return state;
}

const SceneControl* Static(const Scene& scene, int id) {
    const SceneControl* control = scene.page ? scene.Find(id, scene.page) : nullptr;
    return control != nullptr && control->visible && control->kind == ControlKind::Static ? control
                                                                                          : nullptr;
}

// The number the bar shows before its "%", read from the screen's cells under it.
int BarPercent(HWND bar) {
    RECT rect;
    if (bar == nullptr || !IsWindowVisible(bar) || !GetWindowRect(bar, &rect))
        return -1;
    const gdi::CScreen& screen = gdi::CScreen::Get();
    for (int row = rect.top / gdi::kCellHeight; row * gdi::kCellHeight < rect.bottom; ++row) {
        std::string text;
        for (int column = rect.left / gdi::kCellWidth; column * gdi::kCellWidth < rect.right;
             ++column) {
            const gdi::Cell& cell = screen.At(column, row);
            text += cell.kind == gdi::CellKind::Single && cell.bytes[0] < 0x80
                        ? static_cast<char>(cell.bytes[0])
                        : ' ';
        }
        size_t sign = text.find('%');
        if (sign == std::string::npos)
            continue;
        size_t end = text.find_last_not_of(' ', sign == 0 ? 0 : sign - 1);
        if (end == std::string::npos || end >= sign ||
            !std::isdigit(static_cast<unsigned char>(text[end])))
            continue;
        size_t begin = end;
        while (begin > 0 && std::isdigit(static_cast<unsigned char>(text[begin - 1])))
            --begin;
        return std::atoi(text.c_str() + begin);
    }
    return -1;
}

// done files gave percent: all lies in (done * 100 / (percent + 1), done * 100 / percent].
void Bound(long done, int percent) {
    ProgressState& state = State();
    long atLeast = std::max(done, done * 100 / (percent + 1) + 1);
    long atMost = percent > 0 ? done * 100 / percent : kUnknown;
    if (atLeast > state.atMost || atMost < state.atLeast) {
        // Files counted twice or skipped (a file retried under another name): start again.
        state.atLeast = atLeast;
        state.atMost = atMost;
        return;
    }
    state.atLeast = std::max(state.atLeast, atLeast);
    state.atMost = std::min(state.atMost, atMost);
}

// Columns a character takes in a terminal: two for the wide East Asian ones.
int Columns(char32_t c) {
    bool wide = (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
                (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
                (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
                (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
    return wide ? 2 : 1;
}

struct Character {
    std::string bytes;
    int columns;
};

std::vector<Character> Characters(const std::string& utf8) {
    std::vector<Character> characters;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        length = std::min(length, utf8.size() - i);
        char32_t c = lead < 0x80   ? lead
                     : lead < 0xE0 ? lead & 0x1F
                     : lead < 0xF0 ? lead & 0x0F
                                   : lead & 0x07;
        for (size_t k = 1; k < length; ++k)
            c = (c << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        characters.push_back({utf8.substr(i, length), c < 0x20 ? 1 : Columns(c)});
        i += length;
    }
    return characters;
}

// The name cut in its middle to fit the columns, so that its start and its end stay.
std::string Fit(const std::string& utf8, int columns, int& used) {
    std::vector<Character> characters = Characters(utf8);
    int total = 0;
    for (const Character& c : characters)
        total += c.columns;
    if (total <= columns) {
        used = total;
        return utf8;
    }
    const std::string dots = "...";
    int room = columns - static_cast<int>(dots.size());
    if (room <= 0) {
        used = 0;
        return std::string();
    }
    int headRoom = room / 2, tailRoom = room - headRoom;
    std::string head, tail;
    used = static_cast<int>(dots.size());
    for (size_t i = 0; i < characters.size() && characters[i].columns <= headRoom; ++i) {
        head += characters[i].bytes;
        headRoom -= characters[i].columns;
        used += characters[i].columns;
    }
    tailRoom += headRoom;
    for (size_t i = characters.size(); i-- > 0 && characters[i].columns <= tailRoom;) {
        tail = characters[i].bytes + tail;
        tailRoom -= characters[i].columns;
        used += characters[i].columns;
    }
    return head + dots + tail;
}

int TerminalColumns() {
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0)
        return size.ws_col;
    return 80;
}

void Show(const std::string& counts, const std::string& name) {
    ProgressState& state = State();
    // One column short of the width: a terminal that wraps at its last column would start a
    // new line each time.
    int columns = TerminalColumns() - 1;
    std::string line = counts;
    int width = static_cast<int>(counts.size());
    if (width > columns) {
        line.resize(static_cast<size_t>(std::max(columns, 0)));
        width = static_cast<int>(line.size());
    } else if (width + 2 < columns) {
        int used = 0;
        std::string fitted = Fit(name, columns - width - 2, used);
        if (!fitted.empty()) {
            line += "  " + fitted;
            width += 2 + used;
        }
    }
    if (line == state.shown)
        return;
    std::string out = "\r" + line;
    if (width < state.shownWidth)
        out += std::string(static_cast<size_t>(state.shownWidth - width), ' ') + "\r" + line;
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
    state.shown = line;
    state.shownWidth = width;
}

} // namespace

void StartProgressLine(const ProgressControls& controls) {
    ProgressState& state = State();
    state = ProgressState();
    state.controls = controls;
    state.started = true;
    // A long copy keeps the program from polling: name the file before it starts.
    detail::SetLongOperationHandler([](uint64_t) { UpdateProgressLine(false); });
}

void UpdateProgressLine(bool betweenFiles) {
    ProgressState& state = State();
    if (!state.started)
        return;
    HWND top = detail::ActiveTopWindow();
    if (top == nullptr)
        return;
    Scene scene = detail::ReadScene(top);
    const SceneControl* file = Static(scene, state.controls.fileLine);
    const SceneControl* source = Static(scene, state.controls.sourceLine);
    const SceneControl* destination = Static(scene, state.controls.destinationLine);
    const SceneControl* bar = Static(scene, state.controls.bar);
    if (file == nullptr || source == nullptr || destination == nullptr || bar == nullptr ||
        destination->text.empty())
        return; // not the copy page, or no file on it yet
    std::string key = source->text + "\n" + destination->text;
    if (key != state.lastFile) {
        state.lastFile = key;
        ++state.files;
    }
    state.percent = BarPercent(bar->hWnd);
    if (betweenFiles && state.percent >= 0)
        Bound(state.files, state.percent);

    std::string all = state.atMost == kUnknown        ? "?"
                      : state.atLeast == state.atMost ? std::to_string(state.atMost)
                                                      : "~" + std::to_string(state.atMost);
    std::string counts = std::to_string(state.files) + "/" + all;
    if (state.percent >= 0)
        counts += " " + std::to_string(state.percent) + "%";
    Show(counts, MachineStarted() ? AnsiToUtf8(destination->text) : destination->text);
}

void HideProgressLine() {
    ProgressState& state = State();
    if (state.shown.empty())
        return;
    std::string blank = "\r" + std::string(static_cast<size_t>(state.shownWidth), ' ') + "\r";
    std::fputs(blank.c_str(), stderr);
    std::fflush(stderr);
    state.shown.clear();
    state.shownWidth = 0;
}

void ClearProgressLine() {
    ProgressState& state = State();
    if (state.started)
        detail::SetLongOperationHandler({});
    HideProgressLine();
    state = ProgressState();
}

} // namespace host
