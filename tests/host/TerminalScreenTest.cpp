// The installer's screens in real terminals of several sizes and kinds: the program runs under
// tmux on the sample medium (or a small medium of the test's own), and the tests read what the
// terminal shows, colours included.
#include "RunSetup.h"
#include "TempDir.h"
#include "TmuxSession.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string kSampleMedium = std::string(VELTRIX_BINARY_DIR) + "/examples/disk1";
const std::string kSampleDisk2 = std::string(VELTRIX_BINARY_DIR) + "/examples/disk2";
const char kCancel[] = "ｷｬﾝｾﾙ";

class TerminalScreenTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveTmux())
            GTEST_SKIP() << "tmux is not installed";
        if (!SetupIsBuilt() || !HostFileExists(kSampleMedium + "/INSTKIT.INF"))
            GTEST_SKIP() << "veltrix-setup or its sample medium is not built";
    }

    // Runs the installer in a terminal of the size and kind given.
    std::unique_ptr<CTmuxSession> Start(int columns, int rows,
                                        const std::string& term = "xterm-256color",
                                        const std::string& medium = kSampleMedium) {
        std::string command = "env TERM=" + term + " LANG=C.UTF-8 " +
                              ShellQuote(VELTRIX_SETUP_EXE) + " --media " + ShellQuote(medium) +
                              " --disk 2=" + ShellQuote(kSampleDisk2) + " --lang JPN --prefix " +
                              ShellQuote(m_dir / "machine") + "; echo SETUP-EXIT $?; sleep 60";
        return std::make_unique<CTmuxSession>(command, columns, rows);
    }

    // The cells of every row of the terminal, with their colours.
    static std::vector<std::vector<CapturedCell>> Cells(const CTmuxSession& tmux) {
        return ParseCapturedScreen(tmux.Capture(true));
    }
    // The column of the first cell showing text on a row, or -1.
    static int ColumnOf(const std::vector<CapturedCell>& row, const std::string& text) {
        for (size_t i = 0; i < row.size(); ++i)
            if (row[i].text == text)
                return static_cast<int>(i);
        return -1;
    }
    // The row (index) whose text contains a text, or -1.
    static int RowOf(const CTmuxSession& tmux, const std::string& text) {
        std::vector<std::string> rows = tmux.CaptureRows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].find(text) != std::string::npos)
                return static_cast<int>(i);
        return -1;
    }

    // A terminal description like xterm-256color but without "back colour erase", so that the
    // program writes every blank of the desktop and the capture shows its colour. Empty when
    // the terminfo tools are missing.
    std::string NoEraseTerminal() {
        std::string dir = m_dir / "terminfo";
        std::string command =
            "infocmp -x xterm-256color 2>/dev/null | sed 's/^xterm-256color|[^,]*,/"
            "xterm-nobce|test terminal,/; s/\\bbce, //' > " +
            ShellQuote(dir + ".src") + " && tic -x -o " + ShellQuote(dir) + " " +
            ShellQuote(dir + ".src") + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0)
            return "";
        return "xterm-nobce TERMINFO=" + dir;
    }

    TempDir m_dir;
};

// A cell of the captured rows; a blank of the terminal's default colours past a row's end.
CapturedCell CellAt(const std::vector<std::vector<CapturedCell>>& rows, int row, int column) {
    if (row < 0 || static_cast<size_t>(row) >= rows.size() || column < 0 ||
        static_cast<size_t>(column) >= rows[static_cast<size_t>(row)].size())
        return CapturedCell();
    return rows[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

// The frame of the main window: its left edge and its bottom row, from the corner "└".
struct Frame {
    int left = -1;
    int bottom = -1;
    int right = -1;
};

Frame MainFrame(const std::vector<std::vector<CapturedCell>>& rows) {
    Frame frame;
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c].text == "└") {
                frame.left = static_cast<int>(c);
                frame.bottom = static_cast<int>(r);
            } else if (rows[r][c].text == "┘" && frame.bottom == static_cast<int>(r)) {
                frame.right = static_cast<int>(c);
            }
        }
    return frame;
}

