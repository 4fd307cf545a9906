// The run's temporary directory under the Windows directory of a real prefix.
#include "RestartMachine.h"

#include "engine/TemporaryDirectory.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace {

class TemporaryDirectoryTest : public RestartMachine {
  protected:
    void SetUp() override {
        RestartMachine::SetUp();
        Start();
        char buffer[MAX_PATH];
        UINT length = GetWindowsDirectoryA(buffer, sizeof buffer);
        ASSERT_GT(length, 0u);
        m_windows.assign(buffer, length);
    }

    std::string Host(const std::string& windowsPath) const {
        std::string host = host::HostPathOf(windowsPath);
        EXPECT_FALSE(host.empty()) << windowsPath;
        return host;
    }
    std::string Candidate(int n) const { return m_windows + "\\TEMP" + std::to_string(n); }

    std::string m_windows;
};

TEST_F(TemporaryDirectoryTest, FirstCandidateIsTemp0) {
    CString path;
    EXPECT_TRUE(CreateTemporaryDirectory(m_windows.c_str(), path));
    EXPECT_EQ(Candidate(0), std::string(path));
    EXPECT_TRUE(fs::is_directory(Host(Candidate(0))));

    RemoveTemporaryDirectory(path);
    EXPECT_FALSE(fs::exists(Host(Candidate(0))));
}

TEST_F(TemporaryDirectoryTest, ExistingDirectoryIsNeverReused) {
    ASSERT_TRUE(CreateDirectoryA(Candidate(0).c_str(), nullptr));
    ASSERT_TRUE(WriteHostFile(Host(Candidate(0)) + "/keep.txt", "someone's"));
    CString path;
    EXPECT_TRUE(CreateTemporaryDirectory(m_windows.c_str(), path));
    EXPECT_EQ(Candidate(1), std::string(path));
    EXPECT_TRUE(fs::is_directory(Host(Candidate(1))));
    EXPECT_TRUE(HostFileExists(Host(Candidate(0)) + "/keep.txt"));
}

TEST_F(TemporaryDirectoryTest, PlainFileOfTheNameIsPassedOver) {
    ASSERT_TRUE(WriteHostFile(Host(m_windows) + "/TEMP0", "a file"));
    CString path;
    EXPECT_TRUE(CreateTemporaryDirectory(m_windows.c_str(), path));
    EXPECT_EQ(Candidate(1), std::string(path));
    EXPECT_TRUE(fs::is_regular_file(Host(Candidate(0))));
    EXPECT_EQ("a file", ReadHostFile(Host(Candidate(0))));
}

TEST_F(TemporaryDirectoryTest, NoFreeCandidateLeavesThePathEmpty) {
    for (int n = 0; n < 99; ++n)
        ASSERT_TRUE(WriteHostFile(Host(m_windows) + "/TEMP" + std::to_string(n), "x"));
    // The last name is an empty directory of someone else's.
    ASSERT_TRUE(CreateDirectoryA(Candidate(99).c_str(), nullptr));
    CString path("unchanged?");
    EXPECT_FALSE(CreateTemporaryDirectory(m_windows.c_str(), path));
    EXPECT_TRUE(path.IsEmpty());
    EXPECT_FALSE(fs::exists(Host(Candidate(100))));
    RemoveTemporaryDirectory(path);
    EXPECT_TRUE(fs::is_directory(Host(Candidate(99))));
}

TEST_F(TemporaryDirectoryTest, OnlyAnEmptyDirectoryIsRemoved) {
    CString path;
    ASSERT_TRUE(CreateTemporaryDirectory(m_windows.c_str(), path));
    ASSERT_TRUE(WriteHostFile(Host(std::string(path)) + "/left.tmp", "x"));
    RemoveTemporaryDirectory(path);
    EXPECT_TRUE(fs::is_directory(Host(std::string(path))));
}

TEST_F(TemporaryDirectoryTest, BaseTooLongForTheNameBuffer) {
    std::string base = "C:\\" + std::string(600, 'L');
    CString path;
    EXPECT_FALSE(CreateTemporaryDirectory(base.c_str(), path));
    EXPECT_TRUE(path.IsEmpty());
    // The longest base that still fits gets its name whole, or no directory.
    std::string longest = "C:\\" + std::string(512 - 8 - 3, 'L');
    EXPECT_FALSE(CreateTemporaryDirectory(longest.c_str(), path));
    EXPECT_TRUE(path.IsEmpty());
}

TEST_F(TemporaryDirectoryTest, BaseOnAMissingDirectoryGivesNone) {
    CString path;
    EXPECT_FALSE(CreateTemporaryDirectory((m_windows + "\\NO\\SUCH").c_str(), path));
    EXPECT_TRUE(path.IsEmpty());
}

} // namespace
