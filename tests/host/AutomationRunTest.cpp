// Unattended runs of the whole program on small media made here: the silent rule, the
// overwrite rule, answers files, --dest, --disk, the loop guard and the transcript.
#include "RunSetup.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include <fcntl.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

const char kScript[] = "[Setup]\r\n"
                       "InfRevision=1\r\n"
                       "TargetOS=1000F\r\n"
                       "Caption=Test Setup\r\n"
                       "Beginning=Installing test files.\r\n"
                       "Disk=Test Disk #\r\n"
                       "PromptDstPath=1\r\n"
                       "DefaultDstPath=APP\r\n"
                       "RebootOrRestart=0\r\n"
                       "[Files]\r\n"
                       "1:A.TXT=,,0,0\r\n"
                       "1:B.TXT=,,0,0\r\n";

const char kTwoDiskScript[] = "[Setup]\r\n"
                              "InfRevision=1\r\n"
                              "TargetOS=1000F\r\n"
                              "Caption=Test Setup\r\n"
                              "Beginning=Installing test files.\r\n"
                              "Disk=Test Disk #\r\n"
                              "DefaultDstPath=APP\r\n"
                              "[Files]\r\n"
                              "1:A.TXT=,,0,3\r\n"
                              "2:C.TXT=,,0,3\r\n";

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line))
        lines.push_back(line);
    return lines;
}

// The index of the first line starting with prefix at or after from; -1 when none.
int FindLine(const std::vector<std::string>& lines, const std::string& prefix, int from = 0) {
    for (size_t i = static_cast<size_t>(from); i < lines.size(); ++i) {
        if (lines[i].rfind(prefix, 0) == 0)
            return static_cast<int>(i);
    }
    return -1;
}

class AutomationRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SetupIsBuilt())
            GTEST_SKIP() << "veltrix-setup is not built";
        ASSERT_TRUE(WriteHostFile(m_dir / "disk1/INSTKIT.INF", kScript));
        ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "first A\r\n"));
        ASSERT_TRUE(WriteHostFile(m_dir / "disk1/B.TXT", "first B\r\n"));
    }

    RunResult Setup(std::vector<std::string> args) {
        std::vector<std::string> all = {"--media", m_dir / "disk1", "--prefix", Prefix(),
                                        "--ui",    "headless",      "--lang",   "JPN"};
        all.insert(all.end(), args.begin(), args.end());
        return RunSetup(all);
    }
    std::string Prefix() { return m_dir / "machine"; }
    std::string Installed(const std::string& relative) {
        return ReadHostFile(m_dir / ("machine/drive_c/" + relative));
    }
    std::string Answers(const std::string& text) {
        std::string path = m_dir / "answers.txt";
        EXPECT_TRUE(WriteHostFile(path, text));
        return path;
    }

    TempDir m_dir;
};

TEST_F(AutomationRunTest, ASilentRunAcceptsEveryPageAndSaysWhatItDid) {
    RunResult run = Setup({});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "first A\r\n");
    EXPECT_EQ(Installed("APP/B.TXT"), "first B\r\n");

    auto lines = Lines(run.out);
    int page = FindLine(lines, "page: Test Setup | Installing test files. | ");
    ASSERT_GE(page, 0) << run.out;
    EXPECT_NE(lines[page].find("[C:\\APP]"), std::string::npos) << lines[page];
    int ok = FindLine(lines, "action: press 1 (OK)", page);
    ASSERT_GT(ok, page) << run.out;
    // The destination does not exist yet: the question is answered Yes.
    int create = FindLine(lines, "message: Test Setup | ", ok);
    ASSERT_GT(create, ok) << run.out;
    EXPECT_NE(lines[create].find("-> Yes (0x24)"), std::string::npos) << lines[create];
    EXPECT_GE(FindLine(lines, "beep: exclamation", create), 0) << run.out;
    // The finish page without restart: its exit button has the focus and ends the run.
    EXPECT_GE(FindLine(lines, "action: press 2 (", create), 0) << run.out;
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "end: status 0 (finished), prefix " + std::string(m_dir / "machine"));
    // Standard error has the one closing line: the outcome and where the files went.
    EXPECT_EQ(run.err.rfind("veltrix-setup: finished; 2 files in C:\\APP (", 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

TEST_F(AutomationRunTest, TheOverwriteQuestionIsAnsweredAsTheOptionSays) {
    ASSERT_EQ(Setup({}).status, 0);
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "second A\r\n"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/B.TXT", "second B\r\n"));

    RunResult keep = Setup({"--overwrite", "no"});
    ASSERT_EQ(keep.status, 0) << keep.out << keep.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "first A\r\n");
    EXPECT_EQ(Installed("APP/B.TXT"), "first B\r\n");
    auto lines = Lines(keep.out);
    int question = FindLine(lines, "dialog: Test Setup | A.TXT | ");
    ASSERT_GE(question, 0) << keep.out;
    EXPECT_EQ(FindLine(lines, "action: press 7 (", question), question + 1) << keep.out;
    EXPECT_GE(FindLine(lines, "dialog: Test Setup | B.TXT | ", question), 0) << keep.out;

    RunResult replace = Setup({"--silent"}); // the default answer is Yes
    ASSERT_EQ(replace.status, 0) << replace.out << replace.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "second A\r\n");
    EXPECT_EQ(Installed("APP/B.TXT"), "second B\r\n");
    lines = Lines(replace.out);
    question = FindLine(lines, "dialog: Test Setup | A.TXT | ");
    ASSERT_GE(question, 0) << replace.out;
    EXPECT_EQ(FindLine(lines, "action: press 6 (", question), question + 1) << replace.out;
}