TEST_F(TerminalScreenTest, ResizingPlacesTheWindowAgainAndCtrlLRepaints) {
    std::string term = NoEraseTerminal();
    if (term.empty())
        GTEST_SKIP() << "infocmp or tic is missing";
    auto tmux = Start(80, 24, term);
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->WaitUntilStill();
    Frame small = MainFrame(Cells(*tmux));
    ASSERT_EQ(small.left, 7) << tmux->Capture();
    // The last row is the status line's; the window stays in the 23 rows above it.
    EXPECT_LE(small.bottom, 22) << tmux->Capture();

    // Growing: the window is centred again and the whole new area is desktop.
    tmux->Resize(100, 32);
    tmux->WaitUntilStill();
    auto grown = Cells(*tmux);
    Frame large = MainFrame(grown);
    EXPECT_EQ(large.left, (100 - 66) / 2) << tmux->Capture();
    EXPECT_EQ(large.right - large.left + 1, 66);
    int desktop = CellAt(grown, 0, 0).background;
    EXPECT_NE(desktop, -1) << "the desktop has no colour of its own";
    for (int r : {0, 30})
        for (int c : {0, 50, 99})
            EXPECT_EQ(CellAt(grown, r, c).background, desktop) << "row " << r << " column " << c;

    // Shrinking: the window comes back whole.
    tmux->Resize(80, 24);
    tmux->WaitUntilStill();
    Frame back = MainFrame(Cells(*tmux));
    EXPECT_EQ(back.left, 7) << tmux->Capture();
    EXPECT_EQ(back.right, 72) << tmux->Capture();
    EXPECT_NE(RowOf(*tmux, kCancel), -1);

    // Ctrl+L paints again what something else wrote over the screen.
    tmux->WriteToTerminal("\x1b[6;12HGARBAGE-ON-THE-SCREEN");
    ASSERT_TRUE(tmux->WaitFor("GARBAGE-ON-THE-SCREEN", 5));
    tmux->Keys("C-l");
    tmux->WaitUntilStill();
    EXPECT_EQ(tmux->Capture().find("GARBAGE"), std::string::npos) << tmux->Capture();
    EXPECT_NE(tmux->Capture().find("よろしいですか"), std::string::npos) << tmux->Capture();
}

TEST_F(TerminalScreenTest, ASmallTerminalSaysWhichSizeItNeedsUntilItGrows) {
    auto tmux = Start(60, 18);
    ASSERT_TRUE(tmux->WaitFor("66 x 19")) << tmux->Capture();
    EXPECT_NE(tmux->Capture().find("too small"), std::string::npos) << tmux->Capture();
    EXPECT_EQ(tmux->Capture().find(kCancel), std::string::npos) << "a cut window is shown";
    // Keys typed meanwhile are not acted on blindly.
    tmux->Keys("Escape");
    tmux->Resize(80, 24);
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->WaitUntilStill();
    EXPECT_EQ(tmux->Capture().find("too small"), std::string::npos) << tmux->Capture();
    EXPECT_EQ(tmux->Capture().find("中止してもよろしいですか"), std::string::npos);
    Frame frame = MainFrame(Cells(*tmux));
    EXPECT_EQ(frame.left, 7) << tmux->Capture();
    EXPECT_LE(frame.bottom, 22) << tmux->Capture();
}

TEST_F(TerminalScreenTest, CtrlQClosesTheWindowAsTheSystemMenuSays) {
    auto tmux = Start(80, 24);
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->Keys("M-Space");
    ASSERT_TRUE(tmux->WaitFor("閉じる(C)", 5)) << tmux->Capture();
    EXPECT_NE(tmux->Capture().find("Ctrl+Q"), std::string::npos) << tmux->Capture();
    // Its separator is a line, not a blank row.
    int close = RowOf(*tmux, "閉じる(C)");
    EXPECT_NE(tmux->CaptureRows()[static_cast<size_t>(close + 1)].find("│───"), std::string::npos)
        << tmux->Capture();
    tmux->Keys("Escape");
    tmux->WaitUntilStill();
    tmux->Keys("C-q");
    // Closing the main window is a cancel: it asks whether to abandon the installation.
    EXPECT_TRUE(tmux->WaitFor("中止してもよろしいですか", 5)) << tmux->Capture();
}

