// Media as authors make them: scripts past the profile reader's first list size, paths longer
// than the system takes, and the bundled sample on every system it is meant for.
#include "SetupRun.h"
#include "TestMedia.h"

#include <host/Machine.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>

namespace {

// Reads the registry the run left in the prefix through the registry API.
class PrefixRegistry {
  public:
    explicit PrefixRegistry(const SetupMedium& medium) {
        host::MachineOptions options;
        options.prefix = medium.Prefix();
        options.mediaDir = medium.DiskDir(1);
        options.language = "JPN";
        std::string error;
        m_started = host::StartMachine(options, error);
        EXPECT_TRUE(m_started) << error;
    }
    ~PrefixRegistry() {
        if (m_started)
            host::StopMachine();
    }

    // The value's type and bytes; type 0 when the key or value is missing.
    std::pair<DWORD, std::string> Value(HKEY root, const std::string& key,
                                        const std::string& name) const {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return {0, ""};
        DWORD type = 0;
        BYTE data[512];
        DWORD size = sizeof data;
        LONG status = RegQueryValueExA(opened, name.c_str(), nullptr, &type, data, &size);
        RegCloseKey(opened);
        if (status != ERROR_SUCCESS)
            return {0, ""};
        return {type, std::string(reinterpret_cast<char*>(data), size)};
    }
    bool HasKey(HKEY root, const std::string& key) const {
        HKEY opened = nullptr;
        if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS)
            return false;
        RegCloseKey(opened);
        return true;
    }

  private:
    bool m_started = false;
};

std::pair<DWORD, std::string> Text(const std::string& text) {
    return {REG_SZ, text + std::string(1, '\0')};
}
std::pair<DWORD, std::string> Dword(DWORD value) {
    return {REG_DWORD, std::string(reinterpret_cast<const char*>(&value), sizeof value)};
}

TEST(LongScriptTest, EveryLineOfSectionsPastThirtyTwoThousandBytesIsInstalled) {
    // Key lists well past 32,000 bytes: 3,000 [Files] lines, 1,800 [Registry] lines and 3,000
    // values of one key. Most lines are for Windows 95 and are dropped on this NT machine, so
    // the run stays short; every tenth file and every 200th key, spread over the whole list,
    // are installed.
    SetupMedium medium;
    std::string files;
    std::string registry;
    std::string values;
    char line[80];
    for (int i = 0; i < 3000; ++i) {
        std::snprintf(line, sizeof line, "1:F%05d.TXT%s=\n", i, i % 10 == 9 ? "" : ",WIN95");
        files += line;
        std::snprintf(line, sizeof line, "F%05d.TXT", i);
        medium.WriteFile(1, line, std::to_string(i));
        std::snprintf(line, sizeof line, "Value%05d=REG_DWORD,%d\n", i, i);
        values += line;
    }
    for (int i = 0; i < 1800; ++i) {
        std::snprintf(line, sizeof line, "VeltrixLong\\K%05d%s=HKEY_LOCAL_MACHINE,SOFTWARE\n", i,
                      i % 200 == 199 ? "" : ",WIN95");
        registry += line;
    }
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", files,
                                  "[Registry]\n" + registry + "[VeltrixLong\\K01799]\n" + values));

    SetupResult result = medium.Run(with(kJapanese, {"--silent", "--os", "nt4"}));
    EXPECT_EQ(0, result.status) << result.errors;
    int wrong = 0;
    for (int i = 0; i < 3000; ++i) {
        std::snprintf(line, sizeof line, "APP/F%05d.TXT", i);
        bool installed = HostFileExists(medium.DriveC(line));
        wrong += installed != (i % 10 == 9) ||
                 (installed && ReadHostFile(medium.DriveC(line)) != std::to_string(i));
    }
    EXPECT_EQ(0, wrong);

    PrefixRegistry registryOf(medium);
    for (int i = 199; i < 1800; i += 200) {
        std::snprintf(line, sizeof line, "SOFTWARE\\VeltrixLong\\K%05d", i);
        EXPECT_TRUE(registryOf.HasKey(HKEY_LOCAL_MACHINE, line)) << line;
    }
    EXPECT_EQ(Dword(2999),
              registryOf.Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\VeltrixLong\\K01799", "Value02999"));
}

TEST(LongPathTest, ASourcePathTooLongForTheSystemIsACopyError) {
    // D:\ and three directories of 100 characters: a source path of 311 characters, within
    // the installer's own buffers but past what the system opens.
    SetupMedium medium;
    std::string directory =
        std::string(100, 'A') + "\\" + std::string(100, 'B') + "\\" + std::string(100, 'C');
    std::string hostDirectory =
        std::string(100, 'A') + "/" + std::string(100, 'B') + "/" + std::string(100, 'C');
    medium.WriteScript(ScriptWith("DefaultDstPath=APP", "1:" + directory + "\\F.TXT="));
    medium.WriteFile(1, hostDirectory + "/F.TXT", "f");
    std::filesystem::create_directories(medium.DriveC("APP"));

    SetupResult result = medium.Run(with(kJapanese, {"--silent"}));
    EXPECT_EQ(1, result.status) << result.transcript;
    std::vector<std::string> messages = result.Lines("message");
    ASSERT_EQ(2u, messages.size()) << result.transcript;
    EXPECT_NE(std::string::npos, messages[0].find("ｺﾋﾟｰ中にｴﾗｰが発生しました。")) << messages[0];
    EXPECT_NE(std::string::npos, messages[1].find("ｾｯﾄｱｯﾌﾟを終了します。")) << messages[1];
    EXPECT_FALSE(result.Has("を次のﾊﾟｽにｾｯﾄしてください。")) << result.transcript;
}