TEST_F(AutomationRunTest, AQuestionWithoutAnswerEndsTheRunAndReleasesTheMachine) {
    ASSERT_EQ(Setup({}).status, 0);
    RunResult ask = Setup({"--overwrite", "ask"});
    EXPECT_EQ(ask.status, 1) << ask.out << ask.err;
    auto lines = Lines(ask.out);
    int stuck = FindLine(lines, "stuck: no answer for: Test Setup | A.TXT | ");
    ASSERT_GE(stuck, 0) << ask.out;
    EXPECT_EQ(lines.back(), "end: status 1");
    EXPECT_NE(ask.err.find("unattended run stopped: no answer for: Test Setup | A.TXT"),
              std::string::npos)
        << ask.err;
    // The prefix was released: the next run can use it at once.
    RunResult again = Setup({"--overwrite", "yes"});
    EXPECT_EQ(again.status, 0) << again.out << again.err;
}

TEST_F(AutomationRunTest, AnswersAreUsedInOrderAndStandingAnswersWheneverTheyFit) {
    ASSERT_EQ(Setup({}).status, 0);
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "second A\r\n"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/B.TXT", "second B\r\n"));
    std::string answers = Answers("# keep A, replace B\n"
                                  "\"Installing test files.\" press ok\n"
                                  "\"A.TXT\" press \"いいえ(N)\"\n" // its label, no &
                                  "always \"B.TXT\" press yes\n"
                                  "\"正常に終了\" press 2\n"); // UTF-8, as the file is
    RunResult run = Setup({"--overwrite", "ask", "--answers", answers});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "first A\r\n");
    EXPECT_EQ(Installed("APP/B.TXT"), "second B\r\n");
}

TEST_F(AutomationRunTest, AnAnswersRunTypesWhereItIsTold) {
    std::string answers = Answers("\"Installing test files.\" type 1001 \"C:\\ELSEWHERE\" "
                                  "press ok\n"
                                  "* press yes\n"
                                  "* press 2\n");
    RunResult run = Setup({"--answers", answers});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Installed("ELSEWHERE/A.TXT"), "first A\r\n");
    EXPECT_FALSE(HostFileExists(m_dir / "machine/drive_c/APP"));
    EXPECT_NE(run.out.find("action: type 1001 \"C:\\ELSEWHERE\"\n"), std::string::npos) << run.out;
}

TEST_F(AutomationRunTest, DestIsTypedIntoThePathPage) {
    RunResult run = Setup({"--dest", "C:\\TYPED"});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Installed("TYPED/B.TXT"), "first B\r\n");
    auto lines = Lines(run.out);
    int typed = FindLine(lines, "action: type 1001 \"C:\\TYPED\"");
    ASSERT_GE(typed, 0) << run.out;
    EXPECT_EQ(lines[typed + 1], "action: press 1 (OK)");
}

