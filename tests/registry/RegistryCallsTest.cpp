// The registry calls as a program sees them: error codes, types, sizes, default values and
// names, written against the Windows API alone on a key of the test's own, so that they run on
// the emulated machine's store and on a real system alike. What reaches the store's files and
// what lasts across restarts is RegistryApiTest's.
#include "PrefixMachine.h"

#include <windows.h>

#include <cstring>
#include <string>

namespace {

class RegistryCallsTest : public PrefixMachineTest {
  protected:
    void SetUp() override {
        PrefixMachineTest::SetUp();
        m_path = std::string("Software\\VeltrixTest\\") +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        DeleteTree(HKEY_CURRENT_USER, m_path);
        m_key = Create(HKEY_CURRENT_USER, m_path.c_str());
    }
    void TearDown() override {
        if (m_key != nullptr)
            RegCloseKey(m_key);
        DeleteTree(HKEY_CURRENT_USER, m_path);
        RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\VeltrixTest");
        PrefixMachineTest::TearDown();
    }

    // RegDeleteKey on NT removes only a key without subkeys.
    static void DeleteTree(HKEY root, const std::string& path) {
        HKEY key = nullptr;
        if (RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
            return;
        char name[256];
        DWORD length = sizeof name;
        while (RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS) {
            DeleteTree(key, name);
            length = sizeof name;
        }
        RegCloseKey(key);
        RegDeleteKeyA(root, path.c_str());
    }

    static HKEY Create(HKEY root, LPCSTR path, DWORD* disposition = nullptr) {
        HKEY key = nullptr;
        EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                 KEY_ALL_ACCESS, nullptr, &key, disposition))
            << path;
        return key;
    }

    std::string m_path; // the test's key under HKEY_CURRENT_USER
    HKEY m_key = nullptr;
};

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

// Reads a value through the API; the type comes back in type.
std::string Query(HKEY key, LPCSTR name, DWORD& type, LONG& error) {
    DWORD size = 0;
    type = REG_NONE;
    error = RegQueryValueExA(key, name, nullptr, &type, nullptr, &size);
    if (error != ERROR_SUCCESS)
        return std::string();
    std::string data(size, '\0');
    error =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<LPBYTE>(data.data()), &size);
    data.resize(size);
    return data;
}

TEST_F(RegistryCallsTest, EveryTypeIsReadBackAsWritten) {
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Text", "C:\\SAMPLE"));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "Count", REG_DWORD, Dword(10)));
    ASSERT_EQ(ERROR_SUCCESS,
              SetBytes(m_key, "Pattern", REG_BINARY, std::string("\x01\x00\xff", 3)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "Nothing", REG_BINARY, ""));
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Empty", ""));
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Expand", "%WINDIR%\\x", REG_EXPAND_SZ));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "Big", REG_QWORD,
                                      std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "Raw", REG_NONE, "\x7f"));
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, nullptr, "default"));
    // Text without its zero: once followed by a character, once by the zero the caller left out
    // of the size.
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetValueExA(m_key, "Unended", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 2));
    ASSERT_EQ(ERROR_SUCCESS, SetBytes(m_key, "ForgotTheZero", REG_SZ, "ab"));

    struct Expect {
        LPCSTR name;
        DWORD type;
        std::string data;
    };
    const Expect expected[] = {
        {"Text", REG_SZ, std::string("C:\\SAMPLE\0", 10)},
        {"Count", REG_DWORD, Dword(10)},
        {"Pattern", REG_BINARY, std::string("\x01\x00\xff", 3)},
        {"Nothing", REG_BINARY, ""},
        {"Empty", REG_SZ, std::string(1, '\0')},
        {"Expand", REG_EXPAND_SZ, std::string("%WINDIR%\\x\0", 11)},
        {"Multi", REG_MULTI_SZ, std::string("a\0bc\0\0", 6)},
        {"Big", REG_QWORD, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8)},
        {"Raw", REG_NONE, "\x7f"},
        // The default value has two names: none and the empty one.
        {"", REG_SZ, std::string("default\0", 8)},
        {nullptr, REG_SZ, std::string("default\0", 8)},
        // Text without its terminating zero is kept as it is, but for a zero right after it,
        // which the system takes as the end the caller forgot to count.
        {"Unended", REG_SZ, "ab"},
        {"ForgotTheZero", REG_SZ, std::string("ab\0", 3)},
    };
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_QUERY_VALUE, &key));
    for (const auto& e : expected) {
        LPCSTR name = e.name != nullptr ? e.name : "(null)";
        DWORD type = 0;
        LONG error = 0;
        std::string data = Query(key, e.name, type, error);
        EXPECT_EQ(ERROR_SUCCESS, error) << name;
        EXPECT_EQ(e.type, type) << name;
        EXPECT_EQ(e.data, data) << name;
    }
    RegCloseKey(key);
}

