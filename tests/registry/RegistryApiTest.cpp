// The registry API on a real prefix: what is written is read back, and lands in the prefix's
// registry files in the form Wine writes.
#include "RegistryMachine.h"

#include <registry/Registry.h>

#include <cstring>

namespace {

class RegistryApiTest : public RegistryMachine {};

HKEY Create(HKEY root, LPCSTR path, DWORD* disposition = nullptr, REGSAM access = KEY_ALL_ACCESS) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                             access, nullptr, &key, disposition))
        << path;
    return key;
}

LONG SetString(HKEY key, LPCSTR name, const std::string& text, DWORD type = REG_SZ) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

LONG SetBytes(HKEY key, LPCSTR name, DWORD type, const std::string& bytes) {
    return RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(bytes.data()),
                          static_cast<DWORD>(bytes.size()));
}

std::string Dword(DWORD value) {
    return std::string(reinterpret_cast<const char*>(&value), 4);
}

TEST_F(RegistryApiTest, NewPrefixHasTheKeysOfAFreshSystem) {
    Start(host::OsKind::Nt4);
    host::LoadRegistry();
    for (LPCSTR path : {"SOFTWARE", "Software\\Classes", "SYSTEM\\CurrentControlSet\\Services",
                        "SYSTEM\\CurrentControlSet\\Control"}) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &key))
            << path;
        RegCloseKey(key);
    }
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_READ, &key));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs", 0,
                            KEY_READ, &key))
        << "the version-warning key belongs to the Windows 95 family only";

    std::string system = ReadReg("system.reg");
    EXPECT_EQ(0u, system.find("WINE REGISTRY Version 2\n;; All keys relative to \\\\Machine\n\n"
                              "#arch=win32\n"))
        << system;
    EXPECT_TRUE(HasKey(system, "SOFTWARE\\\\Classes"));
    EXPECT_TRUE(HasKey(system, "SYSTEM\\\\ControlSet001\\\\Services"));
    EXPECT_EQ(0u, ReadReg("user.reg")
                      .find("WINE REGISTRY Version 2\n;; All keys relative to "
                            "\\\\User\\\\S-1-5-21-0-0-0-1000\n"));
    EXPECT_EQ(0u, ReadReg("userdef.reg")
                      .find("WINE REGISTRY Version 2\n;; All keys relative to "
                            "\\\\User\\\\.Default\n"));
}

TEST_F(RegistryApiTest, Windows95MachineHasTheVersionWarningKey) {
    Start(host::OsKind::Win95);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs", 0,
                            KEY_ALL_ACCESS, &key));
    RegCloseKey(key);
    EXPECT_TRUE(HasKey(ReadReg("system.reg"),
                       "System\\\\CurrentControlSet\\\\control\\\\SessionManager\\\\WarnVerDLLs"));
}

TEST_F(RegistryApiTest, PrefixMadeForNtGetsTheVersionWarningKeyWhenStartedAsWindows95) {
    Start(host::OsKind::Nt4);
    host::LoadRegistry();
    Start(host::OsKind::Win95);
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            "System\\CurrentControlSet\\control\\SessionManager\\WarnVerDLLs", 0,
                            KEY_ALL_ACCESS, &key));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, EveryTypeIsWrittenAsWineWritesItAndReadBackAfterARestart) {
    Start();
    HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Sample Co\\App");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Text", "C:\\SAMPLE"));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Count", REG_DWORD, Dword(10)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Pattern", REG_BINARY, std::string("\x01\x00\xff", 3)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Nothing", REG_BINARY, ""));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Empty", ""));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Expand", "%WINDIR%\\x", REG_EXPAND_SZ));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)));
    ASSERT_EQ(ERROR_SUCCESS,
              SetBytes(key, "Big", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Raw", REG_NONE, "\x7f"));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, nullptr, "default"));
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(key, "Unended", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 2));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

    struct Expect {
        LPCSTR name;
        DWORD type;
        std::string data;
        std::string line;
    };
    const Expect expected[] = {
        {"Text", REG_SZ, std::string("C:\\SAMPLE\0", 10), "\"Text\"=\"C:\\\\SAMPLE\""},
        {"Count", REG_DWORD, Dword(10), "\"Count\"=dword:0000000a"},
        {"Pattern", REG_BINARY, std::string("\x01\x00\xff", 3), "\"Pattern\"=hex:01,00,ff"},
        {"Nothing", REG_BINARY, "", "\"Nothing\"=hex:"},
        {"Empty", REG_SZ, std::string(1, '\0'), "\"Empty\"=\"\""},
        {"Expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11),
         "\"Expand\"=str(2):\"%WINDIR%\\\\x\""},
        {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6), "\"Multi\"=str(7):\"a\\0bc\\0\""},
        {"Big", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8),
         "\"Big\"=hex(b):01,02,03,04,05,06,07,08"},
        {"Raw", REG_NONE, "\x7f", "\"Raw\"=hex(0):7f"},
        {"", REG_SZ, std::string("default\0", 8), "@=\"default\""},
        // Text without its terminating zero is kept as it is, so Wine writes it in hex.
        {"Unended", REG_SZ, "ab", "\"Unended\"=hex(1):61,00,62,00"},
    };

    // Read back from the files after a restart of the machine (RegistryCallsTest reads them
    // back from memory).
    Start();
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Sample Co\\App", 0,
                                           KEY_QUERY_VALUE, &key));
    for (const auto& e : expected) {
        DWORD type = 0;
        LONG error = 0;
        std::string data = QueryBytes(key, e.name, type, error);
        EXPECT_EQ(ERROR_SUCCESS, error) << e.name;
        EXPECT_EQ(e.type, type) << e.name;
        EXPECT_EQ(e.data, data) << e.name;
    }
    RegCloseKey(key);

    std::vector<std::string> lines =
        KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\Sample Co\\\\App");
    for (const auto& e : expected)
        EXPECT_NE(lines.end(), std::find(lines.begin(), lines.end(), e.line)) << e.line;
    EXPECT_EQ(sizeof expected / sizeof expected[0], lines.size());
}

