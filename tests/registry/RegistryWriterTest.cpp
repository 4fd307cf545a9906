// The registry writer: the script's registry entries and the version-warning record, written
// into a real prefix and read back from the API and from the registry files.
#include "RegistryMachine.h"

#include "engine/RegistryWriter.h"
#include "script/RegistryEntry.h"
#include "script/RegistryValue.h"
#include "script/SetupScript.h"

#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace {

class RegistryWriterTest : public RegistryMachine {
  protected:
    // An entry built from a [Registry] line and the lines of its section.
    static std::unique_ptr<CRegistryEntry>
    Entry(LPCSTR key, LPCSTR value, std::vector<std::pair<LPCSTR, LPCSTR>> lines = {}) {
        auto entry = std::make_unique<CRegistryEntry>(key, value);
        EXPECT_TRUE(entry->m_bValid) << key << "=" << value;
        for (const auto& line : lines)
            entry->AddValue(line.first, line.second);
        return entry;
    }

    static bool KeyExists(HKEY root, LPCSTR path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    static std::string Value(HKEY root, LPCSTR path, LPCSTR name, DWORD& type, LONG& error) {
        HKEY key = nullptr;
        error = RegOpenKeyExA(root, path, 0, KEY_READ, &key);
        if (error != ERROR_SUCCESS)
            return std::string();
        std::string data = QueryBytes(key, name, type, error);
        RegCloseKey(key);
        return data;
    }

    std::string SystemDir() {
        char buffer[MAX_PATH];
        UINT length = GetSystemDirectoryA(buffer, sizeof buffer);
        EXPECT_GT(length, 0u);
        return std::string(buffer, length);
    }

    // The host file of WINKELP.DLL in the system directory, with its size and times set.
    std::string PutDriverDll(size_t size, time_t accessed, time_t written) {
        std::string host = host::HostPathOf(SystemDir() + "\\WINKELP.DLL");
        EXPECT_FALSE(host.empty());
        EXPECT_TRUE(WriteHostFile(host, std::string(size, 'W')));
        struct timespec times[2] = {{accessed, 0}, {written, 0}};
        EXPECT_EQ(0, utimensat(AT_FDCWD, host.c_str(), times, 0));
        return host;
    }

    // Writes INSTKIT.INF on the medium and starts the machine; the script is read from it.
    std::unique_ptr<CSetupScript> LoadScript(const std::string& text, host::OsKind os) {
        EXPECT_TRUE(WriteHostFile(MediaDir() + "/INSTKIT.INF", text));
        Start(os);
        auto script = std::make_unique<CSetupScript>();
        EXPECT_TRUE(script->m_bLoaded);
        return script;
    }
};

const char kWarnVerKey[] = "System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs";

uint64_t FileTimeOf(time_t seconds) {
    return (static_cast<uint64_t>(seconds) + 11644473600ULL) * 10000000ULL;
}

uint32_t Dword(const std::string& data, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, data.data() + offset, 4);
    return value;
}

uint64_t Qword(const std::string& data, size_t offset) {
    return Dword(data, offset) | (static_cast<uint64_t>(Dword(data, offset + 4)) << 32);
}

TEST_F(RegistryWriterTest, MissingParentWritesNothing) {
    Start();
    auto entry =
        Entry("APPKEY", "HKEY_LOCAL_MACHINE,SOFTWARE\\No Such Co", {{"Path", "REG_SZ,C:\\APP"}});
    EXPECT_EQ(0, entry->WriteRegistryEntry());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\No Such Co"));
    Stop();
    EXPECT_EQ(std::string::npos, ReadReg("system.reg").find("No Such Co"));
}

TEST_F(RegistryWriterTest, KeyPathCreatesEveryLevelOnNt) {
    Start(host::OsKind::Nt4);
    auto entry = Entry("A\\B", "HKEY_LOCAL_MACHINE,SOFTWARE", {{"Count", "REG_DWORD,3"}});
    EXPECT_EQ(1, entry->WriteRegistryEntry());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\A"));
    std::vector<std::string> lines = KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\A\\\\B");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"Count\"=dword:00000003", lines[0]);
}

