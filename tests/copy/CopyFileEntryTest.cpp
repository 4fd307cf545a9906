// Installing single file entries on a real emulated machine: paths, the missing disk, every
// overwrite rule with real dates, real version resources and real compressed files.
#include "engine/CopyFileEntry.h"

#include "TempDir.h"
#include "TestMedia.h"
#include "TestSystem.h"
#include "host/Machine.h"
#include "resources/resource.h"
#include "script/FileEntry.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The Windows path of C:\<relative> (on a real system, of the drive that stands for it).
std::string OnC(const std::string& relative) {
    return TestDriveC() + relative;
}

class RecordingContext : public CCopyContext {
  public:
    CString m_source = "D:\\";
    CString m_destination = OnC("APP\\").c_str();
    CString m_temp = OnC("WINDOWS\\TEMP0\\").c_str();
    int m_answer = IDYES;

    std::vector<UINT> m_messages;
    std::vector<std::string> m_asked; // existing|new
    int m_steps = 0;
    int m_stops = 0;
    int m_disk = -1;
    std::string m_diskDir;
    int m_aborts = 0;
    std::string m_shownSource;
    std::string m_shownDestination;
    std::string m_shownFile;

    int MessageBoxId(UINT idText, LPCSTR, UINT) override {
        m_messages.push_back(idText);
        return IDOK;
    }
    CString GetSourceDir() const override { return m_source; }
    CString GetDestinationDir() const override { return m_destination; }
    CString GetTempDir() const override { return m_temp; }
    void ShowCopyingFile(LPCSTR srcPath) override { m_shownFile = srcPath; }
    void ShowSourcePath(LPCSTR path) override { m_shownSource = path; }
    void ShowDestinationPath(LPCSTR path) override { m_shownDestination = path; }
    int AskOverwrite(LPCSTR existingPath, LPCSTR newPath) override {
        m_asked.push_back(std::string(existingPath) + "|" + newPath);
        return m_answer;
    }
    void StepProgress() override { ++m_steps; }
    void StopInstalling() override { ++m_stops; }
    void AskForDisk(int disk, LPCSTR proposedDir) override {
        m_disk = disk;
        m_diskDir = proposedDir;
    }
    void ShowAbortPage() override { ++m_aborts; }
};

class CopyFileEntryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        host::MachineOptions options;
        options.prefix = m_dir / "prefix";
        options.mediaDir = m_dir / "media";
        options.language = "ENU";
        WriteHostFile(options.mediaDir + "/.keep", "");
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
        ASSERT_TRUE(CreateDirectoryA(OnC("APP").c_str(), nullptr));
        ASSERT_TRUE(CreateDirectoryA(OnC("WINDOWS\\TEMP0").c_str(), nullptr));
    }
    void TearDown() override { host::StopMachine(); }

    std::string medium(const std::string& name) const { return m_dir / ("media/" + name); }
    std::string drive(const std::string& name) const { return m_dir / ("prefix/drive_c/" + name); }

    int install(LPCSTR key, LPCSTR value, BOOL progressBar = TRUE) {
        CFileEntry entry(key, value);
        EXPECT_TRUE(entry.m_bValid);
        return CopyFileEntry(m_context, entry, progressBar);
    }

    TempDir m_dir;
    RecordingContext m_context;
};

TEST_F(CopyFileEntryTest, CopiesAPlainFileUnderItsOwnName) {
    WriteHostFile(medium("README.TXT"), "plain text");
    EXPECT_EQ(1, install("1:README.TXT", ""));
    EXPECT_EQ("plain text", ReadHostFile(drive("APP/README.TXT")));
    EXPECT_EQ("README.TXT", m_context.m_shownFile);
    EXPECT_EQ("D:\\README.TXT", m_context.m_shownSource);
    EXPECT_EQ(OnC("APP\\README.TXT"), m_context.m_shownDestination);
    EXPECT_EQ(1, m_context.m_steps);
    EXPECT_TRUE(m_context.m_messages.empty());
}

