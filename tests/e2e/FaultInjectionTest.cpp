// Runs of the real program that meet what goes wrong on real machines: a full destination, a
// size limit, a damaged or unreadable source, a medium that goes away, signals, bad command
// lines. Each ends with a message and a documented status, and leaves no partial file in place
// of an old one and nothing of its own in the Windows directory.
#include "SetupRun.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

const char kOpenDestinationError[] = "ｺﾋﾟｰ先ファイルのｵｰﾌﾟﾝ時にｴﾗｰが発生しました。";
const char kOpenSourceError[] = "ｺﾋﾟｰ元ファイルのｵｰﾌﾟﾝ時にｴﾗｰが発生しました。";
const char kCopyError[] = "ｺﾋﾟｰ中にｴﾗｰが発生しました。 -> OK";
constexpr int kInterrupted = 75;

std::vector<std::string> japanese(std::vector<std::string> more) {
    more.insert(more.begin(), {"--lang", "JPN"});
    return more;
}

// Names in a host directory that the program made for itself: its temporary directories
// (TEMPn) and temporary files (~VX*.TMP).
std::vector<std::string> Leftovers(const std::string& directory) {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error)) {
        std::string name = entry.path().filename().string();
        if (name.rfind("TEMP", 0) == 0 || name.rfind("~VX", 0) == 0)
            found.push_back(name);
    }
    return found;
}

bool AnyTemporaryFileIn(const std::string& directory) {
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(directory, error))
        if (entry.path().filename().string().rfind("~VX", 0) == 0)
            return true;
    return false;
}

// Bytes that compress well but not to nothing, so that expanding them takes a while.
std::string Payload(size_t size) {
    std::string bytes(size, '\0');
    unsigned state = 12345;
    for (size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>('a' + (state >> 16) % 4);
    }
    return bytes;
}

// A large compressed file, made once: its expansion takes long enough for something to
// happen while it runs.
const std::string& LargeCompressedFile() {
    static TempDir work;
    static std::string path;
    if (path.empty()) {
        WriteHostFile(work / "LARGE.TXT", Payload(24 << 20));
        if (MakeCompressedFile(work / "LARGE.TXT", work / "LARGE.TX_"))
            path = work / "LARGE.TX_";
    }
    return path;
}

// One file, F.TXT, installed over an old one in C:\APP with the given overwrite mode.
class CopyFaultTest : public ::testing::Test {
  protected:
    // The source on the medium, compressed as F.TX_ when compressed is set.
    void prepare(const std::string& source, bool compressed, const std::string& mode = "0,3") {
        std::string name = compressed ? "F.TX_" : "F.TXT";
        m_medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:" + name + "=,," + mode,
                                        "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                        "[E2E]\nDone=REG_SZ,yes\n"));
        if (compressed) {
            m_medium.WriteFile(1, "F.TXT.plain", source);
            ASSERT_TRUE(MakeCompressedFile(m_medium.DiskDir(1) + "/F.TXT.plain",
                                           m_medium.DiskDir(1) + "/F.TX_"));
            fs::remove(m_medium.DiskDir(1) + "/F.TXT.plain");
        } else {
            m_medium.WriteFile(1, "F.TXT", source);
        }
        WriteHostFile(m_medium.DriveC("APP/F.TXT"), "old");
    }
    // The run kept the old file and left nothing of its own behind.
    void expectOldFileAndNoLeftovers() {
        EXPECT_EQ("old", ReadHostFile(m_medium.DriveC("APP/F.TXT")));
        EXPECT_TRUE(Leftovers(m_medium.DriveC("APP")).empty());
        EXPECT_TRUE(Leftovers(m_medium.DriveC("windows")).empty());
    }
    SetupMedium m_medium;
};