TEST_F(RegistryWriterTest, ValuesOfEveryTypeReachTheFile) {
    Start();
    auto entry = Entry("APPKEY", "HKEY_LOCAL_MACHINE,SOFTWARE",
                       {{"InstallDir", "REG_SZ,C:\\SAMPLE"},
                        {"Count", "REG_DWORD,-2"},
                        {"Pattern", "REG_BINARY,1,0,255"},
                        {"Empty", "REG_SZ"},
                        {"Nothing", "REG_BINARY"}});
    ASSERT_EQ(5, entry->m_valueList.GetCount());
    EXPECT_EQ(1, entry->WriteRegistryEntry());

    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(std::string("C:\\SAMPLE\0", 10),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "InstallDir", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("\xfe\xff\xff\xff", 4),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "Count", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("\x01\x00\xff", 3),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "Pattern", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    // An empty text is its terminating zero alone; empty binary data has no bytes.
    EXPECT_EQ(std::string(1, '\0'),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "Empty", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string(), Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "Nothing", type, error));
    EXPECT_EQ(ERROR_SUCCESS, error);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);

    std::vector<std::string> expected = {"\"InstallDir\"=\"C:\\\\SAMPLE\"",
                                         "\"Count\"=dword:fffffffe", "\"Pattern\"=hex:01,00,ff",
                                         "\"Empty\"=\"\"", "\"Nothing\"=hex:"};
    EXPECT_EQ(expected, KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\APPKEY"));
}

