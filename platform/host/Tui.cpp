// The terminal front end: shows the screen of cells with curses and turns keys and clicks into
// input for the window system.
#define NCURSES_WIDECHAR 1
#include "FrontendInternal.h"
#include "gdi/GdiInternal.h"
#include "kernel/MachineState.h"
#include "gdi/Screen.h"
#include "TuiColors.h"
#include "TuiKeys.h"
#include "user/ScreenPlacement.h"

#include <kernel/Interrupt.h>

#include <curses.h>

#include <langinfo.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <clocale>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <map>
#include <string>
#include <vector>

namespace host::frontend {
namespace {

constexpr int kEscapeDelayMs = 25;
// The keys, in the order a person needs them; cut where the terminal ends.
const char kKeyHint[] = "Tab next  Enter OK  Esc cancel  Alt+letter  Alt+Spc menu  Ctrl+Q quit  "
                        "F3 disk  F4 list";
constexpr std::chrono::milliseconds kPollPresentInterval(50);
// The terminal's last row is the status line's; the windows get the rows above it.
constexpr int kStatusRows = 1;
constexpr int kResizeCheckMs = 250;
constexpr wint_t kRedrawKey = 12; // Ctrl+L, as in most full-screen programs
// A copy this large takes long enough to be seen: the screen is shown before it starts.
constexpr uint64_t kLongCopyBytes = 1 << 20;
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

struct TuiState {
    bool running = false;
    SCREEN* screen = nullptr;
    std::string savedLocale;
    uint64_t presented = ~uint64_t(0);
    std::chrono::steady_clock::time_point lastPresented;
    int failures = 0;
    bool forceRedraw = true;
    // The terminal is smaller than the windows need: it shows what size is needed instead.
    bool tooSmall = false;
    SIZE needed{0, 0};
    CColorPairs colors;
    std::string status; // UTF-8: what the run needs now, before the key hint
    std::string statusShown;
    std::map<uint32_t, wchar_t> characters; // converted cells, by code page and bytes
    UINT charactersCodePage = 0;
    struct sigaction savedActions[sizeof kSignals / sizeof kSignals[0]];
    bool handled[sizeof kSignals / sizeof kSignals[0]] = {};
};

TuiState& State() {
    static TuiState state;
    return state;
}

volatile sig_atomic_t g_bCursesActive = 0;

void OnSignal(int signal) {
    // Give the terminal back before the signal ends the program the usual way.
    if (g_bCursesActive) {
        g_bCursesActive = 0;
        endwin();
    }
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void RestoreAtExit() {
    if (State().running)
        StopTui();
}

bool DecodeUtf8(const std::string& utf8, wchar_t& out) {
    if (utf8.empty())
        return false;
    std::mbstate_t mb{};
    wchar_t wide = 0;
    size_t used = std::mbrtowc(&wide, utf8.data(), utf8.size(), &mb);
    if (used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2) || used != utf8.size())
        return false;
    out = wide;
    return true;
}

// The wide character of a cell of the code page, converted once.
wchar_t CharacterOf(const gdi::Cell& cell) {
    TuiState& state = State();
    UINT codePage = host::detail::AnsiCodePage();
    if (codePage != state.charactersCodePage) {
        state.characters.clear();
        state.charactersCodePage = codePage;
    }
    uint32_t key = cell.bytes[0] | (cell.kind == gdi::CellKind::Lead ? cell.bytes[1] << 8 : 0) |
                   (cell.kind == gdi::CellKind::Lead ? 0x10000u : 0);
    auto found = state.characters.find(key);
    if (found != state.characters.end())
        return found->second;
    wchar_t wide = L'?';
    if (!DecodeUtf8(gdi::CellText(cell), wide))
        wide = L'?';
    state.characters[key] = wide;
    return wide;
}

// Line drawing the terminal cannot show one cell wide becomes plain ASCII.
wchar_t Fallback(char32_t glyph) {
    switch (glyph) {
    case U'\u2500':
        return L'-';
    case U'\u2502':
        return L'|';
    case U'\u2580':
    case U'\u2584':
        return L' ';
    default:
        return L'+';
    }
}

void PutCell(int row, int column, wchar_t wide, COLORREF foreground, COLORREF background,
             bool underline) {
    wchar_t text[2] = {wide, L'\0'};
    attr_t attributes = A_NORMAL;
    if (underline)
        attributes |= State().colors.MnemonicAttributes(foreground, background);
    short pair = State().colors.PairFor(foreground, background, attributes);
    cchar_t cell;
    setcchar(&cell, text, attributes, pair, nullptr);
    mvadd_wch(row, column, &cell);
}

int TerminalRows() {
    int rows = 0, columns = 0;
    getmaxyx(stdscr, rows, columns);
    (void)columns;
    return rows;
}

int TerminalColumns() {
    int rows = 0, columns = 0;
    getmaxyx(stdscr, rows, columns);
    (void)rows;
    return columns;
}

// Whether the terminal's size differs from what the library knows; if so, tells it.
bool TerminalSizeChanged() {
    winsize size{};
    if (ioctl(STDOUT_FILENO, TIOCGWINSZ, &size) != 0 || size.ws_row == 0 || size.ws_col == 0)
        return false;
    if (size.ws_row == LINES && size.ws_col == COLS)
        return false;
    resize_term(size.ws_row, size.ws_col);
    return true;
}

// Sizes the screen to the terminal (never smaller than the windows shown need, so that none
// is cut) and puts the windows on it again. TRUE when the screen changed.
bool FitScreenToTerminal() {
    TuiState& state = State();
    gdi::CScreen& screen = gdi::CScreen::Get();
    int columns = TerminalColumns();
    int rows = TerminalRows() - kStatusRows;
    SIZE needed = host::SmallestScreenForWindows();
    bool tooSmall = columns < needed.cx || rows < needed.cy;
    if (tooSmall != state.tooSmall)
        state.forceRedraw = true;
    state.tooSmall = tooSmall;
    state.needed = needed;
    columns = std::max<int>(columns, needed.cx);
    rows = std::max<int>(rows, std::max<int>(needed.cy, 1));
    if (columns == screen.Columns() && rows == screen.Rows())
        return false;
    screen.Resize(columns, rows, GetSysColor(COLOR_BACKGROUND));
    host::PlaceWindowsOnScreen();
    state.forceRedraw = true;
    return true;
}

// Said instead of the windows while the terminal is too small for them.
void PresentTooSmall() {
    TuiState& state = State();
    int rows = TerminalRows();
    int columns = TerminalColumns();
    std::string size =
        std::to_string(state.needed.cx) + " x " + std::to_string(state.needed.cy + kStatusRows);
    std::vector<std::string> lines = {
        "The terminal is too small.",
        "Veltrix Setup needs",
        "at least " + size + ";",
        "this one is " + std::to_string(columns) + " x " + std::to_string(rows) + ".",
        "Please enlarge it.",
    };
    attr_t attributes = A_NORMAL;
    short pair = state.colors.PairFor(RGB(255, 255, 255), RGB(0, 0, 0), attributes);
    bkgdset(' ' | COLOR_PAIR(pair));
    erase();
    int top = std::max(0, (rows - static_cast<int>(lines.size())) / 2);
    for (size_t i = 0; i < lines.size() && top + static_cast<int>(i) < rows; ++i) {
        std::string line = lines[i].substr(0, static_cast<size_t>(std::max(0, columns)));
        int left = std::max(0, (columns - static_cast<int>(line.size())) / 2);
        attrset(attributes | COLOR_PAIR(pair));
        mvaddstr(top + static_cast<int>(i), left, line.c_str());
    }
    attrset(A_NORMAL);
    bkgdset(' ');
    curs_set(0);
}

// The terminal's own line below the emulated screen: what the run needs now (a disk, a file
// still missing), then the keys.
void DrawStatusLine(int row, int columns) {
    TuiState& state = State();
    std::string utf8 = state.status.empty() ? std::string(" ") + kKeyHint
                                            : " " + state.status + "  |  " + kKeyHint;
    std::mbstate_t mb{};
    size_t at = 0;
    int column = 0;
    while (at < utf8.size() && column < columns) {
        wchar_t wide = L'?';
        size_t used = std::mbrtowc(&wide, utf8.data() + at, utf8.size() - at, &mb);
        if (used == 0 || used == static_cast<size_t>(-1) || used == static_cast<size_t>(-2)) {
            mb = std::mbstate_t{};
            used = 1;
            wide = L'?';
        }
        at += used;
        int width = wcwidth(wide);
        if (width < 1 || column + width > columns)
            break;
        PutCell(row, column, wide, RGB(0, 0, 0), RGB(0, 128, 128), false);
        column += width;
    }
    for (; column < columns; ++column)
        PutCell(row, column, L' ', RGB(0, 0, 0), RGB(0, 128, 128), false);
    state.statusShown = state.status;
}

} // namespace

void SetTuiStatus(const std::string& utf8) {
    State().status = utf8;
}

void BeepTui() {
    if (State().running)
        beep();
}

namespace {

std::string WideToUtf8(const std::wstring& wide) {
    std::string utf8;
    for (wchar_t c : wide) {
        char bytes[MB_LEN_MAX];
        std::mbstate_t mb{};
        size_t length = std::wcrtomb(bytes, c, &mb);
        if (length != static_cast<size_t>(-1))
            utf8.append(bytes, length);
    }
    return utf8;
}

} // namespace

bool AskInStatusLine(const std::string& question, std::string& answer) {
    TuiState& state = State();
    answer.clear();
    if (!state.running)
        return false;
    std::string saved = state.status;
    std::wstring typed;
    bool accepted = false;
    while (true) {
        int rows = 0, columns = 0;
        getmaxyx(stdscr, rows, columns);
        int statusRow = rows - kStatusRows;
        if (statusRow < 0)
            break;
        // The question alone, without the key hint, while the person types.
        std::string line = " " + question + WideToUtf8(typed);
        std::wstring wide(line.size() + 1, L'\0');
        size_t count = std::mbstowcs(&wide[0], line.c_str(), wide.size());
        wide.resize(count == static_cast<size_t>(-1) ? 0 : count);
        int width = 0;
        for (wchar_t c : wide)
            width += wcwidth(c) > 0 ? wcwidth(c) : 0;
        // A long path scrolls: its end, where the person types, stays in view.
        size_t first = 0;
        while (width >= columns - 1 && first < wide.size()) {
            width -= wcwidth(wide[first]) > 0 ? wcwidth(wide[first]) : 0;
            ++first;
        }
        int column = 0;
        for (size_t i = first; i < wide.size(); ++i) {
            int w = wcwidth(wide[i]);
            if (w < 1)
                continue;
            PutCell(statusRow, column, wide[i], RGB(0, 0, 0), RGB(255, 255, 255), false);
            column += w;
        }
        int cursor = column;
        for (; column < columns; ++column)
            PutCell(statusRow, column, L' ', RGB(0, 0, 0), RGB(255, 255, 255), false);
        move(statusRow, cursor < columns ? cursor : columns - 1);
        curs_set(1);
        refresh();
        timeout(-1);
        wint_t key = 0;
        int result = get_wch(&key);
        if (result == ERR) {
            if (errno == EINTR)
                continue;
            break;
        }
        bool functionKey = result == KEY_CODE_YES;
        if ((!functionKey && (key == L'\r' || key == L'\n')) || (functionKey && key == KEY_ENTER)) {
            accepted = true;
            break;
        }
        if (!functionKey && key == 27)
            break;
        if ((functionKey && key == KEY_BACKSPACE) || (!functionKey && (key == 127 || key == 8))) {
            if (!typed.empty())
                typed.pop_back();
            continue;
        }
        if (!functionKey && key >= 32)
            typed.push_back(static_cast<wchar_t>(key));
    }
    state.status = saved;
    state.forceRedraw = true;
    answer = WideToUtf8(typed);
    return accepted;
}

bool StartTui(std::string& error) {
    TuiState& state = State();
    if (state.running)
        return true;
    if (!isatty(STDIN_FILENO) || !isatty(STDOUT_FILENO)) {
        error = "the terminal interface needs a terminal on standard input and output "
                "(use --ui headless)";
        return false;
    }
    // The terminal speaks UTF-8; the installer's own text stays in its code page.
    const char* current = std::setlocale(LC_CTYPE, nullptr);
    state.savedLocale = current ? current : "C";
    std::setlocale(LC_CTYPE, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");

    state.screen = newterm(nullptr, stdout, stdin);
    if (!state.screen) {
        std::setlocale(LC_CTYPE, state.savedLocale.c_str());
        const char* term = std::getenv("TERM");
        error = std::string("the terminal \"") + (term ? term : "") + "\" cannot be used";
        return false;
    }
    set_term(state.screen);
    // A terminal that cannot place the cursor would get a stream of text that makes no screen.
    const char* cursorAddress = tigetstr(const_cast<char*>("cup"));
    if (!cursorAddress || cursorAddress == reinterpret_cast<const char*>(-1)) {
        endwin();
        delscreen(state.screen);
        state.screen = nullptr;
        std::setlocale(LC_CTYPE, state.savedLocale.c_str());
        const char* term = std::getenv("TERM");
        error = std::string("the terminal \"") + (term ? term : "") +
                "\" cannot place the cursor (use --ui headless)";
        return false;
    }
    set_escdelay(kEscapeDelayMs);
    g_bCursesActive = 1;
    cbreak();
    // Ctrl+Q (the close key) and Ctrl+S are the program's, not the terminal's flow control.
    termios modes{};
    if (tcgetattr(STDIN_FILENO, &modes) == 0) {
        modes.c_iflag &= ~static_cast<tcflag_t>(IXON);
        tcsetattr(STDIN_FILENO, TCSANOW, &modes);
        def_prog_mode();
    }
    noecho();
    nonl();
    intrflush(stdscr, FALSE);
    keypad(stdscr, TRUE);
    meta(stdscr, TRUE);
    curs_set(0);
    mousemask(BUTTON1_PRESSED | BUTTON1_CLICKED | BUTTON1_DOUBLE_CLICKED | BUTTON1_TRIPLE_CLICKED,
              nullptr);
    mouseinterval(0);
    state.colors.Start();

    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
        // A host that ends its run cleanly on these signals gives the terminal back itself.
        state.handled[i] = kSignals[i] == SIGQUIT || !host::CatchingInterrupts();
        if (!state.handled[i])
            continue;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        sigaction(kSignals[i], &action, &state.savedActions[i]);
    }
    // A long copy keeps the program from polling: show the page (the file it names, the
    // percentage) before it starts rather than the one before.
    host::detail::SetLongOperationHandler([](uint64_t bytes) {
        TuiState& tui = State();
        auto now = std::chrono::steady_clock::now();
        if (bytes >= kLongCopyBytes || now - tui.lastPresented >= kPollPresentInterval) {
            PresentTui();
            tui.lastPresented = now;
        }
    });
    static bool exitHandler = false;
    if (!exitHandler) {
        std::atexit(RestoreAtExit);
        exitHandler = true;
    }

    state.running = true;
    state.tooSmall = false;
    FitScreenToTerminal();
    state.forceRedraw = true;
    return true;
}

void StopTui() {
    TuiState& state = State();
    if (!state.running)
        return;
    state.running = false;
    host::detail::SetLongOperationHandler({});
    for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i)
        if (state.handled[i])
            sigaction(kSignals[i], &state.savedActions[i], nullptr);
    g_bCursesActive = 0;
    curs_set(1);
    endwin();
    delscreen(state.screen);
    state.screen = nullptr;
    state.colors = CColorPairs();
    std::setlocale(LC_CTYPE, state.savedLocale.c_str());
}

