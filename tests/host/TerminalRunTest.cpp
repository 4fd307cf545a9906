// The built program as a person runs it in a terminal: tmux runs it, the tests type keys and
// read the captured screen, its bottom status line and what it says on standard error.
#include "RunSetup.h"
#include "TempDir.h"
#include "TmuxSession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <memory>
#include <string>
#include <thread>

namespace {

const char kScript[] = "[Setup]\r\n"
                       "InfRevision=1\r\n"
                       "TargetOS=1000F\r\n"
                       "Caption=Term Setup\r\n"
                       "Beginning=Terminal test.\r\n"
                       "Disk=Term Disk #\r\n"
                       "PromptSrcPath=0\r\n"
                       "PromptDstPath=1\r\n"
                       "ProgressBar=1\r\n"
                       "DefaultDstPath=TERMAPP\r\n"
                       "\r\n"
                       "[Files]\r\n";

class TerminalRun : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!HaveTmux())
            GTEST_SKIP() << "tmux is not installed";
        if (!SetupIsBuilt())
            GTEST_SKIP() << "veltrix-setup is not built";
    }

    // A medium whose [Files] section holds these lines; the files are written by the test.
    void WriteMedium(const std::string& filesLines) {
        ASSERT_TRUE(WriteHostFile(m_dir / "disk1/INSTKIT.INF", kScript + filesLines));
    }

    // Runs the program on the medium in a terminal of 80 x 24, with the host locale and the
    // other variables of environment (a Japanese user unless a test says otherwise); wrapper
    // goes before the program (a tracer).
    void Start(const std::vector<std::string>& args,
               const std::string& environment = "LANG=ja_JP.UTF-8",
               const std::string& wrapper = "") {
        std::string command = "cd " + ShellQuote(m_dir.path()) +
                              " && env -u LC_ALL -u LC_MESSAGES -u LANG " + environment + " " +
                              wrapper + " " + ShellQuote(VELTRIX_SETUP_EXE) + " --media disk1" +
                              " --prefix prefix";
        for (const std::string& arg : args)
            command += " " + ShellQuote(arg);
        command += " 2>stderr; echo SETUP-EXIT $?; sleep 60";
        m_tmux = std::make_unique<CTmuxSession>(command, 80, 24);
    }

    CTmuxSession& Terminal() { return *m_tmux; }
    std::string Stderr() const { return ReadHostFile(m_dir / "stderr"); }

    // The path page up, Enter accepts C:\TERMAPP and Enter says Yes to creating it.
    void AcceptThePathPage() {
        ASSERT_TRUE(Terminal().WaitFor("C:\\TERMAPP")) << Terminal().Capture() << Stderr();
        Terminal().Keys("Enter");
        ASSERT_TRUE(Terminal().WaitFor("新しいﾃﾞｨﾚｸﾄﾘ")) << Terminal().Capture();
        Terminal().Keys("Enter");
    }

    // Presses Enter on the finish page and waits for the program to end.
    void FinishAndExit() {
        ASSERT_TRUE(Terminal().WaitFor("正常に終了")) << Terminal().Capture() << Stderr();
        Terminal().Keys("Enter");
        ASSERT_TRUE(Terminal().WaitFor("SETUP-EXIT 0")) << Terminal().Capture() << Stderr();
    }

    TempDir m_dir;
    std::unique_ptr<CTmuxSession> m_tmux;
};

TEST_F(TerminalRun, IsReadableOnEveryHostLocaleAndShowsItsKeysOnTheLastRow) {
    WriteMedium("1:A.TXT=,,0,3\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "a"));
    for (const char* locale : {"LANG=C", "LANG=en_US.UTF-8"}) {
        Start({}, locale);
        ASSERT_TRUE(Terminal().WaitFor("C:\\TERMAPP"))
            << locale << Terminal().Capture() << Stderr();
        std::string screen = Terminal().Capture();
        EXPECT_NE(screen.find("よろしいですか？"), std::string::npos) << locale << screen;
        EXPECT_NE(screen.find("ｺﾋﾟｰ先"), std::string::npos) << locale << screen;
        EXPECT_EQ(screen.find("??"), std::string::npos) << locale << screen;
        std::string hint = Terminal().LastRow();
        for (const char* key : {"Tab", "Enter", "Esc", "Alt+letter", "F3"})
            EXPECT_NE(hint.find(key), std::string::npos) << key << ": " << hint;
        EXPECT_LE(hint.size(), 80u * 3);
    }
}

TEST_F(TerminalRun, AMissingScriptSaysWhereItWasLookedFor) {
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/README.TXT", "no script here"));
    Start({});
    ASSERT_TRUE(Terminal().WaitFor("INSTKIT.INF")) << Terminal().Capture() << Stderr();
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("SETUP-EXIT 2")) << Terminal().Capture();
    std::string said = Stderr();
    EXPECT_NE(said.find("no INSTKIT.INF in " + (m_dir / "disk1")), std::string::npos) << said;
    EXPECT_NE(said.find("--media DIR"), std::string::npos) << said;
}