TEST_F(CopyFaultTest, ADamagedLengthInTheHeaderIsACopyError) {
    for (uint32_t length : {1u, 0u}) {
        prepare(Payload(5000), true);
        std::string path = m_medium.DiskDir(1) + "/F.TX_";
        std::string bytes = ReadHostFile(path);
        ASSERT_GT(bytes.size(), 14u);
        for (int i = 0; i < 4; ++i)
            bytes[10 + i] = static_cast<char>((length >> (8 * i)) & 0xFF);
        WriteHostFile(path, bytes);

        SetupResult result = m_medium.Run(japanese({"--silent"}));
        EXPECT_EQ(1, result.status) << length << result.transcript;
        EXPECT_TRUE(result.Has(kCopyError)) << result.transcript;
        expectOldFileAndNoLeftovers();
        EXPECT_EQ(std::string::npos, m_medium.Registry("system.reg").find("E2E"));
    }
}

TEST_F(CopyFaultTest, AFileSizeLimitFailsTheWriteLikeAFullDisk) {
    prepare(Payload(1 << 20), true);
    RunConditions conditions;
    conditions.fileSizeLimit = 256 * 1024;
    SetupResult result = m_medium.Run(japanese({"--silent"}), conditions);
    EXPECT_EQ(1, result.status) << result.transcript << result.errors;
    EXPECT_TRUE(result.Has(kCopyError)) << result.transcript;
    EXPECT_TRUE(result.Has("end: status 1")) << result.transcript;
    expectOldFileAndNoLeftovers();
}