// The bundled sample, assembled in the build directory, installed on each system its script
// targets: every file and every registry value it names.
class SampleMediumTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (int disk : {1, 2})
            std::filesystem::copy(m_sample + "/disk" + std::to_string(disk), m_medium.DiskDir(disk),
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
    }

    std::string sample(const std::string& relative) const {
        return ReadHostFile(m_sample + "/" + relative);
    }
    std::string source(const std::string& relative) const {
        return ReadHostFile(std::string(VELTRIX_SOURCE_DIR) + "/examples/" + relative);
    }

    const std::string m_sample = std::string(VELTRIX_BINARY_DIR) + "/examples";
    SetupMedium m_medium;
};

// How many lines a section of the sample script has, so that a line added to the script
// without a check here is noticed.
int SectionLines(const std::string& script, const std::string& section) {
    std::istringstream in(script);
    std::string line;
    bool inside = false;
    int count = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (!line.empty() && line[0] == '[')
            inside = line == "[" + section + "]";
        else if (inside && !line.empty() && line[0] != ';')
            ++count;
    }
    return count;
}

TEST_F(SampleMediumTest, EveryFileAndValueOnEachTargetSystem) {
    std::string script = source("disk1/INSTKIT.INF");
    ASSERT_EQ(7, SectionLines(script, "Files"));
    ASSERT_EQ(3, SectionLines(script, "Registry"));

    const struct {
        const char* os;
        const char* systemDir;
        const char* notes;
        int status;
    } systems[] = {{"win95", "windows/system", "disk1/NOTES/WIN95.TXT", 3},
                   {"nt31", "windows/system32", "disk1/NOTES/NT.TXT", 4},
                   {"nt35", "windows/system32", "disk1/NOTES/NT.TXT", 4},
                   {"nt351", "windows/system32", "disk1/NOTES/NT.TXT", 4},
                   {"nt4", "windows/system32", "disk1/NOTES/NT.TXT", 4}};
    for (const auto& system : systems) {
        SCOPED_TRACE(system.os);
        std::filesystem::remove_all(m_medium.Prefix());
        SetupResult result = m_medium.Run(
            with(kJapanese, {"--silent", "--os", system.os, "--disk", "2=" + m_medium.DiskDir(2)}));
        EXPECT_EQ(system.status, result.status) << result.transcript;

        // file on the medium or in the build, where the script installs it
        const std::pair<std::string, std::string> files[] = {
            {source("disk1/README.TXT"), "VXSAMPLE/README.TXT"},
            {source("src/SAMPLE.EXE"), "VXSAMPLE/SAMPLE.EXE"},
            {sample("work/VXSAMPLE.DLL"), std::string(system.systemDir) + "/VXSAMPLE.DLL"},
            {source(system.notes), "VXSAMPLE/NOTES/SYSTEM.TXT"},
            {source("src/SAMPLE.DAT"), "VXSAMPLE/DATA/SAMPLE.DAT"},
            {source("disk2/HELP.TXT"), "windows/HELP/HELP.TXT"}};
        for (const auto& file : files) {
            ASSERT_FALSE(file.first.empty()) << file.second;
            EXPECT_TRUE(file.first == ReadHostFile(m_medium.DriveC(file.second))) << file.second;
        }

        PrefixRegistry registry(m_medium);
        const std::string machineKey = "SOFTWARE\\Veltrix\\Sample";
        EXPECT_EQ(Text("C:\\VXSAMPLE"),
                  registry.Value(HKEY_LOCAL_MACHINE, machineKey, "InstallDir"));
        EXPECT_EQ(Dword(120), registry.Value(HKEY_LOCAL_MACHINE, machineKey, "Version"));
        EXPECT_EQ(std::make_pair(DWORD{REG_BINARY}, std::string("\x56\x58\x01\x00", 4)),
                  registry.Value(HKEY_LOCAL_MACHINE, machineKey, "Signature"));
        const std::string userKey = "Software\\Veltrix\\Sample";
        EXPECT_EQ(Dword(1), registry.Value(HKEY_CURRENT_USER, userKey, "ShowTips"));
        EXPECT_EQ(Text("C:\\VXSAMPLE\\DATA"),
                  registry.Value(HKEY_CURRENT_USER, userKey, "LastFolder"));
        bool nt4 = std::string(system.os) == "nt4";
        EXPECT_EQ(nt4 ? Text("Veltrix Sample Document") : std::make_pair(DWORD{0}, std::string()),
                  registry.Value(HKEY_CLASSES_ROOT, "Veltrix.SampleDocument", "Description"));
    }
}

} // namespace