TEST_F(AutomationRunTest, TheDirectoryBrowserIsWorkedThroughItsLists) {
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/SUB/NOTE.TXT", "a folder on the medium\r\n"));
    std::string answers = Answers("\"Installing test files.\" press 1003\n"
                                  "\"ﾊﾟｽの設定\" select 1137 \"d:\" open 1121 \"sub\" press ok\n"
                                  "\"Installing test files.\" type 1001 \"C:\\PICKED\" press ok\n"
                                  "* press yes\n"
                                  "* press 2\n");
    RunResult run = Setup({"--answers", answers});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    auto lines = Lines(run.out);
    int browser = FindLine(lines, "dialog: ﾊﾟｽの設定... | ");
    ASSERT_GE(browser, 0) << run.out;
    EXPECT_EQ(lines[browser + 1], "action: select 1137 \"d:\"");
    int opened = FindLine(lines, "action: open 1121 \"sub\"", browser);
    ASSERT_GT(opened, browser) << run.out;
    // The folder chosen is written into the destination edit.
    EXPECT_GE(FindLine(lines, "page: Test Setup | Installing test files. | ", opened), 0);
    EXPECT_NE(run.out.find("[D:\\SUB\\]"), std::string::npos) << run.out;
    EXPECT_EQ(Installed("PICKED/A.TXT"), "first A\r\n");
}

TEST_F(AutomationRunTest, AnAnswerThatDoesNotFitStopsTheRun) {
    std::string answers = Answers("\n\"Installing test files.\" press 1234\n");
    RunResult run = Setup({"--answers", answers});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("stuck: the answer on line 2 does not fit (there is no button 1234)"),
              std::string::npos)
        << run.out;
    EXPECT_FALSE(HostFileExists(m_dir / "machine/drive_c/APP/A.TXT"));
}

TEST_F(AutomationRunTest, AnAnswersFileSaysNothingForWindowsItDoesNotName) {
    std::string answers = Answers("\"Some other window\" press ok\n");
    RunResult run = Setup({"--answers", answers});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("(the answer on line 1 is for \"Some other window\")"),
              std::string::npos)
        << run.out;
}

TEST_F(AutomationRunTest, CancellingLeadsToTheAbortPageAndStatusOne) {
    std::string answers = Answers("\"Installing test files.\" press cancel\n"
                                  "* press yes\n"
                                  "* press default\n");
    RunResult run = Setup({"--answers", answers});
    EXPECT_EQ(run.status, 1) << run.out << run.err;
    EXPECT_EQ(Lines(run.out).back(),
              "end: status 1 (abandoned), prefix " + std::string(m_dir / "machine"));
    EXPECT_FALSE(HostFileExists(m_dir / "machine/drive_c/APP/A.TXT"));
}

TEST_F(AutomationRunTest, TheNextDiskIsPutInWhenItIsAskedFor) {
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/INSTKIT.INF", kTwoDiskScript));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk2/C.TXT", "from disk 2\r\n"));
    RunResult run = Setup({"--disk", "2=" + (m_dir / "disk2")});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "first A\r\n");
    EXPECT_EQ(Installed("APP/C.TXT"), "from disk 2\r\n");
    auto lines = Lines(run.out);
    int page = FindLine(lines, "page: Test Setup | Test Disk # 2 | ");
    ASSERT_GE(page, 0) << run.out;
    EXPECT_EQ(lines[page + 1], "action: insert disk 2 into D: from " + (m_dir / "disk2"));
    EXPECT_EQ(lines[page + 2], "action: press 1 (OK)");
}

TEST_F(AutomationRunTest, ADiskThatNeverComesStopsTheRunAsALoop) {
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/INSTKIT.INF", kTwoDiskScript));
    RunResult run = Setup({});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find("loop: the same answer came back 50 times without progress at: "
                           "Test Setup | Test Disk # 2 | "),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.err.find("Test Disk # 2"), std::string::npos) << run.err;
    EXPECT_EQ(Installed("APP/A.TXT"), "first A\r\n");
}

TEST_F(AutomationRunTest, TheTranscriptCanGoToAFile) {
    std::string transcript = m_dir / "transcript.txt";
    RunResult run = Setup({"--transcript", transcript});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "");
    std::string text = ReadHostFile(transcript);
    EXPECT_EQ(text.rfind("page: Test Setup | ", 0), 0u) << text;
    EXPECT_NE(
        text.find("end: status 0 (finished), prefix " + std::string(m_dir / "machine") + "\n"),
        std::string::npos)
        << text;
}

