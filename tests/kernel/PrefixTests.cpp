// Starting and stopping machines: the prefix's layout, its reuse, its lock, and the failures
// a user is told about.
#include "TempDir.h"

#include <gtest/gtest.h>
#include <host/Machine.h>
#include <windows.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <filesystem>
#include <climits>
#include <cstdlib>

namespace {

std::string LinkTarget(const std::string& link) {
    char target[PATH_MAX] = {};
    ssize_t length = readlink(link.c_str(), target, sizeof target - 1);
    return length > 0 ? std::string(target, static_cast<size_t>(length)) : std::string();
}

bool IsDirectory(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string RealPath(const std::string& path) {
    char resolved[PATH_MAX];
    return realpath(path.c_str(), resolved) ? resolved : "";
}

class PrefixTest : public ::testing::Test {
  protected:
    host::MachineOptions Options() const {
        host::MachineOptions options;
        options.prefix = m_root / "prefix";
        options.mediaDir = m_media.path();
        options.language = "ENU";
        return options;
    }
    void TearDown() override { host::StopMachine(); }

    TempDir m_root;
    TempDir m_media;
};

TEST_F(PrefixTest, ANewPrefixHasWinesLayout) {
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    std::string prefix = m_root / "prefix";
    EXPECT_TRUE(host::MachineStarted());
    EXPECT_EQ(host::PrefixDir(), prefix);
    EXPECT_TRUE(IsDirectory(prefix + "/drive_c/windows/system32"));
    EXPECT_FALSE(IsDirectory(prefix + "/drive_c/windows/system"));
    EXPECT_EQ(LinkTarget(prefix + "/dosdevices/c:"), "../drive_c");
    EXPECT_EQ(RealPath(prefix + "/dosdevices/d:"), RealPath(m_media.path()));
    // No drive of a new prefix shows the host's root.
    for (char letter = 'a'; letter <= 'z'; ++letter) {
        std::string link = prefix + "/dosdevices/" + letter + ":";
        if (!LinkTarget(link).empty()) {
            EXPECT_NE(RealPath(link), "/") << link;
        }
    }
    char buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, MAX_PATH), 10u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS");
    EXPECT_EQ(GetSystemDirectoryA(buffer, MAX_PATH), 19u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM32");
    EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\SYSTEM32"),
              static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
    EXPECT_EQ(GetCurrentDirectoryA(MAX_PATH, buffer), 3u);
    EXPECT_STREQ(buffer, "D:\\");
    EXPECT_EQ(host::ProgramWindowsPath(), "D:\\SETUP.EXE");
    EXPECT_EQ(host::MediaDirWindows(), "D:\\");
    EXPECT_EQ(host::HostPathOf("C:\\WINDOWS"), prefix + "/drive_c/windows");
    EXPECT_EQ(host::HostPathOf("Q:\\X"), "");
}

TEST_F(PrefixTest, Windows95HasASystemDirectoryOfItsOwn) {
    host::MachineOptions options = Options();
    options.os = host::OsKind::Win95;
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    EXPECT_TRUE(IsDirectory(m_root / "prefix/drive_c/windows/system"));
    char buffer[MAX_PATH];
    EXPECT_EQ(GetSystemDirectoryA(buffer, MAX_PATH), 17u);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\SYSTEM");
    // A buffer that is too small gets nothing and learns the size with the zero.
    char small[5] = "xxxx";
    EXPECT_EQ(GetSystemDirectoryA(small, sizeof small), 18u);
    EXPECT_STREQ(small, "xxxx");
    EXPECT_EQ(GetWindowsDirectoryA(nullptr, 0), 11u);
}

TEST_F(PrefixTest, AnExistingPrefixIsReusedWithItsLinks) {
    std::string prefix = m_root / "prefix";
    // A prefix as Wine leaves it: its own names, a z: drive for the host's root.
    ASSERT_TRUE(WriteHostFile(prefix + "/drive_c/Windows/Fonts/x.fon", "font"));
    ASSERT_EQ(mkdir((prefix + "/dosdevices").c_str(), 0777), 0);
    ASSERT_EQ(symlink("../drive_c", (prefix + "/dosdevices/c:").c_str()), 0);
    ASSERT_EQ(symlink("/", (prefix + "/dosdevices/z:").c_str()), 0);

    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    EXPECT_FALSE(IsDirectory(prefix + "/drive_c/windows")); // the existing "Windows" serves
    EXPECT_TRUE(IsDirectory(prefix + "/drive_c/Windows/system32"));
    EXPECT_NE(GetFileAttributesA("C:\\WINDOWS\\FONTS\\X.FON"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetDriveTypeA("Z:\\"), static_cast<UINT>(DRIVE_FIXED));
    std::string onZ = "Z:" + prefix + "/drive_c/Windows/Fonts/x.fon";
    for (char& c : onZ)
        if (c == '/')
            c = '\\';
    EXPECT_NE(GetFileAttributesA(onZ.c_str()), INVALID_FILE_ATTRIBUTES) << onZ;

    HANDLE file = CreateFileA("C:\\kept.txt", GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    host::StopMachine();
    EXPECT_FALSE(host::MachineStarted());
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    EXPECT_NE(GetFileAttributesA("C:\\kept.txt"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PrefixTest, MachinesStartAgainAndAgainInOneProcess) {
    for (int run = 0; run < 20; ++run) {
        host::MachineOptions options = Options();
        options.os = run % 2 ? host::OsKind::Win95 : host::OsKind::Nt4;
        std::string error;
        ASSERT_TRUE(host::StartMachine(options, error)) << error;
        char buffer[MAX_PATH];
        GetSystemDirectoryA(buffer, MAX_PATH);
        EXPECT_STREQ(buffer, run % 2 ? "C:\\WINDOWS\\SYSTEM" : "C:\\WINDOWS\\SYSTEM32");
        host::StopMachine();
    }
    // Starting a started machine stops the first one rather than locking itself out.
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
}

TEST_F(PrefixTest, APrefixThatCannotBeMadeIsReported) {
    ASSERT_TRUE(WriteHostFile(m_root / "file", "not a directory"));
    host::MachineOptions options = Options();
    options.prefix = m_root / "file/prefix";
    std::string error;
    EXPECT_FALSE(host::StartMachine(options, error));
    EXPECT_NE(error.find(options.prefix), std::string::npos) << error;
    EXPECT_FALSE(host::MachineStarted());
}

TEST_F(PrefixTest, AMissingMediumIsReported) {
    host::MachineOptions options = Options();
    options.mediaDir = m_root / "no-such-medium";
    std::string error;
    EXPECT_FALSE(host::StartMachine(options, error));
    EXPECT_NE(error.find("no-such-medium"), std::string::npos) << error;
    EXPECT_FALSE(IsDirectory(m_root / "prefix")); // nothing made for a run that cannot start
}

TEST_F(PrefixTest, BadOptionsAreReported) {
    host::MachineOptions options = Options();
    options.language = "XYZ";
    std::string error;
    EXPECT_FALSE(host::StartMachine(options, error));
    EXPECT_NE(error.find("XYZ"), std::string::npos) << error;
    options = Options();
    options.mediaDrive = 'C';
    EXPECT_FALSE(host::StartMachine(options, error));
    EXPECT_FALSE(error.empty());
}

TEST_F(PrefixTest, APrefixInUseIsWaitedForThenRefused) {
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    host::StopMachine();

    // Another run holds the lock, which lives on the prefix directory, not in a file in it.
    EXPECT_FALSE(HostFileExists(m_root / "prefix/veltrix.lock"));
    int fd = open((m_root / "prefix").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    host::MachineOptions options = Options();
    options.lockWaitSeconds = 1;
    auto begin = std::chrono::steady_clock::now();
    EXPECT_FALSE(host::StartMachine(options, error));
    double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
    EXPECT_GE(waited, 0.9);
    EXPECT_LT(waited, 10.0);
    EXPECT_NE(error.find(options.prefix), std::string::npos) << error;

    close(fd); // the other run ends
    EXPECT_TRUE(host::StartMachine(options, error)) << error;
    // While this machine runs, the lock is taken.
    fd = open((m_root / "prefix").c_str(), O_RDONLY | O_DIRECTORY);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
    host::StopMachine();
    EXPECT_EQ(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
}

TEST_F(PrefixTest, TheMediumCanBeAnotherDriveAndProgram) {
    host::MachineOptions options = Options();
    options.mediaDrive = 'e';
    options.programName = "INSTALL.EXE";
    options.mediaType = DRIVE_REMOVABLE;
    std::string error;
    ASSERT_TRUE(host::StartMachine(options, error)) << error;
    EXPECT_EQ(host::ProgramWindowsPath(), "E:\\INSTALL.EXE");
    EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_REMOVABLE));
    char buffer[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, buffer);
    EXPECT_STREQ(buffer, "E:\\");
}

TEST_F(PrefixTest, StopHandlersRunWhileThePrefixIsHeld) {
    static int calls = 0;
    static bool started = false;
    host::AddMachineStopHandler([] {
        ++calls;
        started = host::MachineStarted();
    });
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    int before = calls;
    host::StopMachine();
    EXPECT_EQ(calls, before + 1);
    EXPECT_TRUE(started);
    host::StopMachine(); // a stopped machine stops no more
    EXPECT_EQ(calls, before + 1);
}

TEST_F(PrefixTest, CustomHandlesCloseThroughCloseHandle) {
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    int closed = 0;
    HANDLE handle = host::NewHandle([&closed] { ++closed; });
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    ASSERT_NE(handle, nullptr);
    EXPECT_TRUE(CloseHandle(handle));
    EXPECT_EQ(closed, 1);
    EXPECT_FALSE(CloseHandle(handle));
    EXPECT_EQ(closed, 1);
}

TEST(MachineNames, CommandLineNamesParse) {
    host::OsKind os;
    EXPECT_TRUE(host::ParseOsKind("nt351", os));
    EXPECT_EQ(os, host::OsKind::Nt351);
    EXPECT_TRUE(host::ParseOsKind("win95", os));
    EXPECT_EQ(os, host::OsKind::Win95);
    EXPECT_FALSE(host::ParseOsKind("NT4", os));
    EXPECT_FALSE(host::ParseOsKind("win98", os));
    host::PcKind pc;
    EXPECT_TRUE(host::ParsePcKind("pc98", pc));
    EXPECT_EQ(pc, host::PcKind::Pc98);
    EXPECT_FALSE(host::ParsePcKind("pc-98", pc));
    unsigned type = 0;
    EXPECT_TRUE(host::ParseDriveType("remote", type));
    EXPECT_EQ(type, static_cast<unsigned>(DRIVE_REMOTE));
    EXPECT_TRUE(host::ParseDriveType("cdrom", type));
    EXPECT_EQ(type, static_cast<unsigned>(DRIVE_CDROM));
    EXPECT_FALSE(host::ParseDriveType("floppy", type));
}

TEST(MachineNames, DefaultPrefixFollowsTheEnvironment) {
    std::string saved = std::getenv("VELTRIX_PREFIX") ? std::getenv("VELTRIX_PREFIX") : "";
    bool had = std::getenv("VELTRIX_PREFIX") != nullptr;
    setenv("VELTRIX_PREFIX", "/somewhere/else", 1);
    EXPECT_EQ(host::DefaultPrefix(), "/somewhere/else");
    unsetenv("VELTRIX_PREFIX");
    std::string home = std::getenv("HOME") ? std::getenv("HOME") : "";
    setenv("HOME", "/home/tester", 1);
    EXPECT_EQ(host::DefaultPrefix(), "/home/tester/.local/share/veltrix-setup/machine");
    setenv("HOME", home.c_str(), 1);
    if (had)
        setenv("VELTRIX_PREFIX", saved.c_str(), 1);
}

// A run ended by a signal in the middle of a copy (its source a FIFO nobody writes) still takes
// the medium's drive out of the prefix.
TEST(PrefixRun, ASignalDuringTheRunStillGivesThePrefixItsDrivesBack) {
    TempDir root;
    std::string prefix = root / "prefix";
    std::filesystem::create_directories(prefix + "/dosdevices");
    std::filesystem::create_directories(root / "data");
    ASSERT_EQ(0, symlink((root / "data").c_str(), (prefix + "/dosdevices/d:").c_str()));
    ASSERT_TRUE(WriteHostFile(root / "media/INSTKIT.INF",
                              "[Setup]\nInfRevision=1\nTargetOS=1000F\nCaption=S\n"
                              "DefaultDstPath=APP\n[Files]\n1:A.TXT=,,0,3\n"));
    ASSERT_EQ(0, mkfifo((root / "media/A.TXT").c_str(), 0644));
    pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, STDOUT_FILENO);
        dup2(null, STDERR_FILENO);
        std::string media = root / "media";
        execl(VELTRIX_SETUP_EXE, VELTRIX_SETUP_EXE, "--ui", "headless", "--silent", "--media",
              media.c_str(), "--prefix", prefix.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    std::string medium = prefix + "/dosdevices/e:";
    struct stat info;
    for (int i = 0; i < 100 && lstat(medium.c_str(), &info) != 0; ++i)
        usleep(100 * 1000);
    EXPECT_EQ(0, lstat(medium.c_str(), &info)) << "the run did not map the medium";
    usleep(300 * 1000); // into the copy, which waits on the FIFO
    kill(child, SIGTERM);
    int status = 0;
    for (int i = 0; i < 100 && waitpid(child, &status, WNOHANG) == 0; ++i)
        usleep(100 * 1000);
    if (waitpid(child, &status, WNOHANG) == 0) {
        kill(child, SIGKILL);
        waitpid(child, &status, 0);
        FAIL() << "the run did not end on SIGTERM";
    }
    // The program ends an interrupted run itself, with its own status.
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 75) << status;
    EXPECT_NE(0, lstat(medium.c_str(), &info));
    EXPECT_EQ(LinkTarget(prefix + "/dosdevices/d:"), root / "data");
}

// Wine users name their prefix in WINEPREFIX; VELTRIX_PREFIX still comes first.
TEST(MachineNames, WinePrefixIsTheDefaultAfterVeltrixPrefix) {
    const char* veltrix = std::getenv("VELTRIX_PREFIX");
    std::string savedVeltrix = veltrix ? veltrix : "";
    const char* wine = std::getenv("WINEPREFIX");
    std::string savedWine = wine ? wine : "";
    setenv("WINEPREFIX", "/home/tester/.wine-games", 1);
    setenv("VELTRIX_PREFIX", "/somewhere/else", 1);
    EXPECT_EQ(host::DefaultPrefix(), "/somewhere/else");
    unsetenv("VELTRIX_PREFIX");
    EXPECT_EQ(host::DefaultPrefix(), "/home/tester/.wine-games");
    if (veltrix)
        setenv("VELTRIX_PREFIX", savedVeltrix.c_str(), 1);
    if (wine)
        setenv("WINEPREFIX", savedWine.c_str(), 1);
    else
        unsetenv("WINEPREFIX");
}

// A prefix whose D: is the user's own keeps it: the medium goes into the next free letter, and
// the run leaves no drive, drive record or lock file behind.
TEST_F(PrefixTest, TheMediumTakesAFreeLetterAndLeavesThePrefixsDrivesAsTheyWere) {
    std::string prefix = m_root / "prefix";
    TempDir data;
    std::filesystem::create_directories(prefix + "/dosdevices");
    ASSERT_EQ(0, symlink(data.path().c_str(), (prefix + "/dosdevices/d:").c_str()));
    std::string error;
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    EXPECT_EQ(host::MediaDirWindows(), "E:\\");
    EXPECT_EQ(GetDriveTypeA("E:\\"), static_cast<UINT>(DRIVE_CDROM));
    EXPECT_EQ(LinkTarget(prefix + "/dosdevices/d:"), data.path());
    // A disk change moves the medium's drive, never the user's.
    TempDir disk2;
    EXPECT_TRUE(host::InsertMedium('E', disk2.path()));
    host::StopMachine();
    EXPECT_EQ(LinkTarget(prefix + "/dosdevices/d:"), data.path());
    struct stat info;
    EXPECT_NE(0, lstat((prefix + "/dosdevices/e:").c_str(), &info));
    EXPECT_FALSE(HostFileExists(prefix + "/veltrix-drives"));
    EXPECT_FALSE(HostFileExists(prefix + "/veltrix.lock"));

    // A D: that is the medium itself is used, and put back as it was after a disk change.
    ASSERT_EQ(0, unlink((prefix + "/dosdevices/d:").c_str()));
    ASSERT_EQ(0, symlink(m_media.path().c_str(), (prefix + "/dosdevices/d:").c_str()));
    ASSERT_TRUE(host::StartMachine(Options(), error)) << error;
    EXPECT_EQ(host::MediaDirWindows(), "D:\\");
    EXPECT_TRUE(host::InsertMedium('D', disk2.path()));
    host::StopMachine();
    EXPECT_EQ(LinkTarget(prefix + "/dosdevices/d:"), m_media.path());
}

} // namespace