TEST_F(CopyFileEntryTest, ExpandsACompressedFileUnderItsStoredName) {
    std::string original(5000, 'x');
    WriteHostFile(m_dir / "FILE.DLL", original);
    ASSERT_TRUE(MakeCompressedFile(m_dir / "FILE.DLL", medium("SUB/FILE.DL_")));
    EXPECT_EQ(1, install("1:SUB\\FILE.DL_", ""));
    EXPECT_EQ(original, ReadHostFile(drive("APP/FILE.DLL")));
    EXPECT_EQ(OnC("APP\\FILE.DLL"), m_context.m_shownDestination);
}

TEST_F(CopyFileEntryTest, GivenNameAndDirectoriesDecideTheDestination) {
    WriteHostFile(medium("A.TXT"), "a");
    EXPECT_EQ(1, install("1:A.TXT", "B.TXT,BIN\\"));
    EXPECT_EQ("a", ReadHostFile(drive("APP/BIN/B.TXT")));

    EXPECT_EQ(1, install("1:A.TXT", ("," + OnC("TOOLS\\")).c_str()));
    EXPECT_EQ("a", ReadHostFile(drive("TOOLS/A.TXT")));
}

TEST_F(CopyFileEntryTest, MissingSourceAsksForItsDiskWithoutAMessage) {
    EXPECT_EQ(0, install("3:GONE.TXT", ""));
    EXPECT_EQ(3, m_context.m_disk);
    EXPECT_EQ("D:\\", m_context.m_diskDir);
    EXPECT_EQ(1, m_context.m_stops);
    EXPECT_EQ(0, m_context.m_steps);
    EXPECT_TRUE(m_context.m_messages.empty());
}

TEST_F(CopyFileEntryTest, UpdateOnlyPassesOverAMissingDestination) {
    WriteHostFile(medium("U.TXT"), "new");
    EXPECT_EQ(1, install("1:U.TXT", ",,0,10003"));
    EXPECT_FALSE(HostFileExists(drive("APP/U.TXT")));
    EXPECT_EQ(1, m_context.m_steps);

    WriteHostFile(drive("APP/U.TXT"), "old");
    EXPECT_EQ(1, install("1:U.TXT", ",,0,10003"));
    EXPECT_EQ("new", ReadHostFile(drive("APP/U.TXT")));
}

TEST_F(CopyFileEntryTest, ModesThreeAndFourReplaceOrKeepWithoutAsking) {
    WriteHostFile(medium("M.TXT"), "new");
    WriteHostFile(drive("APP/M.TXT"), "old");
    EXPECT_EQ(1, install("1:M.TXT", ",,0,4"));
    EXPECT_EQ("old", ReadHostFile(drive("APP/M.TXT")));
    EXPECT_EQ(1, install("1:M.TXT", ",,0,3"));
    EXPECT_EQ("new", ReadHostFile(drive("APP/M.TXT")));
    EXPECT_TRUE(m_context.m_asked.empty());
    EXPECT_EQ(2, m_context.m_steps);
}

TEST_F(CopyFileEntryTest, ModeZeroAlwaysAsksAndActsOnTheAnswer) {
    WriteHostFile(medium("Q.TXT"), "new");
    WriteHostFile(drive("APP/Q.TXT"), "old");

    m_context.m_answer = IDNO;
    EXPECT_EQ(1, install("1:Q.TXT", ""));
    EXPECT_EQ("old", ReadHostFile(drive("APP/Q.TXT")));
    ASSERT_EQ(1u, m_context.m_asked.size());
    EXPECT_EQ(OnC("APP\\Q.TXT") + "|D:\\Q.TXT", m_context.m_asked[0]);

    m_context.m_answer = IDCANCEL;
    EXPECT_EQ(0, install("1:Q.TXT", ""));
    EXPECT_EQ("old", ReadHostFile(drive("APP/Q.TXT")));
    EXPECT_EQ(1, m_context.m_aborts);
    EXPECT_EQ(1, m_context.m_stops);

    m_context.m_answer = IDYES;
    EXPECT_EQ(1, install("1:Q.TXT", ",,0,99"));
    EXPECT_EQ("new", ReadHostFile(drive("APP/Q.TXT")));
    EXPECT_EQ(3u, m_context.m_asked.size());
}