TEST_F(TerminalScreenTest, EightColourTerminalsShowFieldsAndMnemonics) {
    for (const char* term : {"xterm", "linux"}) {
        auto tmux = Start(80, 24, term);
        ASSERT_TRUE(tmux->WaitFor(kCancel)) << term << tmux->Capture();
        tmux->WaitUntilStill();
        auto rows = Cells(*tmux);
        int row = RowOf(*tmux, "C:\\VXSAMPLE");
        ASSERT_NE(row, -1) << tmux->Capture();
        const auto& cells = rows[static_cast<size_t>(row)];
        // The label "ｺﾋﾟｰ先(T)" on the dialog, then the edit: its unselected part must not take
        // the dialog's colour.
        int label = ColumnOf(cells, "ｺ");
        int path = ColumnOf(cells, "V");
        ASSERT_GE(label, 0);
        ASSERT_GT(path, label);
        CapturedCell dialog = CellAt(rows, row, label);
        CapturedCell field = CellAt(rows, row, path + 12);
        EXPECT_EQ(field.text, " ") << term;
        EXPECT_NE(field.background, dialog.background) << term << ": the edit vanishes";
        // The mnemonic of "参照(R)..." stands out from the letters beside it.
        int browse = ColumnOf(cells, "参");
        ASSERT_GE(browse, 0);
        CapturedCell mnemonic = CellAt(rows, row, browse + 5);
        CapturedCell before = CellAt(rows, row, browse + 4);
        EXPECT_EQ(mnemonic.text, "R") << term;
        bool marked = mnemonic.underline || mnemonic.reverse ||
                      (mnemonic.bold && mnemonic.foreground != before.foreground);
        EXPECT_TRUE(marked) << term << ": the mnemonic looks like any other letter";
    }
}

TEST_F(TerminalScreenTest, AClosedMenuLeavesNoHalfCharacterBehind) {
    // An opening line of one narrow letter and then wide characters, so that one of them lies
    // under the system menu's right edge whichever odd column that is.
    std::string medium = m_dir / "medium";
    std::string wide;
    for (int i = 0; i < 20; ++i)
        wide += "\x82\xA0"; // "あ" in code page 932
    ASSERT_TRUE(WriteHostFile(medium + "/INSTKIT.INF",
                              "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nBeginning=x" + wide +
                                  "\r\nDefaultDstPath=APP\r\n[Files]\r\n1:README.TXT=,,0,3\r\n"));
    ASSERT_TRUE(WriteHostFile(medium + "/README.TXT", "read me\r\n"));
    auto tmux = Start(80, 24, "xterm-256color", medium);
    std::string line = "x";
    for (int i = 0; i < 20; ++i)
        line += "あ";
    ASSERT_TRUE(tmux->WaitFor(line)) << tmux->Capture();
    int row = RowOf(*tmux, line);
    int first = ColumnOf(Cells(*tmux)[static_cast<size_t>(row)], "x");
    tmux->Keys("M-Space");
    ASSERT_TRUE(tmux->WaitFor("閉じる(C)", 5)) << tmux->Capture();
    // The menu's right edge crosses the opening line (a row below its top corner) on the
    // first half of a wide character.
    int corner = ColumnOf(Cells(*tmux)[static_cast<size_t>(row - 1)], "┐");
    ASSERT_EQ(CellAt(Cells(*tmux), row, corner).text, "│") << tmux->Capture();
    ASSERT_GT(corner, first) << tmux->Capture();
    ASSERT_EQ((corner - first) % 2, 1) << tmux->Capture();
    tmux->Keys("Escape");
    tmux->WaitUntilStill();
    EXPECT_NE(tmux->CaptureRows()[static_cast<size_t>(row)].find(line), std::string::npos)
        << tmux->Capture();
}