TEST_F(RegistryWriterTest, EachRootOfTheScript) {
    Start();
    auto classes = Entry("Sample.Document", "HKEY_CLASSES_ROOT", {{"Kind", "REG_SZ,doc"}});
    auto user = Entry("Sample Co", "HKEY_CURRENT_USER,Software", {{"Kind", "REG_SZ,user"}});
    auto users = Entry("Sample Co", "HKEY_USERS,.DEFAULT\\Software", {{"Kind", "REG_SZ,def"}});
    auto fallback = Entry("Sample Co", "HKLM,SOFTWARE", {{"Kind", "REG_SZ,machine"}});
    for (auto* entry : {classes.get(), user.get(), users.get(), fallback.get()})
        EXPECT_EQ(1, entry->WriteRegistryEntry());
    std::vector<std::string> expected = {"\"Kind\"=\"doc\""};
    EXPECT_EQ(expected, KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\Classes\\\\Sample.Document"));
    expected = {"\"Kind\"=\"user\""};
    EXPECT_EQ(expected, KeyLines(ReadReg("user.reg"), "Software\\\\Sample Co"));
    expected = {"\"Kind\"=\"def\""};
    EXPECT_EQ(expected, KeyLines(ReadReg("userdef.reg"), "Software\\\\Sample Co"));
    expected = {"\"Kind\"=\"machine\""};
    EXPECT_EQ(expected, KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\Sample Co"));
}

TEST_F(RegistryWriterTest, LaterValueOfTheSameNameWins) {
    Start();
    auto first = Entry("APPKEY", "HKEY_LOCAL_MACHINE,SOFTWARE",
                       {{"Mode", "REG_SZ,first"}, {"Keep", "REG_DWORD,1"}});
    auto second = Entry("appkey", "HKEY_LOCAL_MACHINE,software", {{"MODE", "REG_DWORD,2"}});
    EXPECT_EQ(1, first->WriteRegistryEntry());
    EXPECT_EQ(1, second->WriteRegistryEntry());
    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(std::string("\x02\0\0\0", 4),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\APPKEY", "Mode", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    std::vector<std::string> expected = {"\"Mode\"=dword:00000002", "\"Keep\"=dword:00000001"};
    EXPECT_EQ(expected, KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\APPKEY"));
}

TEST_F(RegistryWriterTest, EntryWithoutValuesStillMakesItsKey) {
    Start();
    auto entry = Entry("Bare", "HKEY_LOCAL_MACHINE,SOFTWARE");
    EXPECT_EQ(0, entry->WriteRegistryEntry());
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Bare"));
    EXPECT_TRUE(HasKey(ReadReg("system.reg"), "SOFTWARE\\\\Bare"));
}

TEST_F(RegistryWriterTest, ValueOfAnotherTypeIsNotWritten) {
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Typed", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    CRegistryValue value("Odd", "REG_SZ,text");
    ASSERT_TRUE(value.m_bValid);
    value.m_dwType = REG_EXPAND_SZ;
    EXPECT_FALSE(value.WriteRegistryValue(key));
    DWORD type = 0;
    LONG error = 0;
    QueryBytes(key, "Odd", type, error);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error);
    // A value the registry refuses is reported as such.
    value.m_dwType = REG_SZ;
    HKEY readOnly = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Typed", 0, KEY_READ, &readOnly));
    EXPECT_FALSE(value.WriteRegistryValue(readOnly));
    EXPECT_TRUE(value.WriteRegistryValue(key));
    RegCloseKey(readOnly);
    RegCloseKey(key);
}

TEST_F(RegistryWriterTest, DamagedFileFailsSilentlyAndStaysAsItWas) {
    const std::string damaged = "WINE REGISTRY Version 2\n[SOFTWARE] 1\n\"x\"=\"unterminated\n";
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg"), damaged));
    testing::internal::CaptureStderr();
    Start();
    auto entry = Entry("APPKEY", "HKEY_LOCAL_MACHINE,SOFTWARE", {{"Path", "REG_SZ,C:\\APP"}});
    EXPECT_EQ(0, entry->WriteRegistryEntry());
    auto user = Entry("APPKEY", "HKEY_CURRENT_USER,Software", {{"Path", "REG_SZ,C:\\APP"}});
    EXPECT_EQ(1, user->WriteRegistryEntry());
    Stop();
    testing::internal::GetCapturedStderr();
    EXPECT_EQ(damaged, ReadReg("system.reg"));
    EXPECT_TRUE(HasKey(ReadReg("user.reg"), "Software\\\\APPKEY"));
}

TEST_F(RegistryWriterTest, VersionWarningRecordByteForByte) {
    Start(host::OsKind::Win95);
    const time_t accessed = 946782245; // 2000-01-02 03:04:05 UTC
    const time_t written = 852076800;  // 1997-01-01 00:00:00 UTC
    PutDriverDll(1234, accessed, written);
    std::string path = SystemDir() + "\\WINKELP.DLL";
    RegisterWarnVerDll(path.c_str());

    DWORD type = 0;
    LONG error = 0;
    std::string record = Value(HKEY_LOCAL_MACHINE, kWarnVerKey, "WINKELP.DLL", type, error);
    ASSERT_EQ(ERROR_SUCCESS, error);
    EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
    ASSERT_EQ(320u, record.size());

    EXPECT_EQ(GetFileAttributesA(path.c_str()), Dword(record, 0));
    EXPECT_EQ(0u, Dword(record, 0) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_NE(0u, Qword(record, 4)); // created: whenever the host made the file
    EXPECT_EQ(FileTimeOf(accessed), Qword(record, 12));
    EXPECT_EQ(FileTimeOf(written), Qword(record, 20));
    EXPECT_EQ(0u, Dword(record, 28));
    EXPECT_EQ(1234u, Dword(record, 32));
    EXPECT_EQ(0u, Dword(record, 36));
    EXPECT_EQ(0u, Dword(record, 40));
    EXPECT_EQ(std::string("winkelp.dll") + std::string(260 - 11, '\0'), record.substr(44, 260));
    EXPECT_EQ(std::string("WINKELP.DLL\0\0\0", 14), record.substr(304, 14));
    EXPECT_EQ(std::string(2, '\0'), record.substr(318, 2));

    // The value is in system.reg as Wine writes binary data.
    std::vector<std::string> lines =
        KeyLines(ReadReg("system.reg"),
                 "System\\\\CurrentControlSet\\\\control\\\\SessionManager\\\\WarnVerDLLs");
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(0u, lines[0].find("\"WINKELP.DLL\"=hex:"));
}

TEST_F(RegistryWriterTest, VersionWarningNeedsTheFile) {
    Start(host::OsKind::Win95);
    std::string path = SystemDir() + "\\WINKELP.DLL";
    RegisterWarnVerDll(path.c_str());
    DWORD type = 0;
    LONG error = 0;
    Value(HKEY_LOCAL_MACHINE, kWarnVerKey, "WINKELP.DLL", type, error);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error);
}

TEST_F(RegistryWriterTest, VersionWarningKeyIsNotCreated) {
    // On NT the key does not exist, and it is not created.
    Start(host::OsKind::Nt4);
    PutDriverDll(10, 0, 0);
    std::string path = SystemDir() + "\\WINKELP.DLL";
    RegisterWarnVerDll(path.c_str());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kWarnVerKey));
}