TEST_F(CopyFileEntryTest, DateRulesCompareModificationTimes) {
    WriteHostFile(medium("D.TXT"), "new");
    WriteHostFile(drive("APP/D.TXT"), "old");
    SetHostFileTime(medium("D.TXT"), 900000000);
    SetHostFileTime(drive("APP/D.TXT"), 800000000);

    // A newer source replaces without a question in mode 1 and mode 5.
    EXPECT_EQ(1, install("1:D.TXT", ",,0,1"));
    EXPECT_EQ("new", ReadHostFile(drive("APP/D.TXT")));
    EXPECT_TRUE(m_context.m_asked.empty());

    // An older source: mode 5 keeps the file, mode 1 asks.
    WriteHostFile(drive("APP/D.TXT"), "old");
    SetHostFileTime(drive("APP/D.TXT"), 950000000);
    EXPECT_EQ(1, install("1:D.TXT", ",,0,5"));
    EXPECT_EQ("old", ReadHostFile(drive("APP/D.TXT")));
    EXPECT_TRUE(m_context.m_asked.empty());
    m_context.m_answer = IDNO;
    EXPECT_EQ(1, install("1:D.TXT", ",,0,1"));
    EXPECT_EQ(1u, m_context.m_asked.size());

    // Equal times count as not newer.
    SetHostFileTime(drive("APP/D.TXT"), 900000000);
    EXPECT_EQ(1, install("1:D.TXT", ",,0,5"));
    EXPECT_EQ("old", ReadHostFile(drive("APP/D.TXT")));
}

TEST_F(CopyFileEntryTest, EmptyDestinationIsReplacedWithoutAQuestion) {
    WriteHostFile(medium("E.TXT"), "new");
    for (const char* flags : {",,0,1", ",,0,2", ",,0,5", ",,0,6"}) {
        WriteHostFile(drive("APP/E.TXT"), "");
        SetHostFileTime(drive("APP/E.TXT"), 1900000000);
        EXPECT_EQ(1, install("1:E.TXT", flags)) << flags;
        EXPECT_EQ("new", ReadHostFile(drive("APP/E.TXT"))) << flags;
    }
    EXPECT_TRUE(m_context.m_asked.empty());
}

TEST_F(CopyFileEntryTest, VersionRulesCompareVersionResources) {
    ASSERT_TRUE(MakeVersionDll(medium("V.DLL"), 4, 0, 1381, 1));
    ASSERT_TRUE(MakeVersionDll(drive("APP/V.DLL"), 4, 0, 950, 0));
    std::string older = ReadHostFile(drive("APP/V.DLL"));
    std::string newer = ReadHostFile(medium("V.DLL"));

    // Mode 2 with a higher source version: replaced without a question.
    EXPECT_EQ(1, install("1:V.DLL", ",,0,2"));
    EXPECT_EQ(newer, ReadHostFile(drive("APP/V.DLL")));
    EXPECT_TRUE(m_context.m_asked.empty());

    // Mode 6 with an equal version keeps the file; mode 2 asks.
    EXPECT_EQ(1, install("1:V.DLL", ",,0,6"));
    EXPECT_TRUE(m_context.m_asked.empty());
    m_context.m_answer = IDNO;
    EXPECT_EQ(1, install("1:V.DLL", ",,0,2"));
    EXPECT_EQ(1u, m_context.m_asked.size());

    // A lower source version is kept out by mode 6.
    WriteHostFile(medium("V.DLL"), older);
    ASSERT_TRUE(MakeVersionDll(drive("APP/V.DLL"), 5, 0, 0, 0));
    std::string five = ReadHostFile(drive("APP/V.DLL"));
    EXPECT_EQ(1, install("1:V.DLL", ",,0,6"));
    EXPECT_EQ(five, ReadHostFile(drive("APP/V.DLL")));
}

TEST_F(CopyFileEntryTest, CompressedSourceIsExpandedOnceForItsVersion) {
    ASSERT_TRUE(MakeVersionDll(m_dir / "LIB.DLL", 2, 0, 0, 0));
    ASSERT_TRUE(MakeCompressedFile(m_dir / "LIB.DLL", medium("LIB.DL_")));
    ASSERT_TRUE(MakeVersionDll(drive("APP/LIB.DLL"), 1, 0, 0, 0));

    EXPECT_EQ(1, install("1:LIB.DL_", ",,0,6"));
    EXPECT_EQ(ReadHostFile(m_dir / "LIB.DLL"), ReadHostFile(drive("APP/LIB.DLL")));
    // The temporary expanded copy is gone.
    EXPECT_FALSE(HostFileExists(drive("windows/TEMP0/LIB.DLL")));
    EXPECT_TRUE(m_context.m_messages.empty());
}