TEST_F(RegistryCallsTest, KeyAndValueNamesMatchWithoutCaseAndKeepTheirCase) {
    const std::string path = m_path + "\\MixedCase Co";
    DWORD disposition = 0;
    HKEY key = Create(HKEY_CURRENT_USER, path.c_str(), &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "ValueName", "first"));
    RegCloseKey(key);

    std::string other = path;
    for (char& c : other)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    key = Create(HKEY_CURRENT_USER, other.c_str(), &disposition);
    EXPECT_EQ(static_cast<DWORD>(REG_OPENED_EXISTING_KEY), disposition);
    // A value of the same name in another case is the same value, under its first name.
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "VALUENAME", "second"));
    DWORD type = 0;
    LONG error = 0;
    EXPECT_EQ(std::string("second\0", 7), Query(key, "valuename", type, error));
    char name[64];
    DWORD length = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("ValueName", name);
    EXPECT_EQ(strlen(name), length);
    length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumValueA(key, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
    RegCloseKey(key);

    length = sizeof name;
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumKeyExA(m_key, 0, name, &length, nullptr, nullptr, nullptr, nullptr));
    EXPECT_STREQ("MixedCase Co", name);
    EXPECT_EQ(strlen(name), length);
    length = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumKeyExA(m_key, 1, name, &length, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryCallsTest, CreatingAPathMakesEveryLevel) {
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0,
                                           KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &parent));
    DWORD disposition = 0;
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(parent, "Level1\\Level2\\Level3", 0, const_cast<LPSTR>(""),
                              REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, &key, &disposition));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), disposition);
    RegCloseKey(key);
    RegCloseKey(parent);
    for (LPCSTR sub : {"\\Level1", "\\Level1\\Level2", "\\Level1\\Level2\\Level3"}) {
        HKEY opened = nullptr;
        EXPECT_EQ(ERROR_SUCCESS,
                  RegOpenKeyExA(HKEY_CURRENT_USER, (m_path + sub).c_str(), 0, KEY_READ, &opened))
            << sub;
        RegCloseKey(opened);
    }
}

TEST_F(RegistryCallsTest, CreatingAKeyTakesTheRightToMakeSubkeys) {
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_SET_VALUE, &parent));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(parent, "NotMade", 0, nullptr, 0, KEY_SET_VALUE,
                                                   nullptr, &key, nullptr));
    EXPECT_EQ(nullptr, key);
    RegCloseKey(parent);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegOpenKeyExA(HKEY_CURRENT_USER, (m_path + "\\NotMade").c_str(), 0, KEY_READ, &key));
}

TEST_F(RegistryCallsTest, AHandleDoesOnlyWhatItWasOpenedFor) {
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(Create(m_key, "Existing")));
    HKEY parent = nullptr;
    ASSERT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, KEY_SET_VALUE, &parent));
    // Opening an existing key through RegCreateKeyExA needs no right to make subkeys.
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS,
              RegCreateKeyExA(parent, "Existing", 0, nullptr, 0, KEY_READ, nullptr, &key, nullptr));
    RegCloseKey(key);
    // A handle for setting values does not read them.
    DWORD type = 0;
    LONG error = 0;
    Query(parent, "x", type, error);
    EXPECT_EQ(ERROR_ACCESS_DENIED, error);
    RegCloseKey(parent);
}

TEST_F(RegistryCallsTest, MissingKeysAndBadHandles) {
    HKEY key = reinterpret_cast<HKEY>(1);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "No Such Co", 0, KEY_READ, &key));
    EXPECT_EQ(nullptr, key);
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegSetValueExA(reinterpret_cast<HKEY>(0x12345678), "x", 0,
                                                   REG_SZ, reinterpret_cast<const BYTE*>(""), 1));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(reinterpret_cast<HKEY>(0x12345678)));
    // A closed handle is gone.
    key = Create(m_key, "Closed");
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_INVALID_HANDLE, RegCloseKey(key));
}

TEST_F(RegistryCallsTest, APathNeitherStartsWithABackslashNorEndsWithOne) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegCreateKeyExA(m_key, "\\X", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr));
    // A trailing backslash names the key itself.
    EXPECT_EQ(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_CURRENT_USER, (m_path + "\\").c_str(), 0, KEY_READ, &key));
    RegCloseKey(key);
}

TEST_F(RegistryCallsTest, APathHasNoEmptyName) {
    ASSERT_EQ(ERROR_SUCCESS, RegCloseKey(Create(m_key, "Inner")));
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_BAD_PATHNAME,
              RegOpenKeyExA(HKEY_CURRENT_USER, (m_path + "\\\\Inner").c_str(), 0, KEY_READ, &key));
}

