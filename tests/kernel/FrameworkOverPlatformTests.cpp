// The framework's file status query and strings, over the machine's files and code page.
#include "MachineFixture.h"

#include "framework/CFile.h"
#include "framework/CString.h"

#include <utime.h>

namespace {

using FileStatusTest = MachineTest;

TEST_F(FileStatusTest, FindsFilesAndDirectories) {
    ASSERT_TRUE(WriteHostFile(OnC("App/Data.bin"), "12345"));
    struct utimbuf times = {1000000000, 1000000000};
    ASSERT_EQ(utime(OnC("App/Data.bin").c_str(), &times), 0);

    CFileStatus status;
    ASSERT_TRUE(CFile::GetStatus("c:\\app\\data.bin", status));
    EXPECT_EQ(status.m_size, 5);
    EXPECT_EQ(status.m_attribute & CFile::directory, 0);
    EXPECT_EQ(status.m_mtime.GetTime(), 1000000000);
    EXPECT_STREQ(status.m_szFullName, "C:\\app\\data.bin");

    ASSERT_TRUE(SetCurrentDirectoryA("C:\\APP"));
    ASSERT_TRUE(CFile::GetStatus("data.bin", status));
    EXPECT_STREQ(status.m_szFullName, "C:\\APP\\data.bin");

    ASSERT_TRUE(CFile::GetStatus("C:\\APP", status));
    EXPECT_EQ(status.m_attribute & CFile::directory, CFile::directory);
    EXPECT_FALSE(CFile::GetStatus("C:\\APP\\missing.bin", status));
    EXPECT_FALSE(CFile::GetStatus("Q:\\X", status));
    std::string overlong = "C:\\" + std::string(300, 'x');
    EXPECT_FALSE(CFile::GetStatus(overlong.c_str(), status));
}

using CStringTest = MachineTest;
using CString932Test = JapaneseMachineTest;

TEST_F(CString932Test, SearchesTreatDoubleByteCharactersWhole) {
    CString path("C:\\\x95\x5C");
    EXPECT_EQ(path.ReverseFind('\\'), 2);
    EXPECT_EQ(path.Find('\\'), 2);
    CString only("\x95\x5C");
    EXPECT_EQ(only.ReverseFind('\\'), -1);
    EXPECT_EQ(only.Find('\\'), -1);
    CString twice("\x95\x5C\\\x95\x5C");
    EXPECT_EQ(twice.ReverseFind('\\'), 2);
    EXPECT_EQ(only.Find("\\"), -1);
    EXPECT_EQ(twice.Find("\\\x95"), 2);
}

TEST_F(CString932Test, MakeUpperLeavesTrailBytesAlone) {
    // 0x83 0x61 is a katakana whose second byte is the code of 'a'.
    CString text("ab\x83\x61"
                 "cd");
    text.MakeUpper();
    EXPECT_EQ(text, CString("AB\x83\x61"
                            "CD"));
    CString lower("XY\x83\x41");
    lower.MakeLower();
    EXPECT_EQ(lower, CString("xy\x83\x41"));
    EXPECT_EQ(CString("winkelp.dll\x83\x61").CompareNoCase("WINKELP.DLL\x83\x61"), 0);
    EXPECT_NE(CString("\x83\x61").CompareNoCase("\x83\x41"), 0);
}

TEST_F(CStringTest, FormatsAsPrintfDoes) {
    CString text;
    text.Format("%s\\TEMP%d", "C:\\WINDOWS", 12);
    EXPECT_EQ(text, CString("C:\\WINDOWS\\TEMP12"));
    text.Format("%-4s|%04X|%c", "ab", 0xBEEF, 'z');
    EXPECT_EQ(text, CString("ab  |BEEF|z"));
    std::string big(5000, 'q');
    text.Format("[%s]", big.c_str());
    EXPECT_EQ(text.GetLength(), 5002);
}

TEST_F(CStringTest, UnderCode1252EveryByteIsACharacter) {
    CString path("C:\\\x95\x5C");
    EXPECT_EQ(path.ReverseFind('\\'), 4); // 0x5C after 0x95 is a backslash here
    CString text("caf\xE9");
    text.MakeUpper();
    EXPECT_EQ(text, CString("CAF\xE9")); // only ASCII letters change
}

} // namespace
