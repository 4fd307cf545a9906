// How Windows paths reach host files: case, code pages, relative forms, and the walls of a
// drive.
#include "MachineFixture.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

namespace {

bool IsHostDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool Touch(LPCSTR name) {
    HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::string FullPath(LPCSTR name) {
    char buffer[MAX_PATH];
    DWORD length = GetFullPathNameA(name, MAX_PATH, buffer, nullptr);
    return length > 0 && length < MAX_PATH ? std::string(buffer, length) : std::string("<error>");
}

using PathMappingTest = MachineTest;

TEST_F(PathMappingTest, NamesAreFoundWithoutRegardToCase) {
    ASSERT_TRUE(WriteHostFile(OnC("Program Files/Vendor/ReadMe.TXT"), "read me"));
    EXPECT_NE(GetFileAttributesA("C:\\PROGRAM FILES\\vendor\\readme.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(host::HostPathOf("c:\\program files\\VENDOR\\README.txt"),
              OnC("Program Files/Vendor/ReadMe.TXT"));
    // A new name is created as written, beside the existing ones whose case is kept.
    ASSERT_TRUE(CreateDirectoryA("C:\\PROGRAM FILES\\VENDOR\\NewDir", nullptr));
    EXPECT_TRUE(IsHostDirectory(OnC("Program Files/Vendor/NewDir")));
    ASSERT_TRUE(Touch("C:\\program files\\vendor\\newdir\\Mixed.Case"));
    EXPECT_TRUE(HostFileExists(OnC("Program Files/Vendor/NewDir/Mixed.Case")));
    EXPECT_FALSE(IsHostDirectory(OnC("PROGRAM FILES")));
}

TEST_F(PathMappingTest, SlashesSeparateToo) {
    ASSERT_TRUE(WriteHostFile(OnC("windows/slash.txt"), "x"));
    EXPECT_NE(GetFileAttributesA("C:/WINDOWS/slash.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(FullPath("C:/WINDOWS//slash.txt"), "C:\\WINDOWS\\slash.txt");
}

TEST_F(PathMappingTest, RelativePathsFollowTheCurrentDirectory) {
    ASSERT_TRUE(WriteHostFile(m_media / "SETUP.INF", "x"));
    EXPECT_EQ(FullPath("SETUP.INF"), "D:\\SETUP.INF");
    EXPECT_NE(GetFileAttributesA("setup.inf"), INVALID_FILE_ATTRIBUTES);

    ASSERT_TRUE(SetCurrentDirectoryA("c:\\windows\\system32\\"));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), 19u);
    EXPECT_STREQ(buffer, "C:\\windows\\system32"); // the names as the caller wrote them
    EXPECT_EQ(GetCurrentDirectoryA(5, buffer), 20u);

    ASSERT_TRUE(Touch("here.txt"));
    EXPECT_TRUE(HostFileExists(OnC("windows/system32/here.txt")));
    EXPECT_EQ(FullPath("..\\up.txt"), "C:\\windows\\up.txt");
    EXPECT_EQ(FullPath("\\top.txt"), "C:\\top.txt");
    EXPECT_EQ(FullPath("C:rel.txt"), "C:\\windows\\system32\\rel.txt");
    EXPECT_EQ(FullPath("D:rel.txt"), "D:\\rel.txt");
    EXPECT_EQ(FullPath("D:"), "D:\\");
    EXPECT_EQ(FullPath("."), "C:\\windows\\system32");
    EXPECT_EQ(FullPath(".\\a\\.\\b\\..\\c\\"), "C:\\windows\\system32\\a\\c\\");
    EXPECT_EQ(FullPath("name. . "), "C:\\windows\\system32\\name");

    EXPECT_FALSE(SetCurrentDirectoryA("C:\\NOWHERE"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(SetCurrentDirectoryA("C:\\windows\\system32\\here.txt"));
    GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_STREQ(buffer, "C:\\windows\\system32");
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_STREQ(buffer, "C:\\");
}

TEST_F(PathMappingTest, FullPathNameReportsTheFilePartAndTheSizeNeeded) {
    char buffer[MAX_PATH];
    LPSTR filePart = nullptr;
    EXPECT_EQ(GetFullPathNameA("C:\\dir\\file.txt", MAX_PATH, buffer, &filePart), 15u);
    ASSERT_NE(filePart, nullptr);
    EXPECT_STREQ(filePart, "file.txt");
    EXPECT_EQ(GetFullPathNameA("C:\\dir\\", MAX_PATH, buffer, &filePart), 7u);
    EXPECT_EQ(filePart, nullptr);
    EXPECT_EQ(GetFullPathNameA("C:\\", MAX_PATH, buffer, &filePart), 3u);
    EXPECT_EQ(filePart, nullptr);
    char small[4] = "abc";
    EXPECT_EQ(GetFullPathNameA("C:\\dir\\file.txt", sizeof small, small, &filePart), 16u);
    EXPECT_STREQ(small, "abc");
    // Wildcards are only a form here.
    EXPECT_EQ(FullPath("C:\\dir\\*.*"), "C:\\dir\\*.*");
}

TEST_F(PathMappingTest, DotDotStopsAtTheRoot) {
    EXPECT_EQ(FullPath("C:\\..\\..\\..\\etc\\passwd"), "C:\\etc\\passwd");
    ASSERT_TRUE(Touch("C:\\..\\..\\escape.txt"));
    EXPECT_TRUE(HostFileExists(OnC("escape.txt")));
    EXPECT_FALSE(HostFileExists(m_prefix / "escape.txt"));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\WINDOWS"));
    EXPECT_EQ(FullPath("..\\..\\..\\x"), "C:\\x");
}

TEST_F(PathMappingTest, LinksOutOfADriveAreRefused) {
    TempDir outside;
    ASSERT_TRUE(WriteHostFile(outside / "secret.txt", "secret"));
    ASSERT_EQ(symlink(outside.path().c_str(), OnC("out").c_str()), 0);
    ASSERT_EQ(symlink((outside / "secret.txt").c_str(), OnC("secret.txt").c_str()), 0);
    ASSERT_EQ(symlink((outside / "new.txt").c_str(), OnC("dangling.txt").c_str()), 0);

    EXPECT_EQ(GetFileAttributesA("C:\\out"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetFileAttributesA("C:\\out\\secret.txt"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(CreateFileA("C:\\secret.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(Touch("C:\\out\\planted.txt"));
    EXPECT_FALSE(Touch("C:\\dangling.txt"));
    EXPECT_FALSE(HostFileExists(outside / "planted.txt"));
    EXPECT_FALSE(HostFileExists(outside / "new.txt"));
    EXPECT_FALSE(CopyFileA("C:\\out\\secret.txt", "C:\\copy.txt", FALSE));
    EXPECT_FALSE(MoveFileA("C:\\out\\secret.txt", "C:\\moved.txt"));
    EXPECT_EQ(ReadHostFile(outside / "secret.txt"), "secret");
    EXPECT_EQ(host::HostPathOf("C:\\out\\secret.txt"), "");

    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\*", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    do {
        EXPECT_STRNE(found.cFileName, "out");
        EXPECT_STRNE(found.cFileName, "secret.txt");
        EXPECT_STRNE(found.cFileName, "dangling.txt");
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

TEST_F(PathMappingTest, LinksWithinADriveWork) {
    ASSERT_TRUE(WriteHostFile(OnC("real/inside.txt"), "inside"));
    ASSERT_EQ(symlink("real", OnC("alias").c_str()), 0);
    EXPECT_NE(GetFileAttributesA("C:\\ALIAS\\INSIDE.TXT"), INVALID_FILE_ATTRIBUTES);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\alias", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(found.cFileName, "alias");
    EXPECT_EQ(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    FindClose(search);
}

TEST_F(PathMappingTest, OverlongPathsFailCleanly) {
    std::string longName = "C:\\" + std::string(300, 'a');
    EXPECT_EQ(CreateFileA(longName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    EXPECT_EQ(GetFileAttributesA(longName.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetFullPathNameA(longName.c_str(), MAX_PATH, buffer, nullptr), 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA(longName.c_str(), &found), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CreateDirectoryA(longName.c_str(), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));

    // Short enough alone, too long once joined to the current directory.
    std::string deep = "C:\\" + std::string(200, 'd');
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    std::string relative(100, 'r');
    EXPECT_EQ(GetFileAttributesA(relative.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILENAME_EXCED_RANGE));
    // 259 characters is the longest full path.
    std::string longest = deep + "\\" + std::string(259 - deep.size() - 1, 'e');
    ASSERT_EQ(longest.size(), 259u);
    EXPECT_TRUE(Touch(longest.c_str()));
    EXPECT_FALSE(Touch((longest + "f").c_str()));
}

TEST_F(PathMappingTest, BadNamesAreRefused) {
    for (const char* name : {"C:\\a<b", "C:\\a>b", "C:\\a|b", "C:\\a\"b", "C:\\a*b", "C:\\a?b",
                             "C:\\x\\a:b", "C:\\tab\there"}) {
        EXPECT_FALSE(Touch(name)) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME)) << name;
    }
    EXPECT_FALSE(Touch(""));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Touch("\\\\server\\share\\file"));
    EXPECT_FALSE(Touch("Q:\\nodrive.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(Touch("C:\\nodir\\file.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(CreateFileA(nullptr, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
}

TEST_F(PathMappingTest, NamesOutsideTheCodePageAreInvisible) {
    // "café" is in code page 1252; Japanese is not.
    ASSERT_TRUE(WriteHostFile(OnC("caf\xC3\xA9.txt"), "latin"));
    ASSERT_TRUE(WriteHostFile(OnC("\xE6\x97\xA5\xE6\x9C\xAC.txt"), "japanese"));
    EXPECT_NE(GetFileAttributesA("C:\\CAF\xE9.TXT"), INVALID_FILE_ATTRIBUTES);
    // Case is folded for ASCII letters only.
    EXPECT_EQ(GetFileAttributesA("C:\\CAF\xC9.TXT"), INVALID_FILE_ATTRIBUTES);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\*.txt", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    std::vector<std::string> names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(names[0], "caf\xE9.txt");
    ASSERT_TRUE(Touch("C:\\na\xEFve.txt"));
    EXPECT_TRUE(HostFileExists(OnC("na\xC3\xAFve.txt")));
}

using JapanesePathTest = JapaneseMachineTest;

// 表 is 0x95 0x5C in code page 932: its second byte is the code of the backslash.
const char kOmote[] = "\x95\x5C";
const char kOmoteUtf8[] = "\xE8\xA1\xA8";

TEST_F(JapanesePathTest, TrailBytesOfDoubleByteNamesAreNoSeparators) {
    std::string directory = std::string("C:\\") + kOmote;
    ASSERT_TRUE(CreateDirectoryA(directory.c_str(), nullptr));
    EXPECT_TRUE(IsHostDirectory(OnC(kOmoteUtf8)));
    EXPECT_EQ(GetFileAttributesA(directory.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(FullPath(directory.c_str()), directory);

    std::string file = directory + "\\" + kOmote + "a.txt";
    ASSERT_TRUE(Touch(file.c_str()));
    EXPECT_TRUE(HostFileExists(OnC(std::string(kOmoteUtf8) + "/" + kOmoteUtf8 + "a.txt")));
    EXPECT_EQ(host::HostPathOf(file), OnC(std::string(kOmoteUtf8) + "/" + kOmoteUtf8 + "a.txt"));

    ASSERT_TRUE(SetCurrentDirectoryA(directory.c_str()));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), 5u);
    EXPECT_EQ(std::string(buffer), directory);
    EXPECT_EQ(FullPath(".."), "C:\\");

    WIN32_FIND_DATAA found;
    std::string pattern = directory + "\\*.txt";
    HANDLE search = FindFirstFileA(pattern.c_str(), &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::string(found.cFileName), std::string(kOmote) + "a.txt");
    FindClose(search);
}

TEST_F(JapanesePathTest, HostNamesInUtf8AppearInShiftJis) {
    // 日本語.TXT made on the host in UTF-8; 日本語 is 0x93FA 0x967B 0x8CEA in code page 932.
    ASSERT_TRUE(WriteHostFile(OnC("\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E.TXT"), "nihongo"));
    const char name[] = "C:\\\x93\xFA\x96\x7B\x8C\xEA.txt";
    HANDLE file = CreateFileA(name, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    char buffer[16] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    EXPECT_STREQ(buffer, "nihongo");
    CloseHandle(file);
    // Half-width katakana are single bytes of the code page.
    ASSERT_TRUE(Touch("C:\\\xBE\xAF\xC4\xB1\xAF\xCC\xDF.LOG"));
    EXPECT_TRUE(HostFileExists(OnC("\xEF\xBD\xBE\xEF\xBD\xAF\xEF\xBE\x84\xEF\xBD\xB1\xEF\xBD\xAF"
                                   "\xEF\xBE\x8C\xEF\xBE\x9F.LOG")));
    // A lead byte with nothing after it is no name.
    EXPECT_FALSE(Touch("C:\\bad\x95"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
}

} // namespace
