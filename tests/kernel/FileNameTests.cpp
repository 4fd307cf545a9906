// Operations on files and directories by name.
#include "MachineFixture.h"

#include <sys/stat.h>
#include <unistd.h>
#include <utime.h>

namespace {

bool IsHostDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

using FileNameTest = MachineTest;

TEST_F(FileNameTest, CreateDirectoryMakesOnlyTheLastComponent) {
    EXPECT_TRUE(CreateDirectoryA("C:\\APP", nullptr));
    EXPECT_TRUE(IsHostDirectory(OnC("APP")));
    EXPECT_FALSE(CreateDirectoryA("C:\\app", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA("C:\\A\\B", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(IsHostDirectory(OnC("A")));
    SECURITY_ATTRIBUTES security = {12, nullptr, TRUE};
    EXPECT_TRUE(CreateDirectoryA("C:\\APP\\SUB\\", &security));
    EXPECT_TRUE(IsHostDirectory(OnC("APP/SUB")));
    EXPECT_FALSE(CreateDirectoryA("C:\\", nullptr));
    ASSERT_TRUE(WriteHostFile(OnC("file"), "x"));
    EXPECT_FALSE(CreateDirectoryA("C:\\file", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(CreateDirectoryA("C:\\file\\sub", nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
}

TEST_F(FileNameTest, RemoveDirectoryTakesOnlyEmptyOnes) {
    ASSERT_TRUE(WriteHostFile(OnC("full/file.txt"), "x"));
    ASSERT_TRUE(CreateDirectoryA("C:\\EMPTY", nullptr));
    EXPECT_FALSE(RemoveDirectoryA("C:\\FULL"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIR_NOT_EMPTY));
    EXPECT_FALSE(RemoveDirectoryA("C:\\FULL\\FILE.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DIRECTORY));
    EXPECT_FALSE(RemoveDirectoryA("C:\\NONE"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_TRUE(RemoveDirectoryA("C:\\empty\\"));
    EXPECT_FALSE(IsHostDirectory(OnC("EMPTY")));
    ASSERT_TRUE(CreateDirectoryA("C:\\CWD", nullptr));
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\CWD"));
    EXPECT_FALSE(RemoveDirectoryA("C:\\CWD"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    EXPECT_FALSE(RemoveDirectoryA("C:\\"));
}

TEST_F(FileNameTest, DeleteFileRemovesFilesOnly) {
    ASSERT_TRUE(WriteHostFile(OnC("del.txt"), "x"));
    EXPECT_TRUE(DeleteFileA("C:\\DEL.TXT"));
    EXPECT_FALSE(HostFileExists(OnC("del.txt")));
    EXPECT_FALSE(DeleteFileA("C:\\DEL.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA("C:\\NODIR\\DEL.TXT"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(DeleteFileA("C:\\WINDOWS"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_TRUE(IsHostDirectory(OnC("windows")));
}

TEST_F(FileNameTest, AttributesOfFilesAndDirectories) {
    ASSERT_TRUE(WriteHostFile(OnC("plain.txt"), "x"));
    EXPECT_EQ(GetFileAttributesA("C:\\plain.txt"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(GetFileAttributesA("C:\\"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetFileAttributesA("C:\\missing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA("C:\\missing\\x"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_EQ(GetFileAttributesA("C:\\plain.txt\\"), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(SetFileAttributesA("C:\\missing", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(FileNameTest, MoveRenamesAndRespectsExistingFiles) {
    ASSERT_TRUE(WriteHostFile(OnC("from.txt"), "from"));
    ASSERT_TRUE(WriteHostFile(OnC("to.txt"), "to"));
    EXPECT_FALSE(MoveFileA("C:\\from.txt", "C:\\to.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(MoveFileExA("C:\\from.txt", "C:\\to.txt", 0));
    EXPECT_TRUE(MoveFileExA("C:\\from.txt", "C:\\to.txt",
                            MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
    EXPECT_FALSE(HostFileExists(OnC("from.txt")));
    EXPECT_EQ(ReadHostFile(OnC("to.txt")), "from");

    EXPECT_TRUE(MoveFileA("C:\\to.txt", "C:\\WINDOWS\\moved.txt"));
    EXPECT_EQ(ReadHostFile(OnC("windows/moved.txt")), "from");
    EXPECT_FALSE(MoveFileA("C:\\to.txt", "C:\\again.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(MoveFileA("C:\\WINDOWS\\moved.txt", "C:\\NODIR\\x.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    // Only the case changes: the new spelling is taken.
    EXPECT_TRUE(MoveFileA("C:\\WINDOWS\\moved.txt", "C:\\WINDOWS\\MOVED.TXT"));
    EXPECT_TRUE(HostFileExists(OnC("windows/MOVED.TXT")));
    EXPECT_FALSE(HostFileExists(OnC("windows/moved.txt")));
    EXPECT_FALSE(MoveFileExA("C:\\WINDOWS\\MOVED.TXT", "C:\\x", 0x4 /* after reboot */));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileNameTest, MoveRespectsOpenFilesAndReadOnlyTargets) {
    ASSERT_TRUE(WriteHostFile(OnC("open.txt"), "open"));
    ASSERT_TRUE(WriteHostFile(OnC("target.txt"), "target"));
    HANDLE file = CreateFileA("C:\\open.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(MoveFileA("C:\\open.txt", "C:\\closed.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(file);
    ASSERT_TRUE(SetFileAttributesA("C:\\target.txt", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(MoveFileExA("C:\\open.txt", "C:\\target.txt", MOVEFILE_REPLACE_EXISTING));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadHostFile(OnC("target.txt")), "target");
}

TEST_F(FileNameTest, DirectoriesMoveButNotIntoThemselves) {
    ASSERT_TRUE(WriteHostFile(OnC("tree/leaf.txt"), "leaf"));
    EXPECT_FALSE(MoveFileA("C:\\tree", "C:\\tree\\inside"));
    EXPECT_TRUE(MoveFileA("C:\\tree", "C:\\forest"));
    EXPECT_EQ(ReadHostFile(OnC("forest/leaf.txt")), "leaf");
}

TEST_F(FileNameTest, CopyCopiesContentsAndTimes) {
    ASSERT_TRUE(WriteHostFile(OnC("src.bin"), std::string("a\0b", 3)));
    struct utimbuf times = {1000000000, 1000000000};
    ASSERT_EQ(utime(OnC("src.bin").c_str(), &times), 0);
    EXPECT_TRUE(CopyFileA("C:\\SRC.BIN", "C:\\dst.bin", TRUE));
    EXPECT_EQ(ReadHostFile(OnC("dst.bin")), std::string("a\0b", 3));
    struct stat info;
    ASSERT_EQ(stat(OnC("dst.bin").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 1000000000);

    EXPECT_FALSE(CopyFileA("C:\\SRC.BIN", "C:\\dst.bin", TRUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
    ASSERT_TRUE(WriteHostFile(OnC("src.bin"), "new"));
    EXPECT_TRUE(CopyFileA("C:\\SRC.BIN", "C:\\dst.bin", FALSE));
    EXPECT_EQ(ReadHostFile(OnC("dst.bin")), "new");
    EXPECT_FALSE(CopyFileA("C:\\none.bin", "C:\\dst.bin", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(CopyFileA("C:\\SRC.BIN", "C:\\nodir\\dst.bin", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));

    HANDLE locked = CreateFileA("C:\\SRC.BIN", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(locked, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopyFileA("C:\\SRC.BIN", "C:\\other.bin", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(locked);

    ASSERT_TRUE(SetFileAttributesA("C:\\dst.bin", FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(CopyFileA("C:\\SRC.BIN", "C:\\dst.bin", FALSE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(FileNameTest, AFullDiskIsReported) {
    if (access("/dev/full", W_OK) != 0)
        GTEST_SKIP() << "no /dev/full on this host";
    ASSERT_TRUE(host::MapDrive('F', "/dev", DRIVE_FIXED));
    HANDLE file = CreateFileA("F:\\full", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(file, "data", 4, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
    EXPECT_EQ(written, 0u);
    CloseHandle(file);
}

} // namespace

namespace {

TEST_F(FileNameTest, PipesAndDevicesNeverHang) {
    ASSERT_EQ(mkfifo(OnC("pipe").c_str(), 0666), 0);
    // No writer: reading ends at once; no reader: writing cannot open.
    HANDLE reader =
        CreateFileA("C:\\pipe", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    char buffer[4];
    DWORD read = 99;
    EXPECT_TRUE(ReadFile(reader, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u);
    CloseHandle(reader);
    EXPECT_EQ(CreateFileA("C:\\pipe", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(CopyFileA("C:\\pipe", "C:\\copy", FALSE));
    EXPECT_FALSE(HostFileExists(OnC("copy")));
    ASSERT_TRUE(host::MapDrive('F', "/dev", DRIVE_FIXED));
    EXPECT_FALSE(CopyFileA("F:\\zero", "C:\\zeros", FALSE));
    EXPECT_FALSE(HostFileExists(OnC("zeros")));
}

} // namespace
