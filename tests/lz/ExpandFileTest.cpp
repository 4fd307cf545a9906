#include "LzMachine.h"

#include "engine/ExpandFile.h"
#include "resources/resource.h"

#include <windows.h>

#include <filesystem>
#include <set>
#include <vector>

namespace {

// Records the messages instead of showing them.
class CRecordingWindow : public CInstallerWindow {
  public:
    int MessageBoxId(UINT idText, LPCSTR caption, UINT type) override {
        m_messages.push_back(idText);
        EXPECT_EQ(nullptr, caption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONEXCLAMATION), type);
        return IDOK;
    }
    std::vector<UINT> m_messages;
};

std::set<std::string> Listing(const std::string& hostDirectory) {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(hostDirectory, ignored))
        names.insert(entry.path().filename().string());
    return names;
}

} // namespace

class ExpandFileTest : public LzMachineTest {
  protected:
    void SetUp() override {
        LzMachineTest::SetUp();
        ASSERT_TRUE(CreateDirectoryA(Windows("SRC").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(Windows("DST").c_str(), nullptr));
        m_original = CompressibleData(300000, 21);
        // mscompress is slow: the compressed sample is made once for all the tests.
        static std::string s_compressed;
        if (s_compressed.empty() && HaveMscompress()) {
            s_compressed = MakeCompressed("SRC/FILE.DLL", m_original, "SRC/FILE.DL_");
            s_compressed[9] = 'L';
        }
        m_compressed = s_compressed;
        if (!m_compressed.empty())
            PutFile("SRC/FILE.DL_", m_compressed);
    }
    void RequireCompressor() {
        if (m_compressed.empty())
            GTEST_SKIP() << "mscompress is not installed";
    }

    CRecordingWindow m_window;
    std::string m_original;
    std::string m_compressed;
};

TEST_F(ExpandFileTest, ExpandsACompressedFile) {
    RequireCompressor();
    EXPECT_TRUE(
        ExpandFile(m_window, Windows("SRC\\FILE.DL_").c_str(), Windows("DST\\FILE.DLL").c_str()));
    EXPECT_TRUE(m_window.m_messages.empty());
    EXPECT_TRUE(Read("DST/FILE.DLL") == m_original);
    EXPECT_EQ(std::set<std::string>{"FILE.DLL"}, Listing(HostC("DST")));
    // The source is left as it was.
    EXPECT_TRUE(Read("SRC/FILE.DL_") == m_compressed);
}

TEST_F(ExpandFileTest, CopiesAPlainFile) {
    std::string plain = RandomData(300000, 5);
    PutFile("SRC/PLAIN.BIN", plain);
    EXPECT_TRUE(
        ExpandFile(m_window, Windows("SRC\\PLAIN.BIN").c_str(), Windows("DST\\PLAIN.BIN").c_str()));
    EXPECT_TRUE(m_window.m_messages.empty());
    EXPECT_TRUE(Read("DST/PLAIN.BIN") == plain);
    EXPECT_EQ(std::set<std::string>{"PLAIN.BIN"}, Listing(HostC("DST")));
}

TEST_F(ExpandFileTest, ReplacesAnExistingFileWhole) {
    RequireCompressor();
    PutFile("DST/FILE.DLL", std::string(1000000, 'o'));
    EXPECT_TRUE(
        ExpandFile(m_window, Windows("SRC\\FILE.DL_").c_str(), Windows("dst\\file.dll").c_str()));
    EXPECT_TRUE(m_window.m_messages.empty());
    EXPECT_TRUE(Read("DST/FILE.DLL") == m_original);
    EXPECT_EQ(std::set<std::string>{"FILE.DLL"}, Listing(HostC("DST")));
}

TEST_F(ExpandFileTest, RelativeDestinationIsInTheCurrentDirectory) {
    PutFile("SRC/A.TXT", "text");
    ASSERT_TRUE(SetCurrentDirectoryA(Windows("DST").c_str()));
    EXPECT_TRUE(ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), "A.TXT"));
    EXPECT_EQ("text", Read("DST/A.TXT"));
    EXPECT_EQ(std::set<std::string>{"A.TXT"}, Listing(HostC("DST")));
}

TEST_F(ExpandFileTest, CopyingAFileOntoItselfKeepsIt) {
    // Truncating the destination first, as a plain create would, would destroy the source.
    const std::string plain = RandomData(100000, 6);
    PutFile("SRC/SELF.BIN", plain);
    EXPECT_TRUE(
        ExpandFile(m_window, Windows("SRC\\SELF.BIN").c_str(), Windows("SRC\\SELF.BIN").c_str()));
    EXPECT_TRUE(m_window.m_messages.empty());
    EXPECT_TRUE(Read("SRC/SELF.BIN") == plain);
}

