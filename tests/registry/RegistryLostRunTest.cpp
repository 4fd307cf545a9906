// The program's own runs when the prefix cannot take its registry entries: the run must not
// end as a success, and the registry file stays as it was.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class RegistryLostRunTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(WriteHostFile(m_dir / "media/INSTKIT.INF",
                                  "[Setup]\nInfRevision=1\nTargetOS=1000F\nCaption=Lost Setup\n"
                                  "DefaultDstPath=APP\n[Files]\n1:A.TXT=,,0,3\n"
                                  "[Registry]\nLost=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                  "[Lost]\nValue=REG_SZ,kept\n"));
        ASSERT_TRUE(WriteHostFile(m_dir / "media/A.TXT", "a\r\n"));
    }

    // Runs the program silently; returns its status, with standard output and error in output.
    int Setup(std::string& output) const {
        std::string command = std::string(VELTRIX_SETUP_EXE) + " --ui headless --silent --media " +
                              (m_dir / "media") + " --prefix " + Prefix() + " 2>&1";
        FILE* pipe = popen(("timeout -k 5 60 " + command).c_str(), "r");
        if (!pipe)
            return -1;
        char buffer[4096];
        size_t got;
        output.clear();
        while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
            output.append(buffer, got);
        int status = pclose(pipe);
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    std::string Prefix() const { return m_dir / "prefix"; }
    std::string SystemReg() const { return Prefix() + "/system.reg"; }

    // A first run makes the prefix and its registry files.
    void MakePrefix() {
        std::string output;
        ASSERT_EQ(0, Setup(output)) << output;
        ASSERT_NE(std::string::npos, ReadHostFile(SystemReg()).find("\"Value\"=\"kept\""));
    }

    void ExpectLost(const std::string& before) const {
        std::string output;
        EXPECT_EQ(74, Setup(output)) << output;
        EXPECT_NE(std::string::npos,
                  output.find("end: status 74 (the registry entries were not saved)"))
            << output;
        EXPECT_NE(std::string::npos,
                  output.find("the registry entries were not saved in the prefix"))
            << output;
        EXPECT_EQ(before, ReadHostFile(SystemReg()));
    }

    TempDir m_dir;
};

// A read-only system.reg is not writable, as a read-only destination file is not: it is kept,
// mode and all, and the run says its entries were lost.
TEST_F(RegistryLostRunTest, AReadOnlySystemRegIsKeptAndTheRunFails) {
    MakePrefix();
    std::string before = ReadHostFile(SystemReg());
    ASSERT_EQ(0, chmod(SystemReg().c_str(), 0444));
    ExpectLost(before);
    struct stat info {};
    ASSERT_EQ(0, stat(SystemReg().c_str(), &info));
    EXPECT_EQ(0444u, info.st_mode & 07777);
}

// Entries skipped because system.reg is damaged are entries lost too.
TEST_F(RegistryLostRunTest, ADamagedSystemRegFailsTheRun) {
    std::string damaged = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                          "[Software] 1\n\"a\"=dword:zz\n";
    ASSERT_TRUE(WriteHostFile(SystemReg(), damaged));
    ExpectLost(damaged);
}

// A prefix directory that takes no new file (immutable, as root cannot be kept out by modes)
// cannot take the new registry file either: the run fails and the old file stays.
TEST_F(RegistryLostRunTest, APrefixDirectoryThatTakesNoNewFileFailsTheRun) {
    MakePrefix();
    std::string before = ReadHostFile(SystemReg());
    if (std::system(("chattr +i " + Prefix() + " 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "the file system here cannot make a directory immutable";
    struct Mutable {
        std::string dir;
        ~Mutable() { std::system(("chattr -i " + dir).c_str()); }
    } restore{Prefix()};
    ExpectLost(before);
}

} // namespace
