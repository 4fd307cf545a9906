// The prefix's registry files themselves: files Wine wrote are read and kept, a file is replaced
// whole or not at all, and a damaged file is reported and left alone.
#include "RegistryMachine.h"

#include <registry/Registry.h>

#include <csignal>
#include <filesystem>
#include <cstdio>
#include <random>
#include <sys/resource.h>

namespace {

class RegistryFileTest : public RegistryMachine {};

// Hex bytes of a UTF-16 text as Wine writes REG_LINK data, wrapped as Wine wraps them.
std::string LinkHex(const std::string& target) {
    std::string out = "\"SymbolicLinkValue\"=hex(6):";
    size_t count = out.size();
    for (size_t i = 0; i < target.size() * 2; ++i) {
        char buffer[4];
        std::snprintf(buffer, sizeof buffer, "%02x",
                      i % 2 ? 0 : static_cast<unsigned char>(target[i / 2]));
        out += buffer;
        count += 2;
        if (i + 1 < target.size() * 2) {
            out += ',';
            if (++count > 76) {
                out += "\\\n  ";
                count = 2;
            }
        }
    }
    return out + "\n";
}

// A system.reg as Wine leaves it in a prefix, with the lines our own files never have.
std::string WineSystemReg() {
    return "WINE REGISTRY Version 2\n"
           ";; All keys relative to \\\\Machine\n"
           "\n"
           ";; a comment that is not the root line\n"
           "#arch=win32\n"
           "\n"
           "[Software\\\\Classes\\\\.txt] 1599999999\n"
           "#time=1d6a1b2c3d4e5f6\n"
           "@=\"txtfile\"\n"
           "\"Content Type\"=\"text/plain\"\n"
           "\n"
           "[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\command] 1599999999\n"
           "@=str(2):\"%SystemRoot%\\\\system32\\\\notepad.exe %1\"\n"
           "\n"
           "[Software\\\\Wine\\\\Drives] 1599999999\n"
           "#time=1d6a1b2c3d4e5f6\n"
           "#class=\"Drive Letters\"\n"
           "\"c:\"=\"hd\"\n"
           "\"List\"=str(7):\"one\\0two\\0\"\n"
           "\"Multi\"=hex(7):6f,00,6e,00,65,00,00,00,74,00,77,00,6f,00,00,00,00,\\\n"
           "  00\n"
           "\"Time\"=dword:5f4d3c2b\n"
           "\"Plain\"=str:\"plain\"\n"
           "\"Wide\"=\"\\x30c6 caf\\x00e9a\"\n"
           "\"Utf8\"=\"caf\xc3\xa9\"\n"
           "\n"
           "[System\\\\ControlSet001\\\\Services\\\\Wine] 1599999999\n"
           "\n"
           "[System\\\\CurrentControlSet] 1599999999\n"
           "#time=1d6a1b2c3d4e5f6\n"
           "#link\n" +
           LinkHex("\\Registry\\Machine\\System\\ControlSet001");
}

TEST_F(RegistryFileTest, FilesWineWroteAreRead) {
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg"), WineSystemReg()));
    Start();
    DWORD type = 0;
    LONG error = 0;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, ".TXT", 0, KEY_READ, &key));
    EXPECT_EQ(std::string("txtfile\0", 8), QueryBytes(key, nullptr, type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_SZ), type);
    EXPECT_EQ(std::string("text/plain\0", 11), QueryBytes(key, "content type", type, error));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CLASSES_ROOT, "txtfile\\shell\\open\\command", 0, KEY_READ, &key));
    EXPECT_EQ(std::string("%SystemRoot%\\system32\\notepad.exe %1\0", 37),
              QueryBytes(key, "", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_EXPAND_SZ), type);
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine\\Drives", 0, KEY_READ, &key));
    EXPECT_EQ(std::string("one\0two\0\0", 9), QueryBytes(key, "List", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(std::string("one\0two\0\0", 9), QueryBytes(key, "Multi", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_MULTI_SZ), type);
    EXPECT_EQ(std::string("\x2b\x3c\x4d\x5f", 4), QueryBytes(key, "Time", type, error));
    EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
    EXPECT_EQ(std::string("plain\0", 6), QueryBytes(key, "Plain", type, error));
    // U+30C6 has no counterpart in code page 1252.
    EXPECT_EQ(std::string("? caf\xe9"
                          "a\0",
                          8),
              QueryBytes(key, "Wide", type, error));
    EXPECT_EQ(std::string("caf\xe9\0", 5), QueryBytes(key, "Utf8", type, error));
    RegCloseKey(key);

    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Wine", 0, KEY_READ, &key));
    char name[32];
    DWORD nameLength = sizeof name;
    char className[32];
    DWORD classLength = sizeof className;
    FILETIME time{};
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumKeyExA(key, 0, name, &nameLength, nullptr, className, &classLength, &time));
    EXPECT_EQ("Drives", std::string(name));
    EXPECT_EQ("Drive Letters", std::string(className));
    EXPECT_EQ(0x1d6a1b2u, time.dwHighDateTime);
    EXPECT_EQ(0xc3d4e5f6u, time.dwLowDateTime);
    RegCloseKey(key);

    // Wine's current control set is a link to the set in use.
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\Wine", 0,
                            KEY_READ, &key));
    RegCloseKey(key);
}