TEST_F(TerminalRun, ANextDiskIsPutInWithTheDiskKeyAndAMissingFileIsNamed) {
    WriteMedium("1:A.TXT=,,0,3\r\n2:B.TXT=,,0,3\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "a"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk2/B.TXT", "b"));
    Start({});
    AcceptThePathPage();
    ASSERT_TRUE(Terminal().WaitFor("Term Disk # 2")) << Terminal().Capture();
    ASSERT_TRUE(Terminal().WaitFor("D:\\B.TXT is missing")) << Terminal().Capture();

    // OK without the disk: the page comes back with its own texts, the status line says why.
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("Still missing: D:\\B.TXT")) << Terminal().Capture();
    std::string screen = Terminal().Capture();
    EXPECT_NE(screen.find("Term Disk # 2"), std::string::npos) << screen;
    EXPECT_NE(screen.find("を次のﾊﾟｽにｾｯﾄしてください。"), std::string::npos) << screen;

    Terminal().Keys("F3");
    ASSERT_TRUE(Terminal().WaitFor("Host directory of disk 2 for D:")) << Terminal().Capture();
    Terminal().Keys("-l " + ShellQuote(m_dir / "disk2"));
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("Disk 2 is in D:")) << Terminal().Capture();
    Terminal().Keys("Enter");
    FinishAndExit();
    EXPECT_EQ(ReadHostFile(m_dir / "prefix/drive_c/TERMAPP/B.TXT"), "b");

    // After the terminal is given back, one line says what happened and where the files went.
    std::string said = Stderr();
    EXPECT_NE(said.find("veltrix-setup: finished; 2 files in C:\\TERMAPP (" +
                        (m_dir / "prefix/drive_c/TERMAPP") + ")"),
              std::string::npos)
        << said;
    EXPECT_NE(said.find("prefix "), std::string::npos) << said;
}

TEST_F(TerminalRun, TheDiskOptionPutsTheDiskInWhenThePageAsksForIt) {
    WriteMedium("1:A.TXT=,,0,3\r\n2:B.TXT=,,0,3\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "a"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk2/B.TXT", "b"));
    Start({"--disk", "2=disk2"});
    AcceptThePathPage();
    ASSERT_TRUE(Terminal().WaitFor("Disk 2 is in D:")) << Terminal().Capture();
    EXPECT_NE(Terminal().Capture().find("Term Disk # 2"), std::string::npos);
    Terminal().Keys("Enter");
    FinishAndExit();
    EXPECT_EQ(ReadHostFile(m_dir / "prefix/drive_c/TERMAPP/B.TXT"), "b");
}