TEST_F(CopyFaultTest, ADestinationThatFillsUpMidFile) {
    fs::create_directories(m_medium.DriveC("APP"));
    if (mount("tmpfs", m_medium.DriveC("APP").c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "a small tmpfs cannot be mounted here (needs root)";
    struct Unmount {
        std::string path;
        ~Unmount() { umount2(path.c_str(), MNT_DETACH); }
    } unmount{m_medium.DriveC("APP")};
    prepare(Payload(1 << 20), true);
    SetupResult result = m_medium.Run(japanese({"--silent"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_TRUE(result.Has(kCopyError)) << result.transcript;
    expectOldFileAndNoLeftovers();
}

TEST_F(CopyFaultTest, ASourceThatCannotBeReadKeepsTheOldFile) {
    // Compressed data that breaks off in the middle: reading fails part way through the copy.
    prepare(Payload(100000), true);
    std::string bytes = ReadHostFile(m_medium.DiskDir(1) + "/F.TX_");
    WriteHostFile(m_medium.DiskDir(1) + "/F.TX_", bytes.substr(0, bytes.size() / 2));
    SetupResult result = m_medium.Run(japanese({"--silent"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_TRUE(result.Has(kCopyError)) << result.transcript;
    expectOldFileAndNoLeftovers();

    // A file that cannot be opened for reading (permissions do not stop root).
    if (geteuid() != 0) {
        prepare("new", false);
        fs::permissions(m_medium.DiskDir(1) + "/F.TXT", fs::perms::none);
        result = m_medium.Run(japanese({"--silent"}));
        EXPECT_EQ(1, result.status) << result.transcript;
        EXPECT_TRUE(result.Has(kOpenSourceError)) << result.transcript;
        expectOldFileAndNoLeftovers();
    }
}

TEST_F(CopyFaultTest, AMediumThatDisappearsBetweenTwoFiles) {
    m_medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:A.TX_=,,0,3\n1:B.TXT=,,0,3"));
    ASSERT_FALSE(LargeCompressedFile().empty());
    fs::copy_file(LargeCompressedFile(), m_medium.DiskDir(1) + "/A.TX_");
    m_medium.WriteFile(1, "B.TXT", "new");
    WriteHostFile(m_medium.DriveC("APP/B.TXT"), "old");
    std::string gone = m_medium.DiskDir(1) + ".gone";
    RunConditions conditions;
    // While the first file is copied, the medium is taken away: its directory is renamed.
    conditions.signal = SIGCONT; // harmless; the condition does the work
    conditions.signalWhen = [&] {
        if (!AnyTemporaryFileIn(m_medium.DriveC("APP")))
            return false;
        fs::rename(m_medium.DiskDir(1), gone);
        return true;
    };
    SetupResult result = m_medium.Run(japanese({"--silent"}), conditions);
    ASSERT_TRUE(fs::exists(gone)) << "the copy ended before the medium could be taken away";
    // The second file's disk is asked for and never comes: the unattended run stops.
    EXPECT_EQ(1, result.status) << result.transcript << result.errors;
    EXPECT_NE(std::string::npos, result.errors.find("unattended run stopped")) << result.errors;
    EXPECT_EQ("old", ReadHostFile(m_medium.DriveC("APP/B.TXT")));
    EXPECT_TRUE(Leftovers(m_medium.DriveC("APP")).empty());
    EXPECT_TRUE(Leftovers(m_medium.DriveC("windows")).empty());
}

TEST_F(CopyFaultTest, ASignalDuringACopyEndsTheRunCleanly) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SetupMedium medium;
        medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TX_=,,0,3",
                                      "[Registry]\nE2E=HKEY_LOCAL_MACHINE,SOFTWARE\n"
                                      "[E2E]\nDone=REG_SZ,yes\n"));
        ASSERT_FALSE(LargeCompressedFile().empty());
        fs::copy_file(LargeCompressedFile(), medium.DiskDir(1) + "/F.TX_");
        WriteHostFile(medium.DriveC("APP/F.TXT"), "old");
        RunConditions conditions;
        conditions.signal = signal;
        conditions.signalWhen = [&] { return AnyTemporaryFileIn(medium.DriveC("APP")); };
        SetupResult result = medium.Run(japanese({"--silent"}), conditions);
        EXPECT_EQ(kInterrupted, result.status) << signal << result.transcript << result.errors;
        EXPECT_TRUE(result.Has("end: status 75 (interrupted by SIG")) << result.transcript;
        EXPECT_EQ("old", ReadHostFile(medium.DriveC("APP/F.TXT")));
        EXPECT_TRUE(Leftovers(medium.DriveC("APP")).empty());
        EXPECT_TRUE(Leftovers(medium.DriveC("windows")).empty());
        EXPECT_EQ(std::string::npos, medium.Registry("system.reg").find("E2E"));
    }
}

// Every TEMPn already there: a compressed source whose version must be read has nowhere to
// be expanded. The medium's own file must not be used for it.
TEST(TemporaryDirectoryTest, NoTemporaryDirectoryFailsTheEntryAndSparesTheMedium) {
    SetupMedium medium;
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:D.DL_=,,0,6"));
    TempDir work;
    ASSERT_TRUE(MakeVersionDll(work / "D.DLL", 3, 0, 0, 0));
    ASSERT_TRUE(MakeCompressedFile(work / "D.DLL", medium.DiskDir(1) + "/D.DL_"));
    ASSERT_TRUE(MakeVersionDll(medium.DriveC("APP/D.DLL"), 2, 0, 0, 0));
    // A bare name would be the medium's D.DLL: a file of the medium's own.
    medium.WriteFile(1, "D.DLL", "medium's own file");
    for (int n = 0; n < 100; ++n)
        fs::create_directories(medium.DriveC("windows/TEMP" + std::to_string(n)));
    std::string oldDll = ReadHostFile(medium.DriveC("APP/D.DLL"));

    SetupResult result = medium.Run(japanese({"--silent", "--media-type", "fixed"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_TRUE(result.Has(kOpenDestinationError)) << result.transcript;
    EXPECT_EQ("medium's own file", ReadHostFile(medium.DiskDir(1) + "/D.DLL"));
    EXPECT_EQ(oldDll, ReadHostFile(medium.DriveC("APP/D.DLL")));
}

TEST(TemporaryDirectoryTest, AnUnattendedStopRemovesTheRunsTemporaryDirectory) {
    SetupMedium medium;
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT=,,0,0"));
    medium.WriteFile(1, "F.TXT", "new");
    WriteHostFile(medium.DriveC("APP/F.TXT"), "old");
    // The overwrite question has no answer: the run stops there.
    SetupResult result = medium.Run(japanese({"--silent", "--overwrite", "ask"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    EXPECT_NE(std::string::npos, result.errors.find("unattended run stopped")) << result.errors;
    EXPECT_TRUE(Leftovers(medium.DriveC("windows")).empty());
    EXPECT_EQ("old", ReadHostFile(medium.DriveC("APP/F.TXT")));
}

// Ctrl+C in the terminal: the run ends with its status, the terminal is given back and the
// run's temporary directory is gone.
TEST(TerminalInterruptTest, CtrlCEndsATerminalRunCleanly) {
    if (std::system("command -v tmux >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "tmux is not installed";
    SetupMedium medium;
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT="));
    medium.WriteFile(1, "F.TXT", "f");
    std::string socket = "veltrix-e2e-" + std::to_string(getpid());
    auto tmux = [&](const std::string& arguments) {
        std::string command = "tmux -u -L " + socket + " " + arguments + " 2>/dev/null";
        std::string output;
        if (FILE* pipe = popen(command.c_str(), "r")) {
            char buffer[4096];
            size_t got;
            while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
                output.append(buffer, got);
            pclose(pipe);
        }
        return output;
    };
    auto waitFor = [&](const std::string& text) {
        for (int i = 0; i < 400; ++i) {
            if (tmux("capture-pane -p -t e2e").find(text) != std::string::npos)
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return false;
    };
    std::string program = std::string(VELTRIX_SETUP_EXE) + " --ui tui --lang JPN --media " +
                          medium.DiskDir(1) + " --prefix " + medium.Prefix() + " --transcript " +
                          medium.Prefix() + ".transcript";
    tmux("-f /dev/null new-session -d -x 100 -y 30 -s e2e \"" + program +
         " 2>/dev/null; echo CHILD-EXIT \\$?; sleep 60\"");
    ASSERT_TRUE(waitFor("よろしいですか")) << tmux("capture-pane -p -t e2e");
    EXPECT_TRUE(HostFileExists(medium.DriveC("windows/TEMP0")));
    tmux("send-keys -t e2e C-c");
    EXPECT_TRUE(waitFor("CHILD-EXIT 75")) << tmux("capture-pane -p -t e2e");
    EXPECT_EQ("0\n", tmux("display -p -t e2e '#{alternate_on}'"));
    tmux("kill-server");
    EXPECT_TRUE(Leftovers(medium.DriveC("windows")).empty());
    EXPECT_NE(std::string::npos, ReadHostFile(medium.Prefix() + ".transcript")
                                     .find("end: status 75 (interrupted by SIGINT)"));
}

// The program run directly, with nothing added to its command line; its exit status.
int RunProgram(const std::string& arguments) {
    std::string command;
    for (const std::string& word : E2eWrapper())
        command += word + " ";
    command +=
        std::string(VELTRIX_SETUP_EXE) + " " + arguments + " </dev/null >/dev/null 2>/dev/null";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(CommandLineFaultTest, AnswersFilesThatAreNotSmallRegularFilesAreRefused) {
    SetupMedium medium;
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT="));
    medium.WriteFile(1, "F.TXT", "f");
    TempDir work;
    std::string fifo = work / "answers.fifo";
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    std::string large = work / "large.txt";
    {
        std::ofstream out(large);
        std::string line = "# " + std::string(1000, 'x') + "\n";
        for (int i = 0; i < 1100; ++i)
            out << line;
    }
    const struct {
        std::string answers;
        int status;
    } cases[] = {{"/dev/zero", 66}, {work.path(), 66}, {fifo, 66}, {large, 65}};
    for (const auto& c : cases) {
        SetupResult result = medium.Run({"--answers", c.answers});
        EXPECT_EQ(c.status, result.status) << c.answers;
        EXPECT_NE(std::string::npos, result.errors.find("answers file")) << result.errors;
    }
}

TEST(CommandLineFaultTest, AnUnwritableTranscriptAndAnUnknownLanguage) {
    SetupMedium medium;
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:F.TXT="));
    medium.WriteFile(1, "F.TXT", "f");
    std::string common =
        "--ui headless --silent --media " + medium.DiskDir(1) + " --prefix " + medium.Prefix();
    EXPECT_EQ(0, RunProgram(common + " --transcript /dev/null"));
    EXPECT_EQ(73, RunProgram(common + " --transcript /dev/full"));
    EXPECT_EQ(64, RunProgram(common + " --lang XYZ"));
}

} // namespace
