#include "MachineFixture.h"
#include "TestSystem.h"

#include "engine/PathHelpers.h"

namespace {

// A directory name ending in a double-byte character whose second byte is 0x5C.
const char kDirEndingInTrailBackslash[] = "C:\\DATA\x95\x5C";

CString WithBackslash(LPCSTR path, BOOL present) {
    CString copy(path);
    SetTrailingBackslash(copy, present);
    return copy;
}

} // namespace

TEST(HasDriveLetter, LetterAndColon) {
    EXPECT_TRUE(HasDriveLetter("c:\\x"));
    EXPECT_TRUE(HasDriveLetter("Z:"));
    EXPECT_FALSE(HasDriveLetter("1:\\x"));
    EXPECT_FALSE(HasDriveLetter("\\\\server\\share"));
    EXPECT_FALSE(HasDriveLetter("C"));
    EXPECT_FALSE(HasDriveLetter(""));
    EXPECT_FALSE(HasDriveLetter("DIR\\C:"));
    EXPECT_FALSE(HasDriveLetter(nullptr));
}

TEST(SetTrailingBackslash, Present) {
    EXPECT_STREQ("C:", WithBackslash("C:", TRUE));
    EXPECT_STREQ("C:\\A\\", WithBackslash("C:\\A", TRUE));
    EXPECT_STREQ("C:\\A\\", WithBackslash("C:\\A\\", TRUE));
    EXPECT_STREQ("", WithBackslash("", TRUE));
    EXPECT_STREQ("A\\", WithBackslash("A", TRUE));
}

TEST(SetTrailingBackslash, Absent) {
    EXPECT_STREQ("C:\\", WithBackslash("C:\\", FALSE));
    EXPECT_STREQ("C:\\A", WithBackslash("C:\\A\\", FALSE));
    EXPECT_STREQ("", WithBackslash("\\", FALSE));
    EXPECT_STREQ("C:\\A\\", WithBackslash("C:\\A\\\\", FALSE));
    EXPECT_STREQ("C:\\A", WithBackslash("C:\\A", FALSE));
    EXPECT_STREQ("", WithBackslash("", FALSE));
}

TEST(CopyWithTrailingBackslash, LeavesTheArgumentAlone) {
    CString original("C:\\A");
    CString copy = CopyWithTrailingBackslash(original, TRUE);
    EXPECT_STREQ("C:\\A\\", copy);
    EXPECT_STREQ("C:\\A", original);
    EXPECT_STREQ("C:\\A", CopyWithTrailingBackslash("C:\\A\\", FALSE));
}

TEST(EndsWithChar, LastCharacter) {
    EXPECT_TRUE(EndsWithChar("ABC", 'C'));
    EXPECT_FALSE(EndsWithChar("ABC", 'B'));
    EXPECT_FALSE(EndsWithChar("", 'C'));
    EXPECT_TRUE(EndsWithChar("C:\\", '\\'));
}

class PathHelpersOnMachine : public MachineTest {};

TEST_F(PathHelpersOnMachine, ATrailByteIsNoBackslashInCodePage932) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    ASSERT_EQ(932u, GetACP());
    EXPECT_FALSE(EndsWithChar(kDirEndingInTrailBackslash, '\\'));
    EXPECT_STREQ(CString(kDirEndingInTrailBackslash) + "\\",
                 WithBackslash(kDirEndingInTrailBackslash, TRUE));
    EXPECT_STREQ(kDirEndingInTrailBackslash, WithBackslash(kDirEndingInTrailBackslash, FALSE));
    EXPECT_STREQ(kDirEndingInTrailBackslash,
                 WithBackslash(CString(kDirEndingInTrailBackslash) + "\\", FALSE));
    // A lone lead byte at the end is one character of its own.
    EXPECT_TRUE(EndsWithChar("A\\", '\\'));
    EXPECT_FALSE(EndsWithChar("A\\\x95", '\\'));
}

TEST_F(PathHelpersOnMachine, InCodePage1252TheSameByteIsABackslash) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "ENU");
    EXPECT_TRUE(EndsWithChar(kDirEndingInTrailBackslash, '\\'));
    EXPECT_STREQ("C:\\DATA\x95", WithBackslash(kDirEndingInTrailBackslash, FALSE));
}

TEST_F(PathHelpersOnMachine, IsValidDirectoryPathWithoutSystemCalls) {
    StartMachine();
    EXPECT_TRUE(IsValidDirectoryPath(""));
    EXPECT_TRUE(IsValidDirectoryPath("\\"));
}

TEST_F(PathHelpersOnMachine, IsValidDirectoryPathDrives) {
    StartMachine();
    ASSERT_EQ(static_cast<UINT>(DRIVE_NO_ROOT_DIR), GetDriveTypeA("Q:\\"));
    EXPECT_FALSE(IsValidDirectoryPath("Q:\\ANY"));
    EXPECT_FALSE(IsValidDirectoryPath("Q:"));
    EXPECT_FALSE(IsValidDirectoryPath("Q:\\"));
    EXPECT_TRUE(IsValidDirectoryPath("C:"));
    EXPECT_TRUE(IsValidDirectoryPath("C:\\"));
    EXPECT_TRUE(IsValidDirectoryPath("d:\\"));
}

TEST_F(PathHelpersOnMachine, IsValidDirectoryPathLooksTheNameUp) {
    StartMachine();
    char windowsDir[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windowsDir, MAX_PATH), 0u);
    EXPECT_TRUE(IsValidDirectoryPath(windowsDir));
    EXPECT_TRUE(IsValidDirectoryPath(CString(windowsDir) + "\\"));
    EXPECT_FALSE(IsValidDirectoryPath(CString(windowsDir) + "\\NO_SUCH_DIR"));

    WriteMediaFile("FILE.TXT", "text");
    EXPECT_FALSE(IsValidDirectoryPath("D:\\FILE.TXT"));
    EXPECT_FALSE(IsValidDirectoryPath("D:\\FILE.TXT\\"));
    ASSERT_TRUE(WriteHostFile(MediaDir() + "/SUB/X.TXT", "x"));
    EXPECT_TRUE(IsValidDirectoryPath("D:\\SUB"));
    EXPECT_TRUE(IsValidDirectoryPath("D:\\sub\\"));
}

TEST_F(PathHelpersOnMachine, IsValidDirectoryPathKeepsADoubleByteNameWholeInCodePage932) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    std::string directory = TestDriveC() + "DATA\x95\x5C";
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    EXPECT_TRUE(IsValidDirectoryPath(directory.c_str()));
    EXPECT_TRUE(IsValidDirectoryPath(CString(directory.c_str()) + "\\"));
}
