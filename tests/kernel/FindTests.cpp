// Directory searches with FindFirstFileA and FindNextFileA.
#include "MachineFixture.h"

#include <sys/stat.h>
#include <utime.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

namespace {

std::vector<std::string> Names(LPCSTR pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(search));
    std::sort(names.begin(), names.end());
    return names;
}

std::map<std::string, WIN32_FIND_DATAA> Entries(LPCSTR pattern) {
    std::map<std::string, WIN32_FIND_DATAA> entries;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(pattern, &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do
        entries[found.cFileName] = found;
    while (FindNextFileA(search, &found));
    FindClose(search);
    return entries;
}

using Strings = std::vector<std::string>;

class FindTest : public MachineTest {
  protected:
    void SetUp() override {
        MachineTest::SetUp();
        for (const char* name :
             {"Alpha.TXT", "beta.txt", "gamma.doc", "README", "a.b.c", "Long File Name.text"})
            ASSERT_TRUE(WriteHostFile(OnC(std::string("dir/") + name), name));
        ASSERT_TRUE(WriteHostFile(OnC("dir/Sub/inner.txt"), "inner"));
    }
};

TEST_F(FindTest, StarDotStarListsEverythingWithDotEntries) {
    EXPECT_EQ(Names("C:\\DIR\\*.*"), (Strings{".", "..", "Alpha.TXT", "Long File Name.text",
                                              "README", "Sub", "a.b.c", "beta.txt", "gamma.doc"}));
    EXPECT_EQ(Names("C:\\dir\\*"), Names("C:\\DIR\\*.*"));
}

TEST_F(FindTest, DriveRootsHaveNoDotEntries) {
    Strings names = Names("C:\\*");
    EXPECT_EQ(std::count(names.begin(), names.end(), "."), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), ".."), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "dir"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "windows"), 1);
}

TEST_F(FindTest, WildcardsMatchAsOnWindows) {
    EXPECT_EQ(Names("C:\\DIR\\*.TXT"), (Strings{"Alpha.TXT", "beta.txt"}));
    EXPECT_EQ(Names("C:\\DIR\\?eta.*"), (Strings{"beta.txt"}));
    EXPECT_EQ(Names("C:\\DIR\\a*"), (Strings{"Alpha.TXT", "a.b.c"}));
    EXPECT_EQ(Names("C:\\DIR\\*.c"), (Strings{"a.b.c"}));
    EXPECT_EQ(Names("C:\\DIR\\readme.*"), (Strings{"README"}));
    // '?' stands for any character, also a dot: "a.b.c" is "a" and ".b.c".
    EXPECT_EQ(Names("C:\\DIR\\*.???"), (Strings{"Alpha.TXT", "a.b.c", "beta.txt", "gamma.doc"}));
    EXPECT_EQ(Names("C:\\DIR\\sub\\*.txt"), (Strings{"inner.txt"}));
    EXPECT_EQ(Names("C:\\DIR\\beta.txt"), (Strings{"beta.txt"}));
    EXPECT_EQ(Names("C:\\DIR\\BETA.TXT"), (Strings{"beta.txt"}));
}

TEST_F(FindTest, FailuresSayWhy) {
    WIN32_FIND_DATAA found;
    EXPECT_EQ(FindFirstFileA("C:\\DIR\\*.xyz", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("C:\\DIR\\missing.txt", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("C:\\NODIR\\*.*", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(FindFirstFileA("C:\\", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA("C:\\DIR\\", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA("Q:\\*.*", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA("C:\\DIR\\a<b*", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_NAME));
    EXPECT_EQ(FindFirstFileA("C:\\*\\*.*", &found), INVALID_HANDLE_VALUE);
    EXPECT_EQ(FindFirstFileA("C:\\DIR\\*.*", nullptr), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(FindNextFileA(nullptr, &found));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    HANDLE search = FindFirstFileA("C:\\DIR\\beta.txt", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CloseHandle(search)); // searches end with FindClose
    EXPECT_TRUE(FindClose(search));
    EXPECT_FALSE(FindClose(search));
    EXPECT_FALSE(FindNextFileA(search, &found));
}

TEST_F(FindTest, EntriesCarryAttributesSizesTimesAndShortNames) {
    ASSERT_TRUE(SetFileAttributesA("C:\\DIR\\beta.txt", FILE_ATTRIBUTE_READONLY));
    struct utimbuf times = {946684800, 946684800}; // 2000-01-01 00:00:00 UTC
    ASSERT_EQ(utime(OnC("dir/gamma.doc").c_str(), &times), 0);

    auto entries = Entries("C:\\DIR\\*.*");
    ASSERT_EQ(entries.size(), 9u);
    const WIN32_FIND_DATAA& beta = entries["beta.txt"];
    EXPECT_EQ(beta.nFileSizeLow, 8u);
    EXPECT_EQ(beta.nFileSizeHigh, 0u);
    EXPECT_EQ(beta.dwFileAttributes & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(beta.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_STREQ(beta.cAlternateFileName, "");
    EXPECT_EQ(entries["Sub"].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(entries["."].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY,
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));

    const FILETIME& written = entries["gamma.doc"].ftLastWriteTime;
    ULONGLONG ticks =
        (static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
    EXPECT_EQ(ticks, (946684800ULL + 11644473600ULL) * 10000000ULL);
    SYSTEMTIME fields;
    ASSERT_TRUE(FileTimeToSystemTime(&written, &fields));
    EXPECT_EQ(fields.wYear, 2000);
    EXPECT_EQ(fields.wMonth, 1);
    EXPECT_EQ(fields.wDay, 1);
    EXPECT_EQ(fields.wHour, 0);

    EXPECT_STREQ(entries["Long File Name.text"].cAlternateFileName, "LONGFI~1.TEX");
    EXPECT_STREQ(entries["a.b.c"].cAlternateFileName, "AB~1.C");
    EXPECT_STREQ(entries["README"].cAlternateFileName, "");
}

TEST_F(FindTest, ShortNamesAreUniqueWithinADirectory) {
    ASSERT_TRUE(WriteHostFile(OnC("dir/Long File Other.text"), "x"));
    auto entries = Entries("C:\\DIR\\Long*");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_STREQ(entries["Long File Name.text"].cAlternateFileName, "LONGFI~1.TEX");
    EXPECT_STREQ(entries["Long File Other.text"].cAlternateFileName, "LONGFI~2.TEX");
}

TEST_F(FindTest, ASearchIsASnapshot) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("C:\\DIR\\*.txt", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(DeleteFileA("C:\\DIR\\beta.txt"));
    int count = 1;
    while (FindNextFileA(search, &found))
        ++count;
    EXPECT_EQ(count, 2);
    FindClose(search);
}

} // namespace