TEST_F(CopyFileEntryTest, CompressedSourceWithAGivenNameIsExpandedForItsVersion) {
    // A lower version in a newer compressed file: the version, not the date, keeps the file.
    ASSERT_TRUE(MakeVersionDll(m_dir / "LIB.DLL", 1, 0, 0, 0));
    ASSERT_TRUE(MakeCompressedFile(m_dir / "LIB.DLL", medium("LIB.DL_")));
    ASSERT_TRUE(MakeVersionDll(drive("APP/LIB.DLL"), 5, 0, 0, 0));
    std::string existing = ReadHostFile(drive("APP/LIB.DLL"));
    SetHostFileTime(medium("LIB.DL_"), 1300000000);
    SetHostFileTime(drive("APP/LIB.DLL"), 950000000);

    EXPECT_EQ(1, install("1:LIB.DL_", "LIB.DLL,,0,6"));
    EXPECT_EQ(existing, ReadHostFile(drive("APP/LIB.DLL")));
    EXPECT_FALSE(HostFileExists(drive("windows/TEMP0/LIB.DLL")));
    EXPECT_TRUE(m_context.m_messages.empty());
}

TEST_F(CopyFileEntryTest, CopyErrorEndsTheInstallationOnce) {
    WriteHostFile(medium("R.TXT"), "new");
    WriteHostFile(drive("APP/R.TXT"), "old");
    ASSERT_TRUE(SetFileAttributesA(OnC("APP\\R.TXT").c_str(), FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(0, install("1:R.TXT", ",,0,3"));
    EXPECT_EQ("old", ReadHostFile(drive("APP/R.TXT")));
    ASSERT_EQ(2u, m_context.m_messages.size());
    EXPECT_EQ(static_cast<UINT>(IDS_ERR_OPEN_DESTINATION), m_context.m_messages[0]);
    EXPECT_EQ(static_cast<UINT>(IDS_ERR_COPY_ABORT), m_context.m_messages[1]);
    EXPECT_EQ(1, m_context.m_aborts);
    EXPECT_EQ(1, m_context.m_stops);
    EXPECT_EQ(0, m_context.m_steps);
}

TEST_F(CopyFileEntryTest, DamagedCompressedSourceLeavesTheOldFile) {
    std::string original(20000, 'y');
    WriteHostFile(m_dir / "BAD.TXT", original);
    ASSERT_TRUE(MakeCompressedFile(m_dir / "BAD.TXT", m_dir / "BAD.TX_"));
    std::string compressed = ReadHostFile(m_dir / "BAD.TX_");
    WriteHostFile(medium("BAD.TX_"), compressed.substr(0, compressed.size() / 3));
    WriteHostFile(drive("APP/BAD.TXT"), "old");

    EXPECT_EQ(0, install("1:BAD.TX_", "BAD.TXT,,0,3"));
    EXPECT_EQ("old", ReadHostFile(drive("APP/BAD.TXT")));
    ASSERT_FALSE(m_context.m_messages.empty());
    EXPECT_EQ(static_cast<UINT>(IDS_ERR_COPY_ABORT), m_context.m_messages.back());
}

TEST_F(CopyFileEntryTest, PathsBeyondTheBuffersAreRefused) {
    std::string longName(300, 'N');
    m_context.m_destination = OnC(std::string(300, 'L') + "\\").c_str();
    WriteHostFile(medium("S.TXT"), "s");
    EXPECT_EQ(0, install("1:S.TXT", (longName + ".TXT").c_str()));
    ASSERT_EQ(2u, m_context.m_messages.size());
    EXPECT_EQ(static_cast<UINT>(IDS_ERR_COPY), m_context.m_messages[0]);
    EXPECT_EQ(1, m_context.m_aborts);
}

TEST_F(CopyFileEntryTest, NoProgressStepWithoutABar) {
    WriteHostFile(medium("P.TXT"), "p");
    EXPECT_EQ(1, install("1:P.TXT", "", FALSE));
    EXPECT_EQ(0, m_context.m_steps);
}

} // namespace