// A key the run did not write keeps every byte Wine wrote (name, time stamps, class, values
// and their order), and so does the header.
TEST_F(RegistryFileTest, RewritingAWineFileKeepsWhatItHeld) {
    std::string original = WineSystemReg();
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg"), original));
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New Co", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    // A key that was written is written from memory, in the form Wine writes.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.txt", 0,
                                           KEY_ALL_ACCESS, &key));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "Extra", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    std::string system = ReadReg("system.reg");

    size_t firstKey = original.find("\n[");
    EXPECT_EQ(original.substr(0, firstKey + 1), system.substr(0, firstKey + 1));
    for (const char* untouched :
         {"[Software\\\\Classes\\\\txtfile\\\\shell\\\\open\\\\command] ",
          "[Software\\\\Wine\\\\Drives] ", "[System\\\\CurrentControlSet] "}) {
        size_t at = original.find(std::string("\n") + untouched);
        ASSERT_NE(std::string::npos, at) << untouched;
        std::string block = original.substr(at, original.find("\n\n", at + 1) - at + 1);
        EXPECT_NE(std::string::npos, system.find(block)) << block << "\nnot in\n" << system;
    }
    std::vector<std::string> lines = KeyLines(system, "Software\\\\Classes\\\\.txt");
    std::vector<std::string> expected = {"@=\"txtfile\"", "\"Content Type\"=\"text/plain\"",
                                         "\"Extra\"=\"y\""};
    EXPECT_EQ(expected, lines);
    EXPECT_EQ(std::string::npos, system.find("[Software\\\\Classes\\\\.txt] 1599999999"));
    EXPECT_TRUE(HasKey(system, "System\\\\ControlSet001\\\\Services\\\\Wine"));
    EXPECT_TRUE(HasKey(system, "Software\\\\New Co"));

    // What we write reads back the same and is written again unchanged.
    Start();
    HKEY touched = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New Co", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &touched, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(touched, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(touched));
    std::string again = ReadReg("system.reg");
    auto withoutNewCo = [](std::string text) {
        size_t at = text.find("\n[Software\\\\New Co] ");
        size_t end = text.find("\n\n", at + 1);
        return text.erase(at, end - at);
    };
    EXPECT_EQ(withoutNewCo(system), withoutNewCo(again));
}

TEST_F(RegistryFileTest, SoftwareOfA64BitPrefixIsSeenThroughWow6432Node) {
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg"),
                              "WINE REGISTRY Version 2\n"
                              ";; All keys relative to \\\\Machine\n\n"
                              "#arch=win64\n\n"
                              "[Software\\\\Classes\\\\.txt] 1600000000\n"
                              "@=\"txtfile\"\n\n"
                              "[Software\\\\Wow6432Node\\\\Vendor32] 1600000000\n"
                              "\"Bits\"=dword:00000020\n\n"
                              "[Software\\\\Vendor64] 1600000000\n"
                              "\"Bits\"=dword:00000040\n"));
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor32", 0, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Vendor64", 0, KEY_READ, &key));
    // The classes are shared.
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CLASSES_ROOT, ".txt", 0, KEY_READ, &key));
    RegCloseKey(key);

    HKEY software = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0,
                                           KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &software));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(software, "New Co", 0, nullptr, 0, KEY_SET_VALUE,
                                             nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "v", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2));
    RegCloseKey(key);
    RegCloseKey(software);
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "Sample.Document", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);

    std::string system = ReadReg("system.reg");
    EXPECT_NE(std::string::npos, system.find("\n#arch=win64\n"));
    EXPECT_TRUE(HasKey(system, "Software\\\\Wow6432Node\\\\New Co"));
    EXPECT_FALSE(HasKey(system, "Software\\\\New Co"));
    EXPECT_TRUE(HasKey(system, "Software\\\\Classes\\\\Sample.Document"));
}

