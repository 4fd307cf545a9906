// What the machine tells about itself: version, keyboard, time, memory, debugger output.
#include "MachineFixture.h"

#include <cstdlib>
#include <cstring>
#include <ctime>

namespace {

struct VersionCase {
    host::OsKind os;
    const char* name;
    DWORD platform, major, minor, build;
};

class VersionTest : public MachineTest, public ::testing::WithParamInterface<VersionCase> {
  protected:
    void SetUp() override {
        host::MachineOptions options;
        options.os = GetParam().os;
        ASSERT_TRUE(Start(options));
    }
};

TEST_P(VersionTest, ReportsTheRealNumbers) {
    const VersionCase& expected = GetParam();
    OSVERSIONINFOA info;
    std::memset(&info, 0xCC, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwPlatformId, expected.platform);
    EXPECT_EQ(info.dwMajorVersion, expected.major);
    EXPECT_EQ(info.dwMinorVersion, expected.minor);
    EXPECT_EQ(LOWORD(info.dwBuildNumber), expected.build);
    EXPECT_EQ(info.szCSDVersion[0], 0);
}

INSTANTIATE_TEST_SUITE_P(Systems, VersionTest,
                         ::testing::Values(VersionCase{host::OsKind::Win95, "win95", 1, 4, 0, 950},
                                           VersionCase{host::OsKind::Nt31, "nt31", 2, 3, 10, 528},
                                           VersionCase{host::OsKind::Nt35, "nt35", 2, 3, 50, 807},
                                           VersionCase{host::OsKind::Nt351, "nt351", 2, 3, 51,
                                                       1057},
                                           VersionCase{host::OsKind::Nt4, "nt4", 2, 4, 0, 1381}),
                         [](const auto& info) { return std::string(info.param.name); });

using SystemInfoTest = MachineTest;

TEST_F(SystemInfoTest, VersionNeedsTheRightRecordSize) {
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = 100;
    SetLastError(0);
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    info.dwOSVersionInfoSize = 156; // the extended record is not supported by these systems
    EXPECT_FALSE(GetVersionExA(&info));
    EXPECT_FALSE(GetVersionExA(nullptr));
    EXPECT_EQ(sizeof(OSVERSIONINFOA), 148u);
}

TEST_F(SystemInfoTest, Windows95KeepsItsVersionInTheBuildNumber) {
    host::StopMachine();
    host::MachineOptions options;
    options.os = host::OsKind::Win95;
    ASSERT_TRUE(Start(options));
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(info.dwBuildNumber, 0x040003B6u);
}

struct KeyboardCase {
    host::PcKind pc;
    const char* language;
    int type, subtype, functionKeys;
};

class KeyboardTest : public MachineTest, public ::testing::WithParamInterface<KeyboardCase> {
  protected:
    void SetUp() override {
        host::MachineOptions options;
        options.pc = GetParam().pc;
        options.language = GetParam().language;
        ASSERT_TRUE(Start(options));
    }
};

TEST_P(KeyboardTest, TellsTheKeyboardOfThePc) {
    const KeyboardCase& expected = GetParam();
    EXPECT_EQ(GetKeyboardType(0), expected.type);
    EXPECT_EQ(GetKeyboardType(1), expected.subtype);
    EXPECT_EQ(GetKeyboardType(2), expected.functionKeys);
    EXPECT_EQ(GetKeyboardType(3), 0);
}

INSTANTIATE_TEST_SUITE_P(Keyboards, KeyboardTest,
                         ::testing::Values(KeyboardCase{host::PcKind::PcAt, "ENU", 4, 0, 12},
                                           KeyboardCase{host::PcKind::PcAt, "JPN", 7, 2, 12},
                                           KeyboardCase{host::PcKind::Pc98, "JPN", 7, 0x0D01, 15},
                                           KeyboardCase{host::PcKind::Pc98, "ENU", 7, 0x0D01, 15}));

TEST_F(SystemInfoTest, FileTimesConvertBothWays) {
    SYSTEMTIME when = {2024, 2, 0, 29, 23, 59, 58, 123};
    FILETIME stamp;
    ASSERT_TRUE(SystemTimeToFileTime(&when, &stamp));
    ULONGLONG ticks = (static_cast<ULONGLONG>(stamp.dwHighDateTime) << 32) | stamp.dwLowDateTime;
    EXPECT_EQ(ticks, (1709251198ULL + 11644473600ULL) * 10000000ULL + 1230000ULL);
    SYSTEMTIME back;
    ASSERT_TRUE(FileTimeToSystemTime(&stamp, &back));
    EXPECT_EQ(back.wYear, 2024);
    EXPECT_EQ(back.wMonth, 2);
    EXPECT_EQ(back.wDay, 29);
    EXPECT_EQ(back.wDayOfWeek, 4); // a Thursday
    EXPECT_EQ(back.wHour, 23);
    EXPECT_EQ(back.wMinute, 59);
    EXPECT_EQ(back.wSecond, 58);
    EXPECT_EQ(back.wMilliseconds, 123);

    SYSTEMTIME epoch = {1601, 1, 0, 1, 0, 0, 0, 0};
    ASSERT_TRUE(SystemTimeToFileTime(&epoch, &stamp));
    EXPECT_EQ(stamp.dwLowDateTime, 0u);
    EXPECT_EQ(stamp.dwHighDateTime, 0u);
    ASSERT_TRUE(FileTimeToSystemTime(&stamp, &back));
    EXPECT_EQ(back.wDayOfWeek, 1); // a Monday

    SYSTEMTIME bad = {2023, 2, 0, 29, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &stamp));
    bad = {2024, 13, 0, 1, 0, 0, 0, 0};
    EXPECT_FALSE(SystemTimeToFileTime(&bad, &stamp));
    FILETIME huge = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_FALSE(FileTimeToSystemTime(&huge, &back));
}