TEST_F(ExpandFileTest, MissingSourceShows10012) {
    PutFile("DST/KEEP.DLL", "old");
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\NONE.DL_").c_str(), Windows("DST\\KEEP.DLL").c_str()));
    EXPECT_EQ(std::vector<UINT>{IDS_ERR_OPEN_SOURCE}, m_window.m_messages);
    EXPECT_EQ(10012u, IDS_ERR_OPEN_SOURCE);
    EXPECT_EQ("old", Read("DST/KEEP.DLL"));
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("NODIR\\NONE.DL_").c_str(), Windows("DST\\NEW.DLL").c_str()));
    EXPECT_EQ(std::set<std::string>{"KEEP.DLL"}, Listing(HostC("DST")));
}

TEST_F(ExpandFileTest, DestinationThatCannotBeWrittenShows10013) {
    PutFile("SRC/A.TXT", "new contents");
    PutFile("DST/RO.TXT", "read-only");
    ASSERT_TRUE(SetFileAttributesA(Windows("DST\\RO.TXT").c_str(), FILE_ATTRIBUTE_READONLY));
    PutFile("DST/BUSY.TXT", "in use");
    ASSERT_TRUE(CreateDirectoryA(Windows("DST\\SUBDIR").c_str(), nullptr));

    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), Windows("NODIR\\A.TXT").c_str()));
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), Windows("DST\\RO.TXT").c_str()));
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), Windows("DST\\SUBDIR").c_str()));
    HANDLE busy = CreateFileA(Windows("DST\\BUSY.TXT").c_str(), GENERIC_READ, 0, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, busy);
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), Windows("DST\\BUSY.TXT").c_str()));
    CloseHandle(busy);
    EXPECT_EQ(std::vector<UINT>(4, IDS_ERR_OPEN_DESTINATION), m_window.m_messages);
    EXPECT_EQ(10013u, IDS_ERR_OPEN_DESTINATION);

    EXPECT_EQ("read-only", Read("DST/RO.TXT"));
    EXPECT_EQ("in use", Read("DST/BUSY.TXT"));
    EXPECT_EQ((std::set<std::string>{"BUSY.TXT", "RO.TXT", "SUBDIR"}), Listing(HostC("DST")));

    // Once the file is no longer held open it is replaced.
    m_window.m_messages.clear();
    EXPECT_TRUE(
        ExpandFile(m_window, Windows("SRC\\A.TXT").c_str(), Windows("DST\\BUSY.TXT").c_str()));
    EXPECT_EQ("new contents", Read("DST/BUSY.TXT"));
}

TEST_F(ExpandFileTest, DamagedSourceLeavesTheOldFileIntact) {
    RequireCompressor();
    const std::string old = "the version that was installed before";
    PutFile("DST/FILE.DLL", old);
    PutFile("SRC/CUT.DL_", m_compressed.substr(0, m_compressed.size() / 2));
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\CUT.DL_").c_str(), Windows("DST\\FILE.DLL").c_str()));
    EXPECT_EQ(std::vector<UINT>{IDS_ERR_COPY}, m_window.m_messages);
    EXPECT_EQ(10014u, IDS_ERR_COPY);
    EXPECT_EQ(old, Read("DST/FILE.DLL"));
    EXPECT_EQ(std::set<std::string>{"FILE.DLL"}, Listing(HostC("DST")));

    // Without a file before, nothing is left behind either.
    EXPECT_FALSE(
        ExpandFile(m_window, Windows("SRC\\CUT.DL_").c_str(), Windows("DST\\OTHER.DLL").c_str()));
    EXPECT_EQ(std::set<std::string>{"FILE.DLL"}, Listing(HostC("DST")));
}

TEST_F(ExpandFileTest, FullDiskLeavesTheOldFileIntact) {
    const std::string old = "installed before";
    PutFile("DST/BIG.BIN", old);
    PutFile("SRC/BIG.BIN", RandomData(3 << 20, 8));
    {
        FileSizeLimit limit(256 * 1024); // below the size of either source
        EXPECT_FALSE(
            ExpandFile(m_window, Windows("SRC\\BIG.BIN").c_str(), Windows("DST\\BIG.BIN").c_str()));
        if (!m_compressed.empty()) {
            EXPECT_FALSE(ExpandFile(m_window, Windows("SRC\\FILE.DL_").c_str(),
                                    Windows("DST\\BIG.BIN").c_str()));
        }
    }
    EXPECT_EQ(std::vector<UINT>(m_compressed.empty() ? 1 : 2, IDS_ERR_COPY), m_window.m_messages);
    EXPECT_TRUE(Read("DST/BIG.BIN") == old);
    EXPECT_EQ(std::set<std::string>{"BIG.BIN"}, Listing(HostC("DST")));
}