TEST_F(RegistryApiTest, EachRootLandsInItsFile) {
    Start();
    struct Root {
        HKEY root;
        LPCSTR path;
        LPCSTR file;
        LPCSTR filePath;
    };
    const Root roots[] = {
        {HKEY_LOCAL_MACHINE, "SOFTWARE\\Machine Co", "system.reg", "SOFTWARE\\\\Machine Co"},
        {HKEY_CLASSES_ROOT, "Sample.Document", "system.reg",
         "SOFTWARE\\\\Classes\\\\Sample.Document"},
        {HKEY_CURRENT_USER, "Software\\User Co", "user.reg", "Software\\\\User Co"},
        {HKEY_USERS, ".DEFAULT\\Software\\Default Co", "userdef.reg", "Software\\\\Default Co"},
        {HKEY_USERS, "S-1-5-21-0-0-0-1000\\Software\\Same User Co", "user.reg",
         "Software\\\\Same User Co"},
    };
    for (const auto& r : roots) {
        HKEY key = Create(r.root, r.path);
        ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Where", r.path));
        ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    }
    for (const auto& r : roots) {
        std::vector<std::string> lines = KeyLines(ReadReg(r.file), r.filePath);
        ASSERT_EQ(1u, lines.size()) << r.path;
        std::string path = r.path;
        std::string escaped;
        for (char c : path)
            escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
        EXPECT_EQ("\"Where\"=\"" + escaped + "\"", lines[0]);
    }
    // The current user is seen under both of its names.
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Same User Co", 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, NamesAndTextAreEscapedAsWineDoes) {
    Start();
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\[Odd] \"Co\"");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Quote\"Back\\", "say \"hi\"\\"));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Controls",
                                       "a\tb\nc\x01"
                                       "7\x02x"));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Latin",
                                       "caf\xe9 \xe9"
                                       "a"));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));

    std::vector<std::string> lines = KeyLines(ReadReg("user.reg"), "Software\\\\\\[Odd\\] \"Co\"");
    ASSERT_EQ(3u, lines.size());
    EXPECT_EQ("\"Quote\\\"Back\\\\\"=\"say \\\"hi\\\"\\\\\"", lines[0]);
    EXPECT_EQ("\"Controls\"=\"a\\tb\\nc\\0017\\2x\"", lines[1]);
    // A character above 127 followed by a hex digit takes all four digits.
    EXPECT_EQ("\"Latin\"=\"caf\\xe9 \\x00e9a\"", lines[2]);

    Start();
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\[Odd] \"Co\"", 0, KEY_READ, &key));
    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(std::string("say \"hi\"\\\0", 10), QueryBytes(key, "Quote\"Back\\", type, error));
    EXPECT_EQ(std::string("a\tb\nc\x01"
                          "7\x02x\0",
                          10),
              QueryBytes(key, "Controls", type, error));
    EXPECT_EQ(std::string("caf\xe9 \xe9"
                          "a\0",
                          8),
              QueryBytes(key, "Latin", type, error));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, JapaneseNamesAreUnicodeInTheFile) {
    Start(host::OsKind::Nt4, "JPN");
    // "テスト" and "値" in Shift-JIS.
    const char name[] = "\x83\x65\x83\x58\x83\x67";
    const char text[] = "\x92\x6c";
    HKEY key = Create(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\") + name).c_str());
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, name, text));
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    std::vector<std::string> lines =
        KeyLines(ReadReg("system.reg"), "SOFTWARE\\\\\\x30c6\\x30b9\\x30c8");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"\\x30c6\\x30b9\\x30c8\"=\"\\x5024\"", lines[0]);

    Start(host::OsKind::Nt4, "JPN");
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\") + name).c_str(), 0,
                            KEY_READ, &key));
    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(std::string(text, 3), QueryBytes(key, name, type, error));
    char found[64];
    DWORD length = sizeof found;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumValueA(key, 0, found, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_EQ(std::string(name), std::string(found, length));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, TheFileNamesTheDeepestOfTheKeysAPathMade) {
    Start();
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Level1\\Level2\\Level3"));
    // The ones above are implied by it.
    std::string system = ReadReg("system.reg");
    EXPECT_TRUE(HasKey(system, "SOFTWARE\\\\Level1\\\\Level2\\\\Level3"));
    EXPECT_FALSE(HasKey(system, "SOFTWARE\\\\Level1"));
}
TEST_F(RegistryApiTest, Windows95HasNoAccessControl) {
    Start(host::OsKind::Win95);
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_SET_VALUE, &parent));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(parent, "Made", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                                             &key, nullptr));
    RegCloseKey(key);
    RegCloseKey(parent);
}