TEST_F(SystemInfoTest, LocalTimeFollowsTheHostZone) {
    const char* old = std::getenv("TZ");
    std::string saved = old ? old : "";
    setenv("TZ", "JST-9", 1);
    tzset();
    SYSTEMTIME noon = {2000, 6, 0, 1, 12, 0, 0, 0};
    FILETIME utc, local, again;
    ASSERT_TRUE(SystemTimeToFileTime(&noon, &utc));
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local));
    SYSTEMTIME fields;
    FileTimeToSystemTime(&local, &fields);
    EXPECT_EQ(fields.wHour, 21);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &again));
    EXPECT_EQ(again.dwLowDateTime, utc.dwLowDateTime);
    EXPECT_EQ(again.dwHighDateTime, utc.dwHighDateTime);

    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    ASSERT_TRUE(FileTimeToLocalFileTime(&utc, &local)); // summer: two hours ahead
    FileTimeToSystemTime(&local, &fields);
    EXPECT_EQ(fields.wHour, 14);
    ASSERT_TRUE(LocalFileTimeToFileTime(&local, &again));
    EXPECT_EQ(again.dwLowDateTime, utc.dwLowDateTime);

    if (old)
        setenv("TZ", saved.c_str(), 1);
    else
        unsetenv("TZ");
    tzset();
}

TEST_F(SystemInfoTest, ClocksAgreeWithTheHost) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    long long seconds = static_cast<long long>(ticks / 10000000ULL) - 11644473600LL;
    EXPECT_LE(std::llabs(seconds - static_cast<long long>(time(nullptr))), 2);
    SYSTEMTIME system, local;
    GetSystemTime(&system);
    GetLocalTime(&local);
    EXPECT_GE(system.wYear, 2024);
    EXPECT_GE(local.wYear, 2024);
    DWORD before = GetTickCount();
    Sleep(50);
    DWORD elapsed = GetTickCount() - before;
    EXPECT_GE(elapsed, 45u);
    EXPECT_LT(elapsed, 5000u);
}

TEST_F(SystemInfoTest, GlobalMemoryLocksAndFrees) {
    HGLOBAL fixed = GlobalAlloc(GPTR, 64);
    ASSERT_NE(fixed, nullptr);
    EXPECT_EQ(GlobalLock(fixed), fixed); // a fixed block's handle is its address
    EXPECT_EQ(static_cast<unsigned char*>(fixed)[63], 0);
    EXPECT_EQ(GlobalSize(fixed), 64u);
    EXPECT_EQ(GlobalFree(fixed), nullptr);

    HGLOBAL movable = GlobalAlloc(GHND, 10);
    ASSERT_NE(movable, nullptr);
    char* data = static_cast<char*>(GlobalLock(movable));
    ASSERT_NE(data, nullptr);
    EXPECT_NE(static_cast<void*>(data), movable);
    EXPECT_EQ(data[9], 0);
    std::memcpy(data, "123456789", 10);
    EXPECT_EQ(GlobalLock(movable), data);
    EXPECT_TRUE(GlobalUnlock(movable)); // still locked once
    EXPECT_FALSE(GlobalUnlock(movable));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_EQ(GlobalFree(movable), nullptr);
    EXPECT_EQ(GlobalLock(movable), nullptr);
    EXPECT_EQ(GlobalFree(movable), movable); // freeing twice fails
    EXPECT_EQ(GlobalFree(nullptr), nullptr);
    HGLOBAL empty = GlobalAlloc(GMEM_MOVEABLE, 0);
    EXPECT_NE(empty, nullptr);
    GlobalFree(empty);
}

TEST_F(SystemInfoTest, DebuggerOutputGoesToTheNamedFile) {
    TempDir logs;
    std::string path = logs / "debug.txt";
    setenv("VELTRIX_DEBUG_OUTPUT", path.c_str(), 1);
    OutputDebugStringA("Debug Start\r\n");
    OutputDebugStringA("second\r\n");
    OutputDebugStringA(nullptr);
    EXPECT_EQ(ReadHostFile(path), "Debug Start\r\nsecond\r\n");
    unsetenv("VELTRIX_DEBUG_OUTPUT");
    OutputDebugStringA("lost\r\n");
    EXPECT_EQ(ReadHostFile(path), "Debug Start\r\nsecond\r\n");
}

TEST_F(SystemInfoTest, ProcessPseudoHandleAndExit) {
    EXPECT_EQ(GetCurrentProcess(), reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)));
    EXPECT_EXIT(ExitProcess(3), ::testing::ExitedWithCode(3), "");
}

} // namespace