TEST_F(TerminalRun, EntersTypedAheadDoNotAbandonTheCopy) {
    WriteMedium("1:A.TXT=,,0,3\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "a"));
    Start({});
    ASSERT_TRUE(Terminal().WaitFor("C:\\TERMAPP")) << Terminal().Capture() << Stderr();
    // OK, Yes to creating the folder, and two Enters more typed at once.
    Terminal().Keys("Enter Enter Enter Enter");
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::string screen;
    while (std::chrono::steady_clock::now() < end) {
        screen = Terminal().Capture();
        // No question to abandon the installation, and no abort page.
        ASSERT_EQ(screen.find("中止"), std::string::npos) << screen;
        if (screen.find("SETUP-EXIT") != std::string::npos)
            break;
        if (screen.find("正常に終了") != std::string::npos)
            Terminal().Keys("Enter");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    EXPECT_NE(screen.find("SETUP-EXIT 0"), std::string::npos) << screen << Stderr();
    EXPECT_EQ(ReadHostFile(m_dir / "prefix/drive_c/TERMAPP/A.TXT"), "a");
}

TEST_F(TerminalRun, TheCopyPageNamesTheFileWhileItIsCopied) {
    if (std::system("strace -V >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "strace is not installed";
    WriteMedium("1:A.TXT=,,0,3\r\n1:BIG.DAT=,,0,3\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "a"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/BIG.DAT", std::string(2 << 20, 'x')));
    // Every copy of file contents takes a second: long enough to read the screen meanwhile.
    // (LeakSanitizer cannot check a program that a tracer already holds.)
    Start({}, "LANG=ja_JP.UTF-8 ASAN_OPTIONS=detect_leaks=0",
          "strace -f -o /dev/null -e trace=copy_file_range "
          "-e inject=copy_file_range:delay_enter=1000000");
    AcceptThePathPage();
    ASSERT_TRUE(Terminal().WaitFor("BIG.DAT", 30)) << Terminal().Capture() << Stderr();
    std::string screen = Terminal().Capture();
    // While BIG.DAT is copied: its name and paths, and the one file done before it.
    EXPECT_NE(screen.find("ﾌｧｲﾙ  BIG.DAT  をｺﾋﾟｰしています。"), std::string::npos) << screen;
    EXPECT_NE(screen.find("D:\\BIG.DAT"), std::string::npos) << screen;
    EXPECT_NE(screen.find("C:\\TERMAPP\\BIG.DAT"), std::string::npos) << screen;
    EXPECT_NE(screen.find("50 %"), std::string::npos) << screen;
    FinishAndExit();
}

// Every file below a prefix's drive C, as "path size: content" lines in name order.
std::string InstalledFiles(const std::string& prefix) {
    std::string listing;
    std::error_code error;
    std::vector<std::string> paths;
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(prefix + "/drive_c", error))
        if (entry.is_regular_file())
            paths.push_back(entry.path().string());
    std::sort(paths.begin(), paths.end());
    for (const std::string& path : paths) {
        std::string content = ReadHostFile(path);
        listing += path.substr(prefix.size()) + " " + std::to_string(content.size()) + ": " +
                   content + "\n";
    }
    return listing;
}

// The lines of a prefix's registry files, less the times the keys were written.
std::string RegistryEntries(const std::string& prefix) {
    std::string entries;
    for (const char* name : {"/system.reg", "/user.reg"}) {
        std::istringstream in(ReadHostFile(prefix + name));
        std::string line;
        while (std::getline(in, line)) {
            if (line.rfind("#time=", 0) == 0)
                continue;
            if (!line.empty() && line[0] == '[')
                line = line.substr(0, line.find(']') + 1);
            entries += line + "\n";
        }
    }
    return entries;
}

TEST_F(TerminalRun, ARecordedRunReplaysUnattendedToTheSameInstallation) {
    // A second file of the same name asks whether to overwrite the first; C.TXT is on disk 2.
    WriteMedium("1:A.TXT=,,0,3\r\n1:A2.TXT=A.TXT,,0,0\r\n2:C.TXT=,,0,3\r\n"
                "[Registry]\r\nRecordTest\\Key=HKEY_LOCAL_MACHINE,SOFTWARE\r\n"
                "[RecordTest\\Key]\r\nName=REG_SZ,recorded\r\n");
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A.TXT", "first"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk1/A2.TXT", "second"));
    ASSERT_TRUE(WriteHostFile(m_dir / "disk2/C.TXT", "from disk 2"));
    Start({"--record", "answers.txt"});
    ASSERT_TRUE(Terminal().WaitFor("C:\\TERMAPP")) << Terminal().Capture() << Stderr();
    // A folder picked in the browser with the keys (the first one below C:, opened with Enter
    // and taken with Enter), before the path is typed over it.
    Terminal().Keys("M-r");
    ASSERT_TRUE(Terminal().WaitFor("ﾄﾞﾗｲﾌﾞ")) << Terminal().Capture();
    Terminal().Keys("Down");
    Terminal().Keys("Enter");
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("C:\\windows\\")) << Terminal().Capture();
    Terminal().Keys("M-t");
    Terminal().Keys("-l 'C:\\MINE'");
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("新しいﾃﾞｨﾚｸﾄﾘ")) << Terminal().Capture();
    Terminal().Keys("Enter");
    // No: the first A.TXT stays, where the unattended default would overwrite it.
    ASSERT_TRUE(Terminal().WaitFor("上書きしてもよろしいですか？")) << Terminal().Capture();
    Terminal().Keys("M-n");
    ASSERT_TRUE(Terminal().WaitFor("D:\\C.TXT is missing")) << Terminal().Capture();
    Terminal().Keys("F3");
    ASSERT_TRUE(Terminal().WaitFor("Host directory of disk 2 for D:")) << Terminal().Capture();
    Terminal().Keys("-l " + ShellQuote(m_dir / "disk2"));
    Terminal().Keys("Enter");
    ASSERT_TRUE(Terminal().WaitFor("Disk 2 is in D:")) << Terminal().Capture();
    Terminal().Keys("Enter");
    FinishAndExit();
    std::string recorded = ReadHostFile(m_dir / "answers.txt");
    EXPECT_NE(recorded.find("open 1121 \"windows\" press ok"), std::string::npos) << recorded;
    ASSERT_EQ(ReadHostFile(m_dir / "prefix/drive_c/MINE/A.TXT"), "first") << recorded;

    RunResult replay = RunSetup({"--media", m_dir / "disk1", "--prefix", m_dir / "replay", "--ui",
                                 "headless", "--lang", "JPN", "--answers", m_dir / "answers.txt"});
    ASSERT_EQ(replay.status, 0) << recorded << replay.out << replay.err;
    std::string files = InstalledFiles(m_dir / "prefix");
    EXPECT_NE(files.find("/drive_c/MINE/C.TXT 11: from disk 2"), std::string::npos) << files;
    EXPECT_EQ(InstalledFiles(m_dir / "replay"), files) << recorded;
    std::string entries = RegistryEntries(m_dir / "prefix");
    EXPECT_NE(entries.find("recorded"), std::string::npos) << entries;
    EXPECT_EQ(RegistryEntries(m_dir / "replay"), entries) << recorded;
}

} // namespace
