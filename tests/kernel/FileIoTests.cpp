// Opening, reading, writing and closing files through the Windows API of the machine.
#include "MachineFixture.h"

#include <sys/stat.h>

#include <cstring>

namespace {

HANDLE OpenForReading(LPCSTR name, DWORD share = FILE_SHARE_READ) {
    return CreateFileA(name, GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
}

using FileIoTest = MachineTest;

TEST_F(FileIoTest, WritesAFileAndReadsItBack) {
    HANDLE file = CreateFileA("C:\\data.bin", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_NE(file, nullptr);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(file, "hello world", 11, &written, nullptr));
    EXPECT_EQ(written, 11u);
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_EQ(ReadHostFile(OnC("data.bin")), "hello world");

    file = OpenForReading("c:\\DATA.BIN");
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD high = 99;
    EXPECT_EQ(GetFileSize(file, &high), 11u);
    EXPECT_EQ(high, 0u);
    char buffer[32] = {};
    DWORD read = 0;
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 11u);
    EXPECT_STREQ(buffer, "hello world");
    ASSERT_TRUE(ReadFile(file, buffer, sizeof buffer, &read, nullptr));
    EXPECT_EQ(read, 0u); // end of file is success with nothing read
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(FileIoTest, CreationDispositionsBehaveAsOnWindows) {
    ASSERT_TRUE(WriteHostFile(OnC("old.txt"), "old contents"));

    HANDLE file = CreateFileA("C:\\old.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));

    file = CreateFileA("C:\\missing.txt", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    file = CreateFileA("C:\\missing.txt", GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(HostFileExists(OnC("missing.txt")));

    file = CreateFileA("C:\\old.txt", GENERIC_READ, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_EQ(GetFileSize(file, nullptr), 12u);
    CloseHandle(file);

    file = CreateFileA("C:\\new.txt", GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    CloseHandle(file);
    EXPECT_TRUE(HostFileExists(OnC("new.txt")));

    file = CreateFileA("C:\\old.txt", GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    EXPECT_EQ(ReadHostFile(OnC("old.txt")), "");

    ASSERT_TRUE(WriteHostFile(OnC("old.txt"), "again"));
    file = CreateFileA("C:\\OLD.TXT", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(file);
    EXPECT_EQ(ReadHostFile(OnC("old.txt")), "");
    EXPECT_FALSE(HostFileExists(OnC("OLD.TXT"))); // the existing name kept its case

    file = CreateFileA("C:\\x.txt", GENERIC_READ, 0, nullptr, 9, 0, nullptr);
    EXPECT_EQ(file, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(FileIoTest, HandlesAreDistinctAndOnlyTheirKindWorks) {
    ASSERT_TRUE(WriteHostFile(OnC("a.txt"), "a"));
    HANDLE first = OpenForReading("C:\\a.txt");
    HANDLE second = OpenForReading("C:\\a.txt");
    ASSERT_NE(first, INVALID_HANDLE_VALUE);
    ASSERT_NE(second, INVALID_HANDLE_VALUE);
    EXPECT_NE(first, second);
    DWORD written = 0;
    EXPECT_FALSE(WriteFile(first, "x", 1, &written, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(GetFileSize(nullptr, nullptr), INVALID_FILE_SIZE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    EXPECT_FALSE(FindClose(first));
    CloseHandle(first);
    CloseHandle(second);
    EXPECT_EQ(GetFileSize(first, nullptr), INVALID_FILE_SIZE);
}

TEST_F(FileIoTest, ShareModesLockFilesWithinTheProcess) {
    ASSERT_TRUE(WriteHostFile(OnC("locked.dat"), "secret"));
    HANDLE exclusive = CreateFileA("C:\\locked.dat", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(exclusive, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenForReading("C:\\locked.dat"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    OFSTRUCT record;
    EXPECT_EQ(OpenFile("C:\\locked.dat", &record, OF_EXIST), HFILE_ERROR);
    EXPECT_FALSE(DeleteFileA("C:\\locked.dat"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    CloseHandle(exclusive);

    // Readers that share reading get along; a writer then needs them to share writing.
    HANDLE reader = OpenForReading("C:\\locked.dat");
    HANDLE reader2 = OpenForReading("C:\\locked.dat");
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    ASSERT_NE(reader2, INVALID_HANDLE_VALUE);
    EXPECT_EQ(CreateFileA("C:\\locked.dat", GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
    // A reader that does not share reading conflicts with the readers already there.
    EXPECT_EQ(OpenForReading("C:\\locked.dat", 0), INVALID_HANDLE_VALUE);
    CloseHandle(reader);
    CloseHandle(reader2);
    HANDLE writer = CreateFileA("C:\\locked.dat", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(writer, INVALID_HANDLE_VALUE);
    // The writer shares reading only: a reader that shares writing may come, another writer not.
    HANDLE sharingReader = OpenForReading("C:\\locked.dat", FILE_SHARE_READ | FILE_SHARE_WRITE);
    EXPECT_NE(sharingReader, INVALID_HANDLE_VALUE);
    EXPECT_EQ(OpenForReading("C:\\locked.dat", FILE_SHARE_READ), INVALID_HANDLE_VALUE);
    CloseHandle(sharingReader);
    CloseHandle(writer);
}

TEST_F(FileIoTest, ReadOnlyFilesRefuseWriting) {
    ASSERT_TRUE(WriteHostFile(OnC("ro.txt"), "keep"));
    ASSERT_TRUE(SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_READONLY));
    struct stat info;
    ASSERT_EQ(stat(OnC("ro.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH), 0u);
    EXPECT_EQ(GetFileAttributesA("C:\\ro.txt") & FILE_ATTRIBUTE_READONLY,
              static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(CreateFileA("C:\\ro.txt", GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(CreateFileA("C:\\ro.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_FALSE(DeleteFileA("C:\\ro.txt"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_EQ(ReadHostFile(OnC("ro.txt")), "keep");
    HANDLE reader = OpenForReading("C:\\ro.txt");
    EXPECT_NE(reader, INVALID_HANDLE_VALUE);
    CloseHandle(reader);

    ASSERT_TRUE(SetFileAttributesA("C:\\ro.txt", FILE_ATTRIBUTE_NORMAL));
    EXPECT_EQ(GetFileAttributesA("C:\\ro.txt") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(DeleteFileA("C:\\ro.txt"));
    EXPECT_FALSE(HostFileExists(OnC("ro.txt")));
}

TEST_F(FileIoTest, FilePointerAndEndOfFile) {
    HANDLE file = CreateFileA("C:\\seek.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD done = 0;
    ASSERT_TRUE(WriteFile(file, "0123456789", 10, &done, nullptr));
    EXPECT_EQ(SetFilePointer(file, 4, nullptr, FILE_BEGIN), 4u);
    char ch = 0;
    ASSERT_TRUE(ReadFile(file, &ch, 1, &done, nullptr));
    EXPECT_EQ(ch, '4');
    EXPECT_EQ(SetFilePointer(file, -2, nullptr, FILE_END), 8u);
    EXPECT_EQ(SetFilePointer(file, -3, nullptr, FILE_CURRENT), 5u);
    EXPECT_EQ(SetFilePointer(file, -6, nullptr, FILE_CURRENT), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NEGATIVE_SEEK));
    EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_CURRENT), 5u); // unchanged by the failure
    ASSERT_TRUE(SetEndOfFile(file));
    EXPECT_EQ(GetFileSize(file, nullptr), 5u);
    LONG high = 1; // the distance is 2^32 + 16
    EXPECT_EQ(SetFilePointer(file, 16, &high, FILE_BEGIN), 16u);
    EXPECT_EQ(high, 1);
    high = 0;
    EXPECT_EQ(SetFilePointer(file, 0, &high, FILE_BEGIN), 0u);
    EXPECT_EQ(high, 0);
    CloseHandle(file);
    EXPECT_EQ(ReadHostFile(OnC("seek.bin")), "01234");
}

TEST_F(FileIoTest, FileTimesRoundTrip) {
    HANDLE file = CreateFileA("C:\\time.txt", GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                              CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    SYSTEMTIME when = {1998, 7, 0, 4, 12, 30, 15, 0};
    FILETIME stamp;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &stamp));
    ASSERT_TRUE(SetFileTime(file, nullptr, nullptr, &stamp));
    FILETIME written = {};
    ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
    EXPECT_EQ(written.dwLowDateTime, stamp.dwLowDateTime);
    EXPECT_EQ(written.dwHighDateTime, stamp.dwHighDateTime);
    CloseHandle(file);
    struct stat info;
    ASSERT_EQ(stat(OnC("time.txt").c_str(), &info), 0);
    EXPECT_EQ(info.st_mtime, 899555415); // 1998-07-04 12:30:15 UTC

    HANDLE reader = OpenForReading("C:\\time.txt");
    EXPECT_FALSE(SetFileTime(reader, nullptr, nullptr, &stamp));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    CloseHandle(reader);
}

TEST_F(FileIoTest, OpenFileExistsReadsAndCreates) {
    ASSERT_TRUE(WriteHostFile(m_media / "INSTKIT.INF", "[Setup]\n"));
    OFSTRUCT record;
    std::memset(&record, 0x55, sizeof record);
    HFILE exists = OpenFile("D:\\instkit.inf", &record, OF_EXIST);
    EXPECT_NE(exists, HFILE_ERROR);
    EXPECT_EQ(record.cBytes, sizeof(OFSTRUCT));
    EXPECT_STREQ(record.szPathName, "D:\\instkit.inf");
    EXPECT_EQ(record.nErrCode, 0);
    // OF_EXIST closed it again: the file can be opened exclusively.
    HANDLE alone =
        CreateFileA("D:\\INSTKIT.INF", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(alone, INVALID_HANDLE_VALUE);
    CloseHandle(alone);

    EXPECT_EQ(OpenFile("C:\\nothing.inf", &record, OF_EXIST), HFILE_ERROR);
    EXPECT_EQ(record.nErrCode, ERROR_FILE_NOT_FOUND);
    EXPECT_FALSE(HostFileExists(OnC("nothing.inf")));

    HFILE reader = OpenFile("D:\\INSTKIT.INF", &record, OF_READ);
    ASSERT_NE(reader, HFILE_ERROR);
    char buffer[8] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(reinterpret_cast<HANDLE>(static_cast<intptr_t>(reader)), buffer, 7, &read,
                         nullptr));
    EXPECT_STREQ(buffer, "[Setup]");
    EXPECT_EQ(_lclose(reader), 0);
    EXPECT_EQ(_lclose(reader), HFILE_ERROR);

    HFILE created = OpenFile("C:\\made.txt", &record, OF_CREATE | OF_WRITE);
    ASSERT_NE(created, HFILE_ERROR);
    _lclose(created);
    EXPECT_TRUE(HostFileExists(OnC("made.txt")));

    // A bare name is looked for in the program's directory first.
    EXPECT_NE(OpenFile("INSTKIT.INF", &record, OF_EXIST), HFILE_ERROR);
    EXPECT_STREQ(record.szPathName, "D:\\INSTKIT.INF");
}

TEST_F(FileIoTest, TheMediumOnACdRomIsWriteProtected) {
    ASSERT_TRUE(WriteHostFile(m_media / "FILE.TXT", "cd"));
    EXPECT_EQ(CreateFileA("D:\\NEW.TXT", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    EXPECT_FALSE(DeleteFileA("D:\\FILE.TXT"));
    EXPECT_FALSE(CreateDirectoryA("D:\\DIR", nullptr));
    EXPECT_TRUE(HostFileExists(m_media / "FILE.TXT"));
    EXPECT_FALSE(HostFileExists(m_media / "NEW.TXT"));
}

TEST_F(FileIoTest, DeleteOnCloseRemovesTheFile) {
    HANDLE file = CreateFileA("C:\\scratch.tmp", GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(HostFileExists(OnC("scratch.tmp")));
    CloseHandle(file);
    EXPECT_FALSE(HostFileExists(OnC("scratch.tmp")));
}

TEST_F(FileIoTest, StopMachineClosesOpenFiles) {
    ASSERT_TRUE(WriteHostFile(OnC("held.txt"), "x"));
    HANDLE held = OpenForReading("C:\\held.txt", 0);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    host::StopMachine();
    ASSERT_TRUE(Start());
    HANDLE again = OpenForReading("C:\\held.txt", 0);
    EXPECT_NE(again, INVALID_HANDLE_VALUE);
    CloseHandle(again);
    EXPECT_FALSE(CloseHandle(held));
}

} // namespace