void PresentTui() {
    TuiState& state = State();
    const gdi::CScreen& screen = gdi::CScreen::Get();
    if (!state.running || (!state.forceRedraw && state.presented == screen.Generation() &&
                           state.statusShown == state.status))
        return;
    if (state.tooSmall) {
        PresentTooSmall();
        if (state.forceRedraw)
            clearok(curscr, TRUE);
        refresh();
        state.presented = screen.Generation();
        state.forceRedraw = false;
        return;
    }
    int rows = 0, columns = 0;
    getmaxyx(stdscr, rows, columns);
    int statusRow = rows - kStatusRows;
    rows = statusRow;
    if (rows > screen.Rows())
        rows = screen.Rows();
    if (columns > screen.Columns())
        columns = screen.Columns();
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            const gdi::Cell& cell = screen.At(column, row);
            wchar_t wide = L' ';
            switch (cell.kind) {
            case gdi::CellKind::Glyph:
                wide = wcwidth(static_cast<wchar_t>(cell.glyph)) == 1
                           ? static_cast<wchar_t>(cell.glyph)
                           : Fallback(cell.glyph);
                break;
            case gdi::CellKind::Lead:
                wide = CharacterOf(cell);
                if (wcwidth(wide) == 2 && column + 1 < columns) {
                    PutCell(row, column, wide, cell.foreground, cell.background, cell.underline);
                    ++column;
                    continue;
                }
                // The terminal shows this one narrow (or cannot show it): keep the columns.
                if (wcwidth(wide) != 1)
                    wide = L'?';
                break;
            case gdi::CellKind::Trail:
                wide = L' ';
                break;
            case gdi::CellKind::Single:
                wide =
                    cell.bytes[0] < 0x80 ? static_cast<wchar_t>(cell.bytes[0]) : CharacterOf(cell);
                if (wcwidth(wide) != 1)
                    wide = L'?';
                break;
            }
            PutCell(row, column, wide, cell.foreground, cell.background, cell.underline);
        }
    }
    if (statusRow >= 0)
        DrawStatusLine(statusRow, columns);
    if (screen.CaretShown() && screen.CaretRow() < rows && screen.CaretColumn() < columns &&
        screen.CaretRow() >= 0 && screen.CaretColumn() >= 0) {
        move(screen.CaretRow(), screen.CaretColumn());
        curs_set(1);
    } else {
        curs_set(0);
    }
    if (state.forceRedraw)
        clearok(curscr, TRUE);
    refresh();
    state.presented = screen.Generation();
    state.forceRedraw = false;
}