TEST_F(RegistryApiTest, DeletedKeysLeaveTheFile) {
    Start();
    RegCloseKey(Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Doomed Co\\Inner"));
    EXPECT_NE(std::string::npos, ReadReg("system.reg").find("Doomed Co"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Doomed Co\\Inner"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Doomed Co"));
    EXPECT_EQ(std::string::npos, ReadReg("system.reg").find("Doomed Co"));
}
TEST_F(RegistryApiTest, Windows95DeletesAWholeTree) {
    Start(host::OsKind::Win95);
    HKEY key = Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tree Co\\A\\B");
    RegCloseKey(key);
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tree Co"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tree Co\\A", 0, KEY_READ, &key));
}

TEST_F(RegistryApiTest, CurrentControlSetIsTheSetInUseOnNt) {
    Start(host::OsKind::Nt4);
    HKEY key = Create(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Services\\SampleDrv");
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "Start", REG_DWORD, Dword(3)));
    RegCloseKey(key);
    std::string system = ReadReg("system.reg");
    std::vector<std::string> lines =
        KeyLines(system, "SYSTEM\\\\ControlSet001\\\\Services\\\\SampleDrv");
    ASSERT_EQ(1u, lines.size());
    EXPECT_EQ("\"Start\"=dword:00000003", lines[0]);
    EXPECT_FALSE(HasKey(system, "SYSTEM\\\\CurrentControlSet\\\\Services\\\\SampleDrv"));
    lines = KeyLines(system, "SYSTEM\\\\CurrentControlSet");
    ASSERT_LE(2u, lines.size()) << system;
    EXPECT_EQ("#link", lines[0]);
    EXPECT_EQ(0u, lines[1].find("\"SymbolicLinkValue\"=hex(6):5c,00,52,00"));
}

TEST_F(RegistryApiTest, VolatileKeysStayOutOfTheFile) {
    Start();
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Fleeting", 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Now", "here"));
    RegCloseKey(key);
    EXPECT_EQ(std::string::npos, ReadReg("user.reg").find("Fleeting"));
}

TEST_F(RegistryApiTest, LongBinaryDataWrapsAsInWineFiles) {
    Start();
    std::string bytes;
    for (int i = 0; i < 40; ++i)
        bytes += static_cast<char>(i);
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Long");
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(key, "B", REG_BINARY, bytes));
    RegCloseKey(key);
    std::vector<std::string> lines = KeyLines(ReadReg("user.reg"), "Software\\\\Long");
    ASSERT_EQ(2u, lines.size());
    EXPECT_EQ("\"B\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,\\",
              lines[0]);
    EXPECT_EQ("  17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27", lines[1]);

    Start();
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Long", 0, KEY_READ, &key));
    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(bytes, QueryBytes(key, "B", type, error));
    RegCloseKey(key);
}

TEST_F(RegistryApiTest, FlushingAKeyWritesTheFiles) {
    Start();
    HKEY key = Create(HKEY_CURRENT_USER, "Software\\Flushed Co");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "v", "1"));
    EXPECT_EQ(ERROR_SUCCESS, RegFlushKey(key));
    // Read without the flush of ReadReg.
    EXPECT_NE(std::string::npos, ReadHostFile(RegFile("user.reg")).find("\"v\"=\"1\""));
    RegCloseKey(key);
}
TEST_F(RegistryApiTest, NothingIsWrittenWithoutAMachine) {
    HKEY key = nullptr;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_READ, &key));
    EXPECT_FALSE(HostFileExists(RegFile("system.reg")));
}

} // namespace