// On a 64-bit prefix laid out as Wine lays it out, the installer is a 32-bit program under
// WOW64: its classes are the 32-bit ones and its System directory is syswow64 on disk. On a
// 32-bit prefix with the same keys nothing is redirected.
TEST_F(RegistryFileTest, A32BitProgramSeesThe32BitClassesAndSystemDirectoryOnlyOnA64BitPrefix) {
    for (const std::string arch : {"win64", "win32"}) {
        SCOPED_TRACE(arch);
        if (host::MachineStarted())
            Stop();
        std::filesystem::remove_all(Prefix());
        ASSERT_TRUE(
            WriteHostFile(RegFile("system.reg"),
                          "WINE REGISTRY Version 2\n"
                          ";; All keys relative to \\\\Machine\n\n"
                          "#arch=" +
                              arch +
                              "\n\n"
                              "[Software\\\\Classes\\\\Wow6432Node\\\\CLSID] 1600000000\n\n"
                              "[Software\\\\Wow6432Node\\\\Classes] 1600000000\n#link\n" +
                              LinkHex("\\REGISTRY\\Machine\\Software\\Classes\\Wow6432Node")));
        Start();
        HKEY key = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CLASSES_ROOT, "Sample.Document", 0, nullptr,
                                                 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
        RegCloseKey(key);
        HANDLE file = CreateFileA("C:\\WINDOWS\\SYSTEM32\\SAMPLE.DLL", GENERIC_WRITE, 0, nullptr,
                                  CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, file);
        CloseHandle(file);
        std::string system = ReadReg("system.reg");
        std::string windows = Prefix() + "/drive_c/windows/";
        bool wow64 = arch == "win64";
        EXPECT_EQ(wow64, HasKey(system, "Software\\\\Classes\\\\Wow6432Node\\\\Sample.Document"));
        EXPECT_EQ(!wow64, HasKey(system, "Software\\\\Classes\\\\Sample.Document"));
        EXPECT_EQ(wow64, HostFileExists(windows + "syswow64/SAMPLE.DLL"));
        EXPECT_EQ(!wow64, HostFileExists(windows + "system32/SAMPLE.DLL"));
    }
}

