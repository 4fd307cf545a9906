#include "MachineFixture.h"

#include "script/FileEntry.h"
#include "script/TargetFilter.h"

#include <string>

// Entries expand path macros through the machine's directories, so each test runs on one.
class FileEntryTest : public MachineTest {
  protected:
    void SetUp() override { StartMachine(); }

    CString SystemDir() {
        char buffer[MAX_PATH];
        GetSystemDirectoryA(buffer, MAX_PATH);
        return buffer;
    }
};

TEST_F(FileEntryTest, PlainLine) {
    CFileEntry entry("1:SAMPLE.EXE", "");
    EXPECT_TRUE(entry.m_bValid);
    EXPECT_EQ(1, entry.m_nDisk);
    EXPECT_STREQ("SAMPLE.EXE", entry.m_strSrcPath);
    EXPECT_STREQ("SAMPLE.EXE", entry.m_strSrcName);
    EXPECT_EQ(OS_ALL, entry.m_dwTargetOS);
    EXPECT_EQ(PC_ALL, entry.m_dwTargetPC);
    EXPECT_STREQ("", entry.m_strDstName);
    EXPECT_STREQ("", entry.m_strDstDir);
    EXPECT_EQ(0, entry.m_nReserved);
    EXPECT_EQ(0u, entry.m_nOverwriteMode);
    EXPECT_EQ(0u, entry.m_bUpdateOnly);
    EXPECT_FALSE(entry.m_bDriverDll);
}

TEST_F(FileEntryTest, SubdirectoriesAndFields) {
    CFileEntry entry(" 2 : BIN\\SAMPLE.EX_ ", "SAMPLE.EXE, BIN ,7,3");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_EQ(2, entry.m_nDisk);
    EXPECT_STREQ("BIN\\SAMPLE.EX_", entry.m_strSrcPath);
    EXPECT_STREQ("SAMPLE.EX_", entry.m_strSrcName);
    EXPECT_STREQ("SAMPLE.EXE", entry.m_strDstName);
    EXPECT_STREQ("BIN\\", entry.m_strDstDir);
    EXPECT_EQ(7, entry.m_nReserved);
    EXPECT_EQ(3u, entry.m_nOverwriteMode);
}

TEST_F(FileEntryTest, OsFilterAndSystemDirectory) {
    CFileEntry entry("2:DRIVERS\\SAMPLE.SY_,WINNT40", "SAMPLE.SYS,<SYS>\\DRIVERS,0,6");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_EQ(OS_WINNT40, entry.m_dwTargetOS);
    EXPECT_EQ(PC_ALL, entry.m_dwTargetPC);
    EXPECT_STREQ(SystemDir() + "\\DRIVERS\\", entry.m_strDstDir);
    EXPECT_EQ(6u, entry.m_nOverwriteMode);
}

TEST_F(FileEntryTest, OsAndPcFilterWithUpdateOnly) {
    CFileEntry entry("1:SAMPLE.DLL,WIN95,PC98", ",<SYS>,0,10003");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_EQ(OS_WIN95, entry.m_dwTargetOS);
    EXPECT_EQ(PC_PC98, entry.m_dwTargetPC);
    EXPECT_STREQ("", entry.m_strDstName);
    EXPECT_STREQ(SystemDir() + "\\", entry.m_strDstDir);
    EXPECT_EQ(3u, entry.m_nOverwriteMode);
    EXPECT_EQ(1u, entry.m_bUpdateOnly);
}

TEST_F(FileEntryTest, EmptyOsFieldWithPcField) {
    CFileEntry entry("1:SAMPLE.TXT,,PCAT", "README.TXT");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_EQ(OS_ALL, entry.m_dwTargetOS);
    EXPECT_EQ(PC_PCAT, entry.m_dwTargetPC);
    EXPECT_STREQ("README.TXT", entry.m_strDstName);
}

TEST_F(FileEntryTest, MalformedKeys) {
    EXPECT_FALSE(CFileEntry("SAMPLE.EXE", "").m_bValid);
    EXPECT_FALSE(CFileEntry("1:", "").m_bValid);
    EXPECT_FALSE(CFileEntry("1:   ", "").m_bValid);
    EXPECT_FALSE(CFileEntry(":SAMPLE.EXE", "").m_bValid);
    EXPECT_FALSE(CFileEntry("", "").m_bValid);
    EXPECT_FALSE(CFileEntry("1:BIN\\", "").m_bValid);
    EXPECT_FALSE(CFileEntry("1:A.TXT,WIN98", "").m_bValid);
    EXPECT_FALSE(CFileEntry("1:A.TXT,WIN95,PC-98", "").m_bValid);
}

