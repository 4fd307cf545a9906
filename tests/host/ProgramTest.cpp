// The built program's command line and start-up failures, run as a user runs it.
#include "RunSetup.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <sstream>
#include <vector>

namespace {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!SetupIsBuilt())
            GTEST_SKIP() << "veltrix-setup is not built";
    }
};

TEST_F(ProgramTest, HelpListsTheOptionsAndTheKeysWithinAnEightyColumnTerminal) {
    RunResult run = RunSetup({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--media", "--media-type", "--disk", "--prefix", "--os", "--pc",
                               "--codepage", "--lang", "--ui", "--silent", "--src", "--dest",
                               "--overwrite", "--answers", "--transcript", "--version"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
    size_t keys = run.out.find("Keys in the terminal:");
    ASSERT_NE(keys, std::string::npos) << run.out;
    for (const char* key :
         {"Tab", "Shift+Tab", "Enter", "Esc", "Alt+letter", "F4", "Alt+Space", "F3"})
        EXPECT_NE(run.out.find(key, keys), std::string::npos) << key;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);)
        EXPECT_LE(line.size(), 79u) << line;

    RunResult version = RunSetup({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("veltrix-setup ", 0), 0u) << version.out;
}

TEST_F(ProgramTest, ABadCommandLineEndsWith64AndSaysWhy) {
    TempDir prefix;
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                                 {"--os", "dos"},
                                                 {"--ui", "x11"},
                                                 {"--disk", "x=/tmp"},
                                                 {"--overwrite", "sometimes"},
                                                 {"--codepage", "437"},
                                                 {"extra-argument"}}) {
        std::vector<std::string> withPrefix = args;
        withPrefix.push_back("--prefix");
        withPrefix.push_back(prefix / "machine");
        RunResult run = RunSetup(withPrefix);
        EXPECT_EQ(run.status, 64) << args[0];
        EXPECT_NE(run.err.find("veltrix-setup:"), std::string::npos) << args[0];
        // Nothing was started: no prefix was made.
        EXPECT_FALSE(HostFileExists(prefix / "machine")) << args[0];
    }
}

TEST_F(ProgramTest, AMissingMediumIsReportedWithoutMakingAPrefix) {
    TempDir dir;
    RunResult run = RunSetup({"--media", dir / "no-such-medium", "--prefix", dir / "machine"});
    EXPECT_EQ(run.status, 66);
    EXPECT_NE(run.err.find("no-such-medium"), std::string::npos) << run.err;
    EXPECT_FALSE(HostFileExists(dir / "machine"));
}

TEST_F(ProgramTest, AMissingDiskDirectoryIsReported) {
    TempDir dir;
    RunResult run = RunSetup(
        {"--media", dir.path(), "--prefix", dir / "machine", "--disk", "2=" + (dir / "disk2")});
    EXPECT_EQ(run.status, 66);
    EXPECT_NE(run.err.find("disk 2"), std::string::npos) << run.err;
}

TEST_F(ProgramTest, AMissingOrMalformedAnswersFileIsReported) {
    TempDir dir;
    RunResult missing = RunSetup({"--media", dir.path(), "--prefix", dir / "machine", "--ui",
                                  "headless", "--answers", dir / "none.txt"});
    EXPECT_EQ(missing.status, 66);
    EXPECT_NE(missing.err.find("none.txt"), std::string::npos) << missing.err;

    ASSERT_TRUE(WriteHostFile(dir / "answers.txt", "* press ok\n* explode\n"));
    RunResult malformed = RunSetup({"--media", dir.path(), "--prefix", dir / "machine", "--ui",
                                    "headless", "--answers", dir / "answers.txt"});
    EXPECT_EQ(malformed.status, 65);
    EXPECT_NE(malformed.err.find("line 2"), std::string::npos) << malformed.err;
}

TEST_F(ProgramTest, APrefixThatCannotBeMadeIsReported) {
    TempDir dir;
    ASSERT_TRUE(WriteHostFile(dir / "file", "not a directory"));
    RunResult run =
        RunSetup({"--media", dir.path(), "--prefix", dir / "file/machine", "--ui", "headless"});
    EXPECT_EQ(run.status, 73);
    EXPECT_FALSE(run.err.empty());
}

TEST_F(ProgramTest, TheTuiNeedsATerminal) {
    TempDir dir;
    RunResult run = RunSetup({"--media", dir.path(), "--prefix", dir / "machine", "--ui", "tui"});
    EXPECT_EQ(run.status, 69);
    EXPECT_FALSE(run.err.empty());
}

TEST_F(ProgramTest, ARefusedMediumWithoutScriptEndsWithoutWaiting) {
    // A medium without INSTKIT.INF: the installer shows its message (answered by the silent
    // automation) and ends; a headless run never waits for a person.
    TempDir dir;
    RunResult run =
        RunSetup({"--media", dir.path(), "--prefix", dir / "machine", "--ui", "headless"});
    EXPECT_EQ(run.status, 2) << run.out << run.err;
    EXPECT_NE(run.out.find("message: "), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("INSTKIT.INF"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("end: status 2"), std::string::npos) << run.out;
    // Standard error says where the script was looked for and how to name the medium.
    EXPECT_NE(run.err.find("no INSTKIT.INF in " + dir.path()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("--media DIR"), std::string::npos) << run.err;
}

} // namespace