// A key deeper than the system allows is refused, so that no file is written that the loader
// would take for damaged.
TEST_F(RegistryFileTest, KeysNestDeeperThan512LevelsNever) {
    Start();
    HKEY key = HKEY_CURRENT_USER;
    LONG result = ERROR_SUCCESS;
    int depth = 0;
    while (result == ERROR_SUCCESS && depth < 600) {
        HKEY child = nullptr;
        result = RegCreateKeyExA(key, "K", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, nullptr);
        if (result == ERROR_SUCCESS) {
            ++depth;
            key = child;
        }
    }
    EXPECT_EQ(ERROR_INVALID_PARAMETER, result);
    EXPECT_EQ(512, depth);
    Stop();
    Start();
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "K\\K\\K", 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryFileTest, AFullDiskLeavesTheOldFile) {
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Disk Co", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "small", 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    std::string before = ReadReg("user.reg");
    ASSERT_NE(std::string::npos, before.find("\"small\"=\"x\""));

    // The host refuses to let a file grow past a limit, as a full disk does.
    std::vector<BYTE> big(100000, 0xAB);
    struct rlimit old {};
    ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
    auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit limit = old;
    limit.rlim_cur = before.size() + 4096;
    ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &limit));
    LONG setResult = RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Disk Co", 0, KEY_ALL_ACCESS, &key);
    if (setResult == ERROR_SUCCESS)
        setResult =
            RegSetValueExA(key, "big", 0, REG_BINARY, big.data(), static_cast<DWORD>(big.size()));
    testing::internal::CaptureStderr();
    LONG closeResult = RegCloseKey(key);
    bool flushed = host::FlushRegistry();
    std::string message = testing::internal::GetCapturedStderr();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);

    EXPECT_EQ(ERROR_SUCCESS, setResult);
    EXPECT_EQ(ERROR_SUCCESS, closeResult); // closing a key writes nothing
    EXPECT_FALSE(flushed);
    EXPECT_TRUE(host::RegistryEntriesLost());
    EXPECT_NE(std::string::npos, message.find(RegFile("user.reg"))) << message;
    EXPECT_EQ(before, ReadHostFile(RegFile("user.reg")));
    EXPECT_TRUE(StrayFiles().empty());

    // With room again, the change that stayed in memory is written.
    EXPECT_TRUE(host::FlushRegistry());
    std::string after = ReadReg("user.reg");
    EXPECT_NE(std::string::npos, after.find("\"big\"=hex:ab,ab,ab"));
    EXPECT_NE(std::string::npos, after.find("\"small\"=\"x\""));
    EXPECT_TRUE(StrayFiles().empty());
}

TEST_F(RegistryFileTest, NewFilesLeftByAnInterruptedRunAreRemoved) {
    Start();
    host::LoadRegistry();
    Stop();
    std::string before = ReadReg("user.reg");
    ASSERT_TRUE(WriteHostFile(RegFile("user.reg.new-a1B2c3"), "half a file"));
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg.new-Zz9Yy8"), "WINE REGISTRY Version 2\n"));
    ASSERT_TRUE(WriteHostFile(RegFile("notes.reg.new-a1B2c3"), "not ours"));
    Start();
    host::LoadRegistry();
    EXPECT_FALSE(HostFileExists(RegFile("user.reg.new-a1B2c3")));
    EXPECT_FALSE(HostFileExists(RegFile("system.reg.new-Zz9Yy8")));
    EXPECT_TRUE(HostFileExists(RegFile("notes.reg.new-a1B2c3")));
    EXPECT_EQ(before, ReadReg("user.reg"));
}

TEST_F(RegistryFileTest, ChangesReachTheFileAtFlushOrStopOnly) {
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Open Co", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "kept", 0, REG_SZ, reinterpret_cast<const BYTE*>("y"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    // Changes reach the file together, not one by one.
    EXPECT_EQ(std::string::npos, ReadHostFile(RegFile("user.reg")).find("kept"));
    Stop();
    EXPECT_NE(std::string::npos, ReadReg("user.reg").find("\"kept\"=\"y\""));
    // The handle died with the machine.
    Start();
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Open Co", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "dropped", 0, REG_SZ, reinterpret_cast<const BYTE*>("z"), 2));
    // A run that ends before its entries are complete leaves the file as it was.
    host::DiscardRegistryChanges();
    Stop();
    EXPECT_EQ(std::string::npos, ReadHostFile(RegFile("user.reg")).find("dropped"));
}

struct Damage {
    const char* name;
    std::string text;
    int line;
};

void PrintTo(const Damage& damage, std::ostream* out) {
    *out << damage.name;
}

class DamagedFileTest : public RegistryFileTest, public ::testing::WithParamInterface<Damage> {};

TEST_P(DamagedFileTest, IsReportedAndLeftAlone) {
    const Damage& damage = GetParam();
    ASSERT_TRUE(WriteHostFile(RegFile("system.reg"), damage.text));
    testing::internal::CaptureStderr();
    Start();
    host::LoadRegistry();
    std::string message = testing::internal::GetCapturedStderr();
    EXPECT_NE(std::string::npos, message.find(RegFile("system.reg"))) << message;
    EXPECT_NE(std::string::npos, message.find("line " + std::to_string(damage.line))) << message;

    HKEY key = nullptr;
    EXPECT_EQ(ERROR_BADDB, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BADDB, RegOpenKeyExA(HKEY_LOCAL_MACHINE, nullptr, 0, KEY_READ, &key));
    EXPECT_EQ(ERROR_BADDB, RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\New", 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_BADDB, RegCreateKeyExA(HKEY_CLASSES_ROOT, "Sample.Document", 0, nullptr, 0,
                                           KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_BADDB, RegSetValueExA(HKEY_LOCAL_MACHINE, "x", 0, REG_SZ,
                                          reinterpret_cast<const BYTE*>("x"), 2));
    // Entries refused for a damaged file are entries lost.
    EXPECT_TRUE(host::RegistryEntriesLost());
    // The other files are in order.
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fine", 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_TRUE(host::FlushRegistry());
    Stop();
    EXPECT_EQ(damage.text, ReadReg("system.reg"));
    EXPECT_TRUE(StrayFiles().empty());
}