namespace {

// Posted: input was posted; Changed: the screen changed (a resize, a repaint asked for), so the
// window system has painting to do.
enum class ReadResult { Posted, Changed, Nothing, Gone };

// Reads one key or click and posts it; with wait false, returns at once when none is there.
ReadResult ReadOne(bool wait) {
    TuiState& state = State();
    timeout(wait ? kResizeCheckMs : 0);
    auto started = std::chrono::steady_clock::now();
    wint_t key = 0;
    int result = get_wch(&key);
    if (result == ERR) {
        // A resize whose signal came while the library was busy (reading an Escape) shows
        // only in the terminal's size.
        if (TerminalSizeChanged()) {
            FitScreenToTerminal();
            state.forceRedraw = true;
            return ReadResult::Changed;
        }
        if (!wait || errno == EINTR ||
            std::chrono::steady_clock::now() - started >=
                std::chrono::milliseconds(kResizeCheckMs / 2))
            return ReadResult::Nothing;
        // A terminal that hung up reads as an endless stream of errors.
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (poll(&input, 1, 0) > 0 && (input.revents & (POLLHUP | POLLERR | POLLNVAL)))
            return ReadResult::Gone;
        return ++state.failures > 100 ? ReadResult::Gone : ReadResult::Nothing;
    }
    state.failures = 0;
    bool functionKey = result == KEY_CODE_YES;
    if (functionKey && key == KEY_RESIZE) {
        FitScreenToTerminal();
        state.forceRedraw = true;
        return ReadResult::Changed;
    }
    if (!functionKey && key == kRedrawKey) {
        host::RepaintScreen();
        state.forceRedraw = true;
        return ReadResult::Changed;
    }
    // Keys typed while the windows cannot be seen would act blindly.
    if (state.tooSmall)
        return ReadResult::Nothing;
    if (functionKey && key == KEY_MOUSE) {
        MEVENT event;
        if (getmouse(&event) != OK)
            return ReadResult::Nothing;
        // The library folds the presses it reads at once into one event, whatever the
        // interval: each press counts, and the window system pairs them into double clicks.
        int presses = (event.bstate & BUTTON1_TRIPLE_CLICKED)                ? 3
                      : (event.bstate & BUTTON1_DOUBLE_CLICKED)              ? 2
                      : (event.bstate & (BUTTON1_PRESSED | BUTTON1_CLICKED)) ? 1
                                                                             : 0;
        for (int i = 0; i < presses; ++i)
            PostCellClick(event.x, event.y);
        return presses > 0 ? ReadResult::Posted : ReadResult::Nothing;
    }
    bool alt = false;
    if (!functionKey && key == 27) {
        // Escape and a key at once is how terminals send Alt with that key.
        timeout(kEscapeDelayMs);
        wint_t next = 0;
        int nextResult = get_wch(&next);
        if (nextResult == OK && next == 27)
            unget_wch(next);
        else if (nextResult != ERR) {
            alt = true;
            functionKey = nextResult == KEY_CODE_YES;
            key = next;
        }
    }
    // The disk key belongs to the terminal, not to the emulated machine; it is read only while
    // the program waits, when a page can ask for a disk.
    if (functionKey && !alt && key == static_cast<wint_t>(KEY_F(kDiskKey))) {
        if (wait)
            OnDiskKey();
        return ReadResult::Nothing;
    }
    KeyInput input = TranslateKey(functionKey, static_cast<unsigned>(key), alt);
    return PostKeyInput(input) ? ReadResult::Posted : ReadResult::Nothing;
}

} // namespace

bool ReadTuiInput() {
    if (!State().running)
        return false;
    WatchDiskPrompt();
    // Windows shown or closed since the last wait may need another screen size.
    if (FitScreenToTerminal())
        return true;
    while (true) {
        host::EndIfInterrupted();
        PresentTui();
        switch (ReadOne(true)) {
        case ReadResult::Posted:
        case ReadResult::Changed:
            return true;
        case ReadResult::Gone:
            return false;
        case ReadResult::Nothing:
            break;
        }
    }
}

void PollTui(bool readKeys) {
    TuiState& state = State();
    if (!state.running)
        return;
    // Busy loops poll far more often than a terminal can show; a few times a second is enough
    // for the progress to move.
    auto now = std::chrono::steady_clock::now();
    if (state.forceRedraw || now - state.lastPresented >= kPollPresentInterval) {
        PresentTui();
        state.lastPresented = now;
    }
    if (!readKeys)
        return;
    FitScreenToTerminal();
    for (int i = 0; i < 64; ++i) {
        ReadResult result = ReadOne(false);
        if (result != ReadResult::Posted && result != ReadResult::Changed)
            break;
    }
}

} // namespace host::frontend
