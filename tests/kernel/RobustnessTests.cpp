// Bad input of every shape: no crash, no overflow, and nothing written outside the drives.
#include "MachineFixture.h"

#include <mbstring.h>

#include <dirent.h>

#include <cstring>
#include <random>
#include <set>

namespace {

std::set<std::string> Listing(const std::string& directory) {
    std::set<std::string> names;
    if (DIR* dir = opendir(directory.c_str())) {
        while (dirent* entry = readdir(dir))
            names.insert(entry->d_name);
        closedir(dir);
    }
    return names;
}

// Paths built from the pieces that make path code go wrong.
std::string RandomPath(std::mt19937& random) {
    static const char* const kPieces[] = {
        "\\", "/",    "..", ".",    "C:",   "D:",       "Z:",   "c:",   "\\\\",
        "a",  "NAME", "*",  "?",    "\x95", "\x95\x5C", "\x81", "\xFC", "\xFF",
        ":",  "|",    " ",  ".txt", "\t",   "WINDOWS",  "\xE9", "%s"};
    std::string path;
    int count = static_cast<int>(random() % 24);
    for (int i = 0; i < count; ++i)
        path += kPieces[random() % (sizeof kPieces / sizeof kPieces[0])];
    if (random() % 16 == 0)
        path += std::string(random() % 400, 'x');
    return path;
}

class RobustnessTest : public JapaneseMachineTest {};

TEST_F(RobustnessTest, RandomPathsNeverEscapeOrOverflow) {
    // Prefix and medium side by side in one directory that nothing else writes.
    TempDir world;
    ASSERT_TRUE(WriteHostFile(world / "media/SETUP.INF", "x"));
    host::StopMachine();
    host::MachineOptions options;
    options.prefix = world / "prefix";
    options.mediaDir = world / "media";
    ASSERT_TRUE(Start(options));
    std::set<std::string> outside = Listing(world.path());
    std::set<std::string> medium = Listing(world / "media");
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::string path = RandomPath(random);
        const char* name = path.c_str();
        char buffer[MAX_PATH + 16];
        std::memset(buffer, 0x7E, sizeof buffer);
        LPSTR filePart = nullptr;
        DWORD length = GetFullPathNameA(name, MAX_PATH, buffer, &filePart);
        ASSERT_EQ(buffer[MAX_PATH], 0x7E) << path; // nothing written past the buffer
        if (length > 0 && length < MAX_PATH) {
            ASSERT_EQ(std::strlen(buffer), length) << path;
            if (filePart) {
                ASSERT_TRUE(filePart >= buffer && filePart < buffer + length) << path;
            }
        }
        GetFileAttributesA(name);
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA(name, &found);
        if (search != INVALID_HANDLE_VALUE) {
            while (FindNextFileA(search, &found))
                ASSERT_LT(std::strlen(found.cFileName), static_cast<size_t>(MAX_PATH));
            FindClose(search);
        }
        HANDLE file = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        CreateDirectoryA(name, nullptr);
        OFSTRUCT record = {};
        HFILE opened = OpenFile(name, &record, OF_EXIST);
        ASSERT_LT(std::strlen(record.szPathName), sizeof record.szPathName);
        (void)opened;
        SetCurrentDirectoryA(name);
        GetDriveTypeA(name);
        host::HostPathOf(path);
        // The multibyte functions walk the same bytes.
        const unsigned char* bytes = reinterpret_cast<const unsigned char*>(name);
        _mbschr(bytes, '\\');
        _mbsrchr(bytes, '\\');
        _mbslen(bytes);
        _mbsicmp(bytes, reinterpret_cast<const unsigned char*>("C:\\WINDOWS"));
        char message[1100];
        wsprintfA(message, "%s|%s", name, name);
        host::AnsiToUtf8(path);
    }
    EXPECT_EQ(Listing(world.path()), outside);
    EXPECT_EQ(Listing(world / "media"), medium);
    char current[MAX_PATH];
    EXPECT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
}

TEST_F(RobustnessTest, NullArgumentsAreRefusedQuietly) {
    EXPECT_EQ(GetFileAttributesA(nullptr), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteFileA(nullptr));
    EXPECT_FALSE(CreateDirectoryA(nullptr, nullptr));
    EXPECT_FALSE(RemoveDirectoryA(nullptr));
    EXPECT_FALSE(SetCurrentDirectoryA(nullptr));
    EXPECT_FALSE(MoveFileA(nullptr, "C:\\x"));
    EXPECT_FALSE(CopyFileA("C:\\x", nullptr, FALSE));
    EXPECT_EQ(GetFullPathNameA(nullptr, 0, nullptr, nullptr), 0u);
    EXPECT_EQ(OpenFile(nullptr, nullptr, OF_EXIST), HFILE_ERROR);
    EXPECT_FALSE(ReadFile(INVALID_HANDLE_VALUE, nullptr, 1, nullptr, nullptr));
    EXPECT_FALSE(WriteFile(nullptr, "x", 1, nullptr, nullptr));
    EXPECT_EQ(_mbschr(nullptr, 'a'), nullptr);
    EXPECT_EQ(_mbsinc(nullptr), nullptr);
    EXPECT_EQ(_mbstok(nullptr, reinterpret_cast<const unsigned char*>(",")), nullptr);
    EXPECT_EQ(MultiByteToWideChar(CP_ACP, 0, nullptr, 1, nullptr, 0), 0);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, nullptr, 1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_FALSE(FileTimeToSystemTime(nullptr, nullptr));
    EXPECT_EQ(GlobalLock(nullptr), nullptr);
    EXPECT_EQ(wsprintfA(nullptr, "x"), 0);
}

} // namespace