TEST_F(RegistryCallsTest, KeyNamesHaveAtMost255Characters) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(m_key, std::string(255, 'n').c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    RegCloseKey(key);
    EXPECT_EQ(ERROR_INVALID_PARAMETER,
              RegCreateKeyExA(m_key, std::string(256, 'n').c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr));
}

TEST_F(RegistryCallsTest, HkeyUsersHoldsTheUsersAndNothingElse) {
    HKEY key = nullptr;
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegCreateKeyExA(HKEY_USERS, "Someone", 0, nullptr, 0,
                                                   KEY_ALL_ACCESS, nullptr, &key, nullptr));
    if (key != nullptr) {
        RegCloseKey(key);
        RegDeleteKeyA(HKEY_USERS, "Someone");
    }
}

TEST_F(RegistryCallsTest, QueryReportsTheSizeItNeeds) {
    ASSERT_EQ(ERROR_SUCCESS, SetString(m_key, "Text", "twelve chars"));
    char buffer[8] = "#######";
    DWORD size = 5;
    DWORD type = 0;
    EXPECT_EQ(ERROR_MORE_DATA, RegQueryValueExA(m_key, "Text", nullptr, &type,
                                                reinterpret_cast<LPBYTE>(buffer), &size));
    EXPECT_EQ(13u, size);
    EXPECT_EQ('#', buffer[0]);
    size = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(m_key, "Text", nullptr, nullptr, nullptr, &size));
    EXPECT_EQ(13u, size);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND,
              RegQueryValueExA(m_key, "Absent", nullptr, nullptr, nullptr, &size));
    char name[4];
    DWORD nameLength = sizeof name;
    EXPECT_EQ(ERROR_MORE_DATA,
              RegEnumValueA(m_key, 0, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
    nameLength = sizeof name;
    EXPECT_EQ(ERROR_NO_MORE_ITEMS,
              RegEnumValueA(m_key, 1, name, &nameLength, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegistryCallsTest, DeletingValuesAndKeys) {
    HKEY key = Create(m_key, "Doomed Co\\Inner");
    ASSERT_EQ(ERROR_SUCCESS, SetString(key, "Gone", "soon"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, "GONE"));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegDeleteValueA(key, "Gone"));
    // NT removes only a key without subkeys.
    EXPECT_EQ(ERROR_ACCESS_DENIED, RegDeleteKeyA(m_key, "Doomed Co"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(m_key, "Doomed Co\\Inner"));
    EXPECT_EQ(ERROR_KEY_DELETED, SetString(key, "Late", "x"));
    EXPECT_EQ(ERROR_SUCCESS, RegDeleteKeyA(m_key, "Doomed Co"));
    EXPECT_EQ(ERROR_SUCCESS, RegCloseKey(key));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyExA(m_key, "Doomed Co", 0, KEY_READ, &key));
}

TEST_F(RegistryCallsTest, AVolatileKeyHasOnlyVolatileChildren) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(m_key, "Fleeting", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &key, nullptr));
    HKEY child = nullptr;
    EXPECT_EQ(ERROR_CHILD_MUST_BE_VOLATILE,
              RegCreateKeyExA(key, "Lasting", 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                              nullptr, &child, nullptr));
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(key, "Fleeting too", 0, nullptr, REG_OPTION_VOLATILE,
                                             KEY_ALL_ACCESS, nullptr, &child, nullptr));
    RegCloseKey(child);
    RegCloseKey(key);
}

TEST_F(RegistryCallsTest, OlderOpenAndCreateCalls) {
    HKEY key = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyA(m_key, "Old Co\\Sub", &key));
    // Without a subkey RegOpenKeyA returns the handle it was given.
    HKEY same = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegOpenKeyA(key, "", &same));
    EXPECT_EQ(key, same);
    RegCloseKey(key);
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyA(m_key, "Old Co", &key));
    char name[16];
    DWORD length = sizeof name;
    FILETIME time{};
    ASSERT_EQ(ERROR_SUCCESS,
              RegEnumKeyExA(key, 0, name, &length, nullptr, nullptr, nullptr, &time));
    EXPECT_STREQ("Sub", name);
    EXPECT_NE(0u, time.dwHighDateTime);
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, RegOpenKeyA(key, "Missing", &same));
    RegCloseKey(key);
}

TEST_F(RegistryCallsTest, RegCreateKeyWithoutASubkeyGivesTheRootItWasGiven) {
    HKEY same = nullptr;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyA(HKEY_CURRENT_USER, nullptr, &same));
    EXPECT_EQ(HKEY_CURRENT_USER, same);
}

} // namespace