// Runs the program with standard error on a terminal of the given width (standard output
// thrown away): its status, and in err the bytes it wrote to the terminal.
RunResult RunOnTerminal(const std::vector<std::string>& args, int columns) {
    RunResult run;
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
        return run;
    std::string slave = ptsname(master);
    winsize size{};
    size.ws_row = 24;
    size.ws_col = static_cast<unsigned short>(columns);
    ioctl(master, TIOCSWINSZ, &size);
    pid_t pid = fork();
    if (pid == 0) {
        setsid();
        int terminal = open(slave.c_str(), O_RDWR);
        int none = open("/dev/null", O_RDWR);
        if (terminal < 0 || none < 0)
            _exit(127);
        dup2(none, 0);
        dup2(none, 1);
        dup2(terminal, 2);
        std::vector<char*> argv = {const_cast<char*>(VELTRIX_SETUP_EXE)};
        for (const std::string& arg : args)
            argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        alarm(60);
        execv(VELTRIX_SETUP_EXE, argv.data());
        _exit(127);
    }
    char buffer[4096];
    ssize_t got;
    // The read fails (EIO) once the program has ended and the terminal has no other user.
    while ((got = read(master, buffer, sizeof buffer)) > 0)
        run.err.append(buffer, static_cast<size_t>(got));
    close(master);
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    return run;
}

TEST_F(AutomationRunTest, AProgressLineIsShownOnATerminalAndNowhereElse) {
    std::string script = kScript;
    for (const char* name : {"C", "D", "E"}) {
        script += std::string("1:") + name + ".TXT=,,0,0\r\n";
        ASSERT_TRUE(WriteHostFile(m_dir / ("disk1/" + std::string(name) + ".TXT"), name));
    }
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/INSTKIT.INF", script));
    const std::string dest = "C:\\A_DIRECTORY_NAME_TOO_LONG_FOR_FORTY_COLUMNS";
    std::vector<std::string> args = {"--media", m_dir / "disk1", "--prefix", Prefix(),
                                     "--lang",  "JPN",           "--silent", "--dest",
                                     dest,      "--ui",          "headless"};

    RunResult run = RunOnTerminal(args, 40);
    ASSERT_EQ(run.status, 0) << run.err;
    // Each rewrite of the line starts with a carriage return and fits in 39 columns, the long
    // path cut in its middle; the count reaches all five files; the line is blanked before
    // the closing line.
    std::string end = "\rveltrix-setup: finished";
    size_t closing = run.err.find(end);
    ASSERT_NE(closing, std::string::npos) << run.err;
    EXPECT_NE(run.err.find("5/5 "), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("3/5 60%"), std::string::npos) << run.err;
    std::istringstream lines(run.err.substr(0, closing));
    std::string line;
    int shown = 0;
    while (std::getline(lines, line, '\r')) {
        EXPECT_LE(line.size(), 39u) << line;
        if (line.find('/') == std::string::npos)
            continue;
        ++shown;
        EXPECT_NE(line.find("  C:\\A_DIR"), std::string::npos) << line;
        EXPECT_NE(line.find("..._COLUMNS\\"), std::string::npos) << line;
    }
    EXPECT_GE(shown, 5) << run.err;
    size_t blank = run.err.rfind('\r', closing - 1);
    ASSERT_NE(blank, std::string::npos) << run.err;
    std::string blanked = run.err.substr(blank + 1, closing - blank - 1);
    EXPECT_TRUE(!blanked.empty() && blanked.find_first_not_of(' ') == std::string::npos) << run.err;

    // --quiet, and standard error in a file: nothing but the closing line.
    for (bool quiet : {true, false}) {
        std::vector<std::string> again = args;
        again[3] = m_dir / (quiet ? "quiet" : "file");
        if (quiet)
            again.push_back("--quiet");
        RunResult other = quiet ? RunOnTerminal(again, 40) : RunSetup(again);
        ASSERT_EQ(other.status, 0) << other.err;
        EXPECT_EQ(other.err.find("/5"), std::string::npos) << other.err;
        EXPECT_EQ(other.err.rfind("veltrix-setup: finished", 0), 0u) << other.err;
    }
}

} // namespace