const char kHead[] = "WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n";

// A key line levels deep, with a value.
std::string DeepKey(int levels) {
    std::string line = "[K";
    for (int i = 1; i < levels; ++i)
        line += "\\\\K";
    return line + "] 1\n\"a\"=\"b\"\n";
}

INSTANTIATE_TEST_SUITE_P(
    Registry, DamagedFileTest,
    ::testing::Values(
        Damage{"Empty", "", 1}, Damage{"NoHeader", "[Software] 1\n", 1},
        Damage{"OtherVersion", "WINE REGISTRY Version 1\n", 1},
        Damage{"UnterminatedString", std::string(kHead) + "[Software] 1\n\"a\"=\"b\n", 5},
        Damage{"UnclosedKey", std::string(kHead) + "[Software\\\\Classes 1\n", 4},
        Damage{"ValueBeforeKey", std::string(kHead) + "\"a\"=\"b\"\n", 4},
        Damage{"BadDword", std::string(kHead) + "[Software] 1\n\"a\"=dword:12345678x\n", 5},
        Damage{"BadHex", std::string(kHead) + "[Software] 1\n\"a\"=hex:01,zz\n", 5},
        Damage{"CutContinuation", std::string(kHead) + "[Software] 1\n\"a\"=hex:01,\\\n", 5},
        Damage{"Garbage", std::string(kHead) + "[Software] 1\nrandom words\n", 5},
        Damage{"ZeroByte", std::string(kHead) + "[Software] 1\n\"a\"=\"b\0\"\n", 5},
        Damage{"EmptyKeyName", std::string(kHead) + "[Software\\\\\\\\X] 1\n", 4},
        // Deeper than the system allows: at 50,000 levels, saving or freeing the tree by
        // recursion overflowed the stack.
        Damage{"KeyDeeperThan512Levels", std::string(kHead) + "[Software] 1\n\n" + DeepKey(513), 6},
        Damage{"Key50000LevelsDeep", std::string(kHead) + DeepKey(50000), 4}),
    [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

TEST_F(RegistryFileTest, MangledFilesNeverCrashTheLoader) {
    std::string good = WineSystemReg();
    std::mt19937 random(20240601);
    for (int round = 0; round < 40; ++round) {
        std::string text = good;
        int edits = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < edits; ++i) {
            size_t at = random() % text.size();
            switch (random() % 3) {
            case 0:
                text[at] = static_cast<char>(random() % 256);
                break;
            case 1:
                text.erase(at, 1 + random() % 20);
                break;
            default:
                text.insert(at, 1, "\\\"[]\n,:@#"[random() % 9]);
                break;
            }
            if (text.empty())
                text = "x";
        }
        ASSERT_TRUE(WriteHostFile(RegFile("system.reg"), text));
        testing::internal::CaptureStderr();
        Start();
        HKEY key = nullptr;
        LONG result = RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\After", 0, nullptr, 0,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr);
        if (result == ERROR_SUCCESS)
            RegCloseKey(key);
        Stop();
        std::string message = testing::internal::GetCapturedStderr();
        if (result == ERROR_BADDB) {
            EXPECT_EQ(text, ReadReg("system.reg"));
            EXPECT_NE(std::string::npos, message.find("damaged")) << message;
        } else {
            EXPECT_EQ(ERROR_SUCCESS, result) << message;
            EXPECT_TRUE(HasKey(ReadReg("system.reg"), "Software\\\\After"));
        }
    }
}

} // namespace