TEST_F(TerminalScreenTest, TheFolderBrowserAndItsDriveListFitAnEightyByTwentyFourTerminal) {
    // A prefix with more drives than fit below the drive list.
    for (const char* drive : {"e:", "f:", "g:", "h:", "i:"}) {
        std::string target = m_dir / (std::string("drive-") + drive[0]);
        ASSERT_TRUE(WriteHostFile(target + "/x", ""));
        std::string link = m_dir / (std::string("machine/dosdevices/") + drive);
        ASSERT_TRUE(WriteHostFile(link + ".tmp", ""));
        std::remove((link + ".tmp").c_str());
        ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0) << link;
    }
    auto tmux = Start(80, 24);
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->Keys("M-r");
    ASSERT_TRUE(tmux->WaitFor("ﾄﾞﾗｲﾌﾞ(V)", 5)) << tmux->Capture();
    tmux->WaitUntilStill();
    // The browser's bottom edge lies above the status line.
    auto cells = Cells(*tmux);
    int driveRow = RowOf(*tmux, "ﾄﾞﾗｲﾌﾞ(V)");
    int left = ColumnOf(cells[static_cast<size_t>(driveRow)], "ﾄ") - 2;
    ASSERT_EQ(CellAt(cells, driveRow, left).text, "│") << tmux->Capture();
    int bottom = -1;
    for (int r = driveRow; r < static_cast<int>(cells.size()); ++r)
        if (CellAt(cells, r, left).text == "└")
            bottom = r;
    EXPECT_NE(bottom, -1) << "the browser's bottom edge is off the screen\n" << tmux->Capture();
    EXPECT_LE(bottom, 22) << tmux->Capture();
    tmux->Keys("M-v");
    tmux->Keys("F4");
    ASSERT_TRUE(tmux->WaitFor("i:", 5)) << tmux->Capture();
    tmux->WaitUntilStill();
    // With no room below, the list opens upward: every drive shows above the status line.
    for (const char* drive : {"c:", "d:", "e:", "f:", "g:", "h:", "i:"}) {
        int row = RowOf(*tmux, std::string("│ ") + drive);
        EXPECT_NE(row, -1) << drive << tmux->Capture();
        EXPECT_LE(row, 22) << drive;
        EXPECT_LT(row, driveRow + 1) << drive << tmux->Capture();
    }
}

// Where a text of narrow characters stands on the screen: row and column, or -1, -1.
std::pair<int, int> Find(const std::vector<std::vector<CapturedCell>>& rows,
                         const std::string& text) {
    for (size_t r = 0; r < rows.size(); ++r)
        for (size_t c = 0; c + text.size() <= rows[r].size(); ++c) {
            size_t i = 0;
            while (i < text.size() && rows[r][c + i].text == std::string(1, text[i]))
                ++i;
            if (i == text.size())
                return {static_cast<int>(r), static_cast<int>(c)};
        }
    return {-1, -1};
}

TEST_F(TerminalScreenTest, TheFolderBrowserShowsATreeAndADoubleClickOpensAFolder) {
    for (const char* folder : {"DATA", "DOCS"})
        ASSERT_TRUE(
            WriteHostFile(m_dir / (std::string("machine/drive_c/VXSAMPLE/") + folder + "/x"), ""));
    // Eight colours, and mouse reports in the form xterm's description asks for.
    auto tmux = Start(80, 24, "xterm");
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->Keys("M-r");
    ASSERT_TRUE(tmux->WaitFor("ﾄﾞﾗｲﾌﾞ(V)", 5)) << tmux->Capture();
    tmux->WaitUntilStill();
    // The folders open down to the destination, then its subfolders, one cell deeper each.
    auto cells = Cells(*tmux);
    auto root = Find(cells, "- C:\\");
    auto open = Find(cells, "- VXSAMPLE");
    auto data = Find(cells, "+ DATA");
    auto docs = Find(cells, "+ DOCS");
    ASSERT_NE(root.first, -1) << tmux->Capture();
    EXPECT_EQ(open, std::make_pair(root.first + 1, root.second + 1)) << tmux->Capture();
    EXPECT_EQ(data, std::make_pair(root.first + 2, root.second + 2)) << tmux->Capture();
    EXPECT_EQ(docs, std::make_pair(root.first + 3, root.second + 2)) << tmux->Capture();

    // The list has the focus: its selection is highlighted; away from it, it is marked less.
    int plain = CellAt(cells, data.first, data.second + 2).background;
    int focused = CellAt(cells, open.first, open.second + 2).background;
    tmux->Keys("Tab");
    tmux->WaitUntilStill();
    int unfocused = CellAt(Cells(*tmux), open.first, open.second + 2).background;
    EXPECT_NE(focused, plain) << tmux->Capture(true);
    EXPECT_NE(unfocused, plain) << tmux->Capture(true);
    EXPECT_NE(unfocused, focused) << tmux->Capture(true);

    // A double click on a subfolder opens it.
    std::string at = std::to_string(data.second + 3) + ";" + std::to_string(data.first + 1);
    std::string click = "\x1b[<0;" + at + "M\x1b[<0;" + at + "m";
    tmux->Keys("-l " + ShellQuote(click + click));
    ASSERT_TRUE(tmux->WaitFor("C:\\VXSAMPLE\\DATA", 5)) << tmux->Capture();
    tmux->WaitUntilStill();
    EXPECT_EQ(Find(Cells(*tmux), "- DATA"), std::make_pair(root.first + 2, root.second + 2))
        << tmux->Capture();
    EXPECT_EQ(Find(Cells(*tmux), "+ DOCS").first, -1) << tmux->Capture();
    // OK (Enter in the list, on the folder open) gives it to the path page.
    tmux->Keys("Enter");
    ASSERT_TRUE(tmux->WaitFor("ｺﾋﾟｰ先(T) C:\\VXSAMPLE\\DATA", 5)) << tmux->Capture();
}