const char kScriptHead[] = "[Setup]\r\n"
                           "InfRevision=1\r\n"
                           "TargetOS=1000F\r\n"
                           "Caption=Sample Setup\r\n"
                           "DefaultDstPath=SAMPLE\r\n";
const char kRegistrySections[] = "[Registry]\r\n"
                                 "FIRST=HKEY_LOCAL_MACHINE,SOFTWARE\r\n"
                                 "SECOND=HKEY_LOCAL_MACHINE,SOFTWARE\\No Such Co\r\n"
                                 "THIRD=HKEY_LOCAL_MACHINE,SOFTWARE\r\n"
                                 "[FIRST]\r\n"
                                 "Order=REG_DWORD,1\r\n"
                                 "[SECOND]\r\n"
                                 "Order=REG_DWORD,2\r\n"
                                 "[THIRD]\r\n"
                                 "Order=REG_DWORD,3\r\n";

TEST_F(RegistryWriterTest, WholeScriptOnWindows95WithTheDriverLibrary) {
    auto script = LoadScript(std::string(kScriptHead) +
                                 "[Files]\r\n"
                                 "1:WINKELP.DL_,WIN95=WINKELP.DLL,<SYS>,0,6\r\n" +
                                 kRegistrySections,
                             host::OsKind::Win95);
    ASSERT_TRUE(script->m_bDriverDllOnWin95);
    PutDriverDll(64, 0, 852076800);
    WriteRegistryEntries(*script);

    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(320u, Value(HKEY_LOCAL_MACHINE, kWarnVerKey, "WINKELP.DLL", type, error).size());
    EXPECT_EQ(std::string("\x01\0\0\0", 4),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\FIRST", "Order", type, error));
    EXPECT_EQ(std::string("\x03\0\0\0", 4),
              Value(HKEY_LOCAL_MACHINE, "SOFTWARE\\THIRD", "Order", type, error));
    // The entry whose parent is missing is skipped; the ones after it are still written.
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\No Such Co"));
    Stop();
    std::string system = ReadReg("system.reg");
    EXPECT_TRUE(HasKey(system, "SOFTWARE\\\\FIRST"));
    EXPECT_TRUE(HasKey(system, "SOFTWARE\\\\THIRD"));
}

TEST_F(RegistryWriterTest, WholeScriptWithoutTheMarkLeavesTheWarningKeyAlone) {
    auto script =
        LoadScript(std::string(kScriptHead) + "[Files]\r\n1:A.TXT=\r\n" + kRegistrySections,
                   host::OsKind::Win95);
    ASSERT_FALSE(script->m_bDriverDllOnWin95);
    PutDriverDll(64, 0, 0);
    WriteRegistryEntries(*script);
    DWORD type = 0;
    LONG error = 0;
    Value(HKEY_LOCAL_MACHINE, kWarnVerKey, "WINKELP.DLL", type, error);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\THIRD"));
}

TEST_F(RegistryWriterTest, MarkWithoutTheLibraryRecordsNothing) {
    auto script = LoadScript(std::string(kScriptHead) +
                                 "[Files]\r\n1:WINKELP.DL_,WIN95=WINKELP.DLL,<SYS>,0,6\r\n",
                             host::OsKind::Win95);
    ASSERT_TRUE(script->m_bDriverDllOnWin95);
    WriteRegistryEntries(*script);
    DWORD type = 0;
    LONG error = 0;
    Value(HKEY_LOCAL_MACHINE, kWarnVerKey, "WINKELP.DLL", type, error);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, error);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kWarnVerKey));
}

} // namespace
