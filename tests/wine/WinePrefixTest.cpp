// The sample installed into a prefix that Wine made (wineboot), as a Linux user's prefix is, and
// checked with Wine itself. Wine is slow to start, so the prefix is made once and copied for each
// test, and every Wine command runs under a time limit; the tests are skipped, saying why, where
// Wine is not installed.
#include "TempDir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <string>

namespace fs = std::filesystem;

namespace {

struct Shell {
    int status = -1;
    std::string output; // standard output and standard error together
};

Shell RunShell(const std::string& command) {
    Shell result;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return result;
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        result.output.append(buffer, got);
    int status = pclose(pipe);
    result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

// Wine's commands for a prefix: quiet, and never waiting longer than seconds.
std::string Wine(const std::string& prefix, const std::string& command, int seconds = 120) {
    return "env WINEPREFIX=" + Quote(prefix) + " WINEDEBUG=-all timeout -k 5 " +
           std::to_string(seconds) + " " + command;
}

bool HaveWine(std::string& missing) {
    for (const char* tool : {"wine", "wineboot", "wineserver", "xvfb-run"}) {
        if (RunShell(std::string("command -v ") + tool + " >/dev/null").status != 0) {
            missing = tool;
            return false;
        }
    }
    return true;
}

// A prefix made by wineboot, once for all tests of the build (each test copies it). Empty with
// the reason in why when Wine cannot make one.
std::string BootedPrefix(std::string& why) {
    static std::string s_prefix;
    static std::string s_why;
    if (!s_prefix.empty() || !s_why.empty()) {
        why = s_why;
        return s_prefix;
    }
    std::string missing;
    if (!HaveWine(missing)) {
        s_why = "Wine is not installed (" + missing +
                " is missing; scripts/install-deps.sh installs wine, wine64 and xvfb)";
        why = s_why;
        return std::string();
    }
    std::string version = RunShell("timeout 30 wine --version 2>/dev/null | tail -n 1").output;
    while (!version.empty() && (version.back() == '\n' || version.back() == '\r'))
        version.pop_back();
    for (char& c : version)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '.')
            c = '-';
    std::string dir = std::string(VELTRIX_BINARY_DIR) + "/tests/wine-prefix-" + version;
    // Test programs run side by side: one makes the prefix, the others wait for it.
    int lock = open((dir + ".lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (lock >= 0)
        flock(lock, LOCK_EX);
    if (!fs::exists(dir + "/system.reg")) {
        std::string building = dir + ".new";
        fs::remove_all(building);
        Shell boot = RunShell(
            Wine(building, "env WINEDLLOVERRIDES=mscoree,mshtml= xvfb-run -a wineboot -i", 300));
        // The server writes the registry when it ends.
        RunShell(Wine(building, "wineserver -w", 120));
        if (!fs::exists(building + "/system.reg")) {
            s_why = "wineboot could not make a prefix (status " + std::to_string(boot.status) +
                    "): " + boot.output.substr(0, 2000);
            RunShell(Wine(building, "wineserver -k", 30));
        } else {
            fs::rename(building, dir);
        }
    }
    if (lock >= 0)
        close(lock);
    if (s_why.empty())
        s_prefix = dir;
    why = s_why;
    return s_prefix;
}

// Every key block ("[path] time" up to the blank line) of a registry file, by its path.
std::map<std::string, std::string> KeyBlocks(const std::string& text) {
    std::map<std::string, std::string> blocks;
    size_t at = text.find("\n[");
    while (at != std::string::npos) {
        size_t end = text.find("\n\n", at + 1);
        std::string block = text.substr(at + 1, end == std::string::npos ? end : end - at);
        blocks[block.substr(0, block.find("] "))] = block;
        at = end == std::string::npos ? end : text.find("\n[", end);
    }
    return blocks;
}

// The entries of a directory with the targets of its links, as "name -> target".
std::string Listing(const std::string& dir) {
    std::map<std::string, std::string> entries;
    for (const auto& entry : fs::directory_iterator(dir)) {
        std::error_code failure;
        fs::path target = fs::read_symlink(entry.path(), failure);
        entries[entry.path().filename().string()] = failure ? "" : target.string();
    }
    std::string text;
    for (const auto& [name, target] : entries)
        text += name + " -> " + target + "\n";
    return text;
}

class WinePrefixTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string why;
        std::string booted = BootedPrefix(why);
        if (booted.empty())
            GTEST_SKIP() << why;
        fs::copy(booted, Prefix(), fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        // The user's own drive D: (a data folder), which the run must not take over.
        fs::create_directories(m_dir / "data");
        fs::create_symlink(m_dir / "data", Prefix() + "/dosdevices/d:");
    }
    void TearDown() override {
        if (fs::exists(Prefix()))
            RunShell(Wine(Prefix(), "wineserver -k", 30));
    }

    std::string Prefix() const { return m_dir / "prefix"; }

    // The sample, installed unattended into $WINEPREFIX (no --prefix).
    Shell InstallSample(const std::string& extra = "") const {
        std::string examples = std::string(VELTRIX_BINARY_DIR) + "/examples";
        return RunShell("env -u VELTRIX_PREFIX WINEPREFIX=" + Quote(Prefix()) +
                        " timeout -k 5 120 " + Quote(VELTRIX_SETUP_EXE) +
                        " --ui headless --silent --media " + Quote(examples + "/disk1") +
                        " --disk 2=" + Quote(examples + "/disk2") + extra);
    }

    TempDir m_dir;
};

TEST_F(WinePrefixTest, TheSampleLandsWhereA32BitProgramLooksAndWhatWineWroteStays) {
    std::string before = ReadHostFile(Prefix() + "/system.reg");
    std::string userBefore = ReadHostFile(Prefix() + "/user.reg");
    ASSERT_NE(std::string::npos, before.find("\n#arch=win64\n"));
    std::string prefixBefore = Listing(Prefix());
    std::string drivesBefore = Listing(Prefix() + "/dosdevices");

    Shell run = InstallSample();
    ASSERT_EQ(4, run.status) << run.output; // the sample asks for a restart
    EXPECT_NE(std::string::npos, run.output.find("), prefix " + Prefix() + "\n")) << run.output;

    // Nothing of the run is left in the prefix: the user's D: is as it was, no lock, no records.
    EXPECT_EQ(drivesBefore, Listing(Prefix() + "/dosdevices"));
    EXPECT_EQ(prefixBefore, Listing(Prefix()));

    // Every key the run did not write keeps every byte, and so does the header: two keys are
    // new in system.reg, the sample's HKEY_CURRENT_USER key in user.reg.
    auto expectOnlyAdded = [](const std::string& before, const std::string& after,
                              size_t added) {
        EXPECT_EQ(before.substr(0, before.find("\n[")), after.substr(0, after.find("\n[")));
        auto oldKeys = KeyBlocks(before);
        auto newKeys = KeyBlocks(after);
        size_t changed = 0;
        for (const auto& [path, block] : oldKeys) {
            auto found = newKeys.find(path);
            bool same = found != newKeys.end() && found->second == block;
            EXPECT_TRUE(same) << path;
            if (!same && ++changed > 5)
                break;
        }
        EXPECT_EQ(oldKeys.size() + added, newKeys.size());
    };
    expectOnlyAdded(before, ReadHostFile(Prefix() + "/system.reg"), 2);
    std::string userAfter = ReadHostFile(Prefix() + "/user.reg");
    expectOnlyAdded(userBefore, userAfter, 1);
    EXPECT_NE(std::string::npos, userAfter.find("\n[Software\\\\Veltrix\\\\Sample] "));

    // WOW64: the System directory is syswow64 on disk, HKLM\Software and HKCR the 32-bit views.
    std::string windows = Prefix() + "/drive_c/windows";
    EXPECT_TRUE(HostFileExists(windows + "/syswow64/VXSAMPLE.DLL"));
    EXPECT_FALSE(HostFileExists(windows + "/system32/VXSAMPLE.DLL"));
    Shell query =
        RunShell(Wine(Prefix(), "sh -c \"wine reg query 'HKLM\\\\Software\\\\Veltrix\\\\Sample' "
                                "/reg:32; wine reg query 'HKCR\\\\Veltrix.SampleDocument' "
                                "/reg:32; wine reg query 'HKCR\\\\Veltrix.SampleDocument' "
                                "/reg:64 || echo 64-bit-classes-have-none\""));
    EXPECT_NE(std::string::npos, query.output.find("C:\\VXSAMPLE")) << query.output;
    EXPECT_NE(std::string::npos, query.output.find("Veltrix Sample Document")) << query.output;
    EXPECT_NE(std::string::npos, query.output.find("64-bit-classes-have-none")) << query.output;
}

TEST_F(WinePrefixTest, ARunningWineServerIsRefusedBeforeAnythingChangesOrWaitedFor) {
    std::string before = ReadHostFile(Prefix() + "/system.reg");
    std::string drivesBefore = Listing(Prefix() + "/dosdevices");
    ASSERT_EQ(0, RunShell(Wine(Prefix(), "wineserver -p", 30) + " >/dev/null").status);

    Shell refused = InstallSample();
    EXPECT_EQ(73, refused.status) << refused.output;
    EXPECT_NE(std::string::npos, refused.output.find("Wine is running")) << refused.output;
    EXPECT_EQ(before, ReadHostFile(Prefix() + "/system.reg"));
    EXPECT_EQ(drivesBefore, Listing(Prefix() + "/dosdevices"));
    EXPECT_FALSE(HostFileExists(Prefix() + "/drive_c/windows/syswow64/VXSAMPLE.DLL"));

    // Asked to wait, the run goes on once the server has ended.
    RunShell("(sleep 2; " + Wine(Prefix(), "wineserver -k", 30) + ") >/dev/null 2>&1 &");
    Shell waited = InstallSample(" --wine-wait 60");
    EXPECT_EQ(4, waited.status) << waited.output;
    EXPECT_TRUE(HostFileExists(Prefix() + "/drive_c/windows/syswow64/VXSAMPLE.DLL"));
}

} // namespace