TEST_F(TerminalScreenTest, TheOverwriteQuestionStandsOffTheWindowItBelongsTo) {
    std::string medium = m_dir / "medium";
    ASSERT_TRUE(WriteHostFile(medium + "/INSTKIT.INF",
                              "[Setup]\r\nInfRevision=1\r\nTargetOS=1000F\r\nCaption=Overwrite "
                              "Test\r\nDefaultDstPath=APP\r\n[Files]\r\n1:SAMPLE.TXT=,,0,0\r\n"));
    ASSERT_TRUE(WriteHostFile(medium + "/SAMPLE.TXT", "new\r\n"));
    // An older SAMPLE.TXT is there already, so that the installer asks.
    ASSERT_TRUE(WriteHostFile(m_dir / "machine/drive_c/APP/SAMPLE.TXT", "old\r\n"));
    ASSERT_EQ(
        std::system(("touch -d 2000-01-01 " + ShellQuote(m_dir / "machine/drive_c/APP/SAMPLE.TXT"))
                        .c_str()),
        0);
    std::string term = NoEraseTerminal();
    if (term.empty())
        GTEST_SKIP() << "infocmp or tic is missing";
    auto tmux = Start(80, 24, term, medium);
    ASSERT_TRUE(tmux->WaitFor(kCancel)) << tmux->Capture();
    tmux->Keys("Enter");
    ASSERT_TRUE(tmux->WaitFor("上書きしてもよろしいですか", 10)) << tmux->Capture();
    tmux->WaitUntilStill();
    // Both captions show: the question does not lie exactly on the main window.
    std::vector<std::string> rows = tmux->CaptureRows();
    int captions = 0;
    for (const std::string& row : rows)
        if (row.find("Overwrite Test") != std::string::npos)
            ++captions;
    EXPECT_EQ(captions, 2) << tmux->Capture();

    // It casts a shadow: the column right of it and the row below it are dark, each starting
    // one cell in; the cells at those starts keep what lies under them.
    auto cells = Cells(*tmux);
    int bottom = -1, left = -1, right = -1;
    for (int r = 0; r < static_cast<int>(cells.size()); ++r)
        for (int c = 0; c < static_cast<int>(cells[static_cast<size_t>(r)].size()); ++c) {
            if (CellAt(cells, r, c).text == "└") {
                bottom = r;
                left = c;
            } else if (CellAt(cells, r, c).text == "┘" && r == bottom) {
                right = c;
            }
        }
    ASSERT_GT(right, left) << tmux->Capture();
    int top = RowOf(*tmux, "Overwrite Test") + 1;
    int desktop = CellAt(cells, bottom + 1, 0).background;
    const int kBlack = 16;
    ASSERT_NE(desktop, kBlack);
    EXPECT_NE(CellAt(cells, top, right + 1).background, kBlack);
    EXPECT_NE(CellAt(cells, bottom + 1, left).background, kBlack);
    for (int r = top + 1; r <= bottom + 1; ++r)
        EXPECT_EQ(CellAt(cells, r, right + 1).background, kBlack) << "row " << r;
    for (int c = left + 1; c <= right + 1; ++c)
        EXPECT_EQ(CellAt(cells, bottom + 1, c).background, kBlack) << "column " << c;

    // Closing it takes the shadow away with it.
    tmux->Keys("y");
    ASSERT_TRUE(tmux->WaitFor("正常に終了しました", 10)) << tmux->Capture();
    tmux->WaitUntilStill();
    cells = Cells(*tmux);
    for (int c = left + 1; c <= right + 1; ++c)
        EXPECT_EQ(CellAt(cells, bottom + 1, c).background, desktop) << "column " << c;
}

} // namespace