TEST_F(FileEntryTest, OddButValidKeys) {
    CFileEntry nonNumericDisk("X:A.TXT", "");
    EXPECT_TRUE(nonNumericDisk.m_bValid);
    EXPECT_EQ(0, nonNumericDisk.m_nDisk);

    CFileEntry secondColon("3:A.TXT:IGNORED,WIN98", "");
    EXPECT_TRUE(secondColon.m_bValid);
    EXPECT_STREQ("A.TXT", secondColon.m_strSrcPath);

    CFileEntry leadingColons("::4::B.TXT", "");
    EXPECT_TRUE(leadingColons.m_bValid);
    EXPECT_EQ(4, leadingColons.m_nDisk);
    EXPECT_STREQ("B.TXT", leadingColons.m_strSrcPath);
}

TEST_F(FileEntryTest, FlagsField) {
    EXPECT_EQ(3u, CFileEntry("1:A", ",,0,0x3").m_nOverwriteMode);
    CFileEntry bit17("1:A", ",,0,20003");
    EXPECT_EQ(3u, bit17.m_nOverwriteMode);
    EXPECT_EQ(0u, bit17.m_bUpdateOnly);
    CFileEntry big("1:A", ",,0,FFFFFFFF");
    EXPECT_EQ(0xFFFFu, big.m_nOverwriteMode);
    EXPECT_EQ(1u, big.m_bUpdateOnly);
}

TEST_F(FileEntryTest, AMalformedValueNeverInvalidates) {
    CFileEntry entry("1:A", "N,D,abc,zz,extra,fields");
    EXPECT_TRUE(entry.m_bValid);
    EXPECT_EQ(0, entry.m_nReserved);
    EXPECT_EQ(0u, entry.m_nOverwriteMode);
    EXPECT_STREQ("D\\", entry.m_strDstDir);
}

TEST_F(FileEntryTest, DriverDllMark) {
    EXPECT_TRUE(CFileEntry("1:W.DL_", "winkelp.dll").m_bDriverDll);
    EXPECT_TRUE(CFileEntry("1:W.DL_,WIN95", "WinKelp.Dll,<SYS>").m_bDriverDll);
    EXPECT_TRUE(CFileEntry("1:W.DL_,COMMON", "WINKELP.DLL").m_bDriverDll);
    EXPECT_FALSE(CFileEntry("1:W.DL_,WINNT40", "WINKELP.DLL").m_bDriverDll);
    EXPECT_FALSE(CFileEntry("1:WINKELP.DLL", "").m_bDriverDll);
    EXPECT_FALSE(CFileEntry("1:W.DL_", "WINKELP.DLL2").m_bDriverDll);
}

TEST_F(FileEntryTest, LongKeysAreRefusedNotOverrun) {
    std::string source(509, 'S');
    EXPECT_TRUE(CFileEntry(("1:" + source).c_str(), "").m_bValid); // 511 characters
    source += 'S';
    EXPECT_FALSE(CFileEntry(("1:" + source).c_str(), "").m_bValid); // 512 characters
    std::string huge = "1:" + std::string(100000, 'S');
    EXPECT_FALSE(CFileEntry(huge.c_str(), "").m_bValid);
}

TEST_F(FileEntryTest, LongValuesAreCutNotOverrun) {
    std::string value = "N," + std::string(5000, 'D');
    CFileEntry entry("1:A", value.c_str());
    EXPECT_TRUE(entry.m_bValid);
    EXPECT_STREQ("N", entry.m_strDstName);
    EXPECT_EQ(1022, entry.m_strDstDir.GetLength()); // 1,021 bytes of the field and a backslash
}

class FileEntryJapanese : public MachineTest {};

TEST_F(FileEntryJapanese, ASourceEndingInATrailByteIsANameInCodePage932) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    CFileEntry entry("1:DIR\\\x95\x5C", "");
    ASSERT_TRUE(entry.m_bValid);
    EXPECT_STREQ("\x95\x5C", entry.m_strSrcName);
}

TEST_F(FileEntryJapanese, TheSameSourceEndsInABackslashInCodePage1252) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "ENU");
    EXPECT_FALSE(CFileEntry("1:DIR\\\x95\x5C", "").m_bValid);
}
