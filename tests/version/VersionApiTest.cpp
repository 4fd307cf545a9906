#include "VersionMachine.h"

#include <windows.h>

#include <cstring>
#include <unistd.h>
#include <vector>

namespace {

// A version block read from the file, or empty when the file has none.
std::vector<uint8_t> ReadBlock(const std::string& path) {
    DWORD handle = 0xDEAD;
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    EXPECT_EQ(0u, handle);
    if (size == 0)
        return {};
    std::vector<uint8_t> block(size);
    EXPECT_TRUE(GetFileVersionInfoA(path.c_str(), handle, size, block.data()));
    return block;
}

// The text of a string value, checked to lie inside the block.
std::string QueryString(const std::vector<uint8_t>& block, const char* path) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length))
        return "<none>";
    const auto* bytes = static_cast<const uint8_t*>(value);
    EXPECT_GE(bytes, block.data());
    EXPECT_LE(bytes + length, block.data() + block.size());
    std::string text(reinterpret_cast<const char*>(bytes), length);
    // The length counts the terminating zero.
    EXPECT_FALSE(text.empty());
    if (!text.empty()) {
        EXPECT_EQ('\0', text.back());
        text.pop_back();
    }
    return text;
}

const VS_FIXEDFILEINFO* QueryFixed(const std::vector<uint8_t>& block) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), "\\", &value, &length))
        return nullptr;
    EXPECT_EQ(sizeof(VS_FIXEDFILEINFO), length);
    return static_cast<const VS_FIXEDFILEINFO*>(value);
}

std::string QueryBinary(const std::vector<uint8_t>& block, const char* path) {
    LPVOID value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), path, &value, &length))
        return "<none>";
    return std::string(static_cast<const char*>(value), length);
}

} // namespace

class VersionApi : public VersionMachineTest {};

TEST_F(VersionApi, ReadsPe32AndPe32PlusDlls) {
    for (bool pe32plus : {false, true}) {
        if (!HaveDllTools(pe32plus))
            continue;
        std::string path =
            PutFile(pe32plus ? "V64.DLL" : "V32.DLL", VersionDll(4, 0, 1381, 1, pe32plus));
        std::vector<uint8_t> block = ReadBlock(path);
        ASSERT_FALSE(block.empty()) << path;
        const VS_FIXEDFILEINFO* fixed = QueryFixed(block);
        ASSERT_NE(nullptr, fixed);
        EXPECT_EQ(static_cast<DWORD>(VS_FFI_SIGNATURE), fixed->dwSignature);
        EXPECT_EQ(0x00040000u, fixed->dwFileVersionMS);
        EXPECT_EQ((1381u << 16) | 1u, fixed->dwFileVersionLS);
        EXPECT_EQ(0x00010000u, fixed->dwProductVersionMS);
        EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
        // The root may also be written "" or with doubled separators.
        EXPECT_EQ(QueryBinary(block, "\\"), QueryBinary(block, ""));

        EXPECT_EQ("4.0.1381.1", QueryString(block, "\\StringFileInfo\\040904B0\\FileVersion"));
        EXPECT_EQ("Example Tools", QueryString(block, "\\stringfileinfo\\040904b0\\companyname"));
        EXPECT_EQ("Example Tools",
                  QueryString(block, "\\\\StringFileInfo\\040904B0\\\\CompanyName"));
        EXPECT_EQ("<none>", QueryString(block, "\\StringFileInfo\\040904B0\\ProductName"));
        EXPECT_EQ("<none>", QueryString(block, "\\StringFileInfo\\041104B0\\FileVersion"));
        EXPECT_EQ("<none>", QueryString(block, "\\StringFileInfo\\040904B0\\FileVersionX"));
        EXPECT_EQ(std::string("\x09\x04\xB0\x04", 4),
                  QueryBinary(block, "\\VarFileInfo\\Translation"));
    }
}

TEST_F(VersionApi, ReadsSixteenBitNeFiles) {
    std::string path = PutFile("OLD.DLL", VersionNe(3, 10, 0, 103));
    std::vector<uint8_t> block = ReadBlock(path);
    ASSERT_FALSE(block.empty());
    const VS_FIXEDFILEINFO* fixed = QueryFixed(block);
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0x0003000Au, fixed->dwFileVersionMS);
    EXPECT_EQ(103u, fixed->dwFileVersionLS);
    EXPECT_EQ("3.10.0.103", QueryString(block, "\\StringFileInfo\\040904E4\\FileVersion"));
    EXPECT_EQ("Example Tools", QueryString(block, "\\StringFileInfo\\040904E4\\CompanyName"));
    EXPECT_EQ(std::string("\x09\x04\xE4\x04", 4), QueryBinary(block, "\\VarFileInfo\\Translation"));
}

TEST_F(VersionApi, FilesWithoutVersionInformation) {
    struct Case {
        std::string path;
        DWORD error;
    };
    const Case cases[] = {
        {PutFile("README.TXT", "just text, no executable\r\n"), ERROR_RESOURCE_DATA_NOT_FOUND},
        {PutFile("EMPTY.DLL", ""), ERROR_RESOURCE_DATA_NOT_FOUND},
        {PutFile("STRINGS.DLL", DllFromScript("STRINGTABLE\nBEGIN\n 1 \"x\"\nEND\n")),
         ERROR_RESOURCE_TYPE_NOT_FOUND},
        {PutFile("OLDNOVER.DLL", VersionNe(0, 0, 0, 0, false)), ERROR_RESOURCE_TYPE_NOT_FOUND},
        {Windows("MISSING.DLL"), ERROR_FILE_NOT_FOUND},
    };
    for (const Case& c : cases) {
        SetLastError(0);
        DWORD handle = 7;
        EXPECT_EQ(0u, GetFileVersionInfoSizeA(c.path.c_str(), &handle)) << c.path;
        EXPECT_EQ(c.error, GetLastError()) << c.path;
        EXPECT_EQ(0u, handle);
        std::vector<uint8_t> buffer(1024, 0xCC);
        EXPECT_FALSE(GetFileVersionInfoA(c.path.c_str(), 0, 1024, buffer.data())) << c.path;
    }
}

TEST_F(VersionApi, BlockWithoutFixedInformation) {
    ASSERT_TRUE(WriteHostFile(m_temp / "nofixed.bin", Pe32VersionResourceWithoutFixedInfo()));
    std::string pe = PutFile("NOFIXED.DLL", DllFromScript("1 16 \"nofixed.bin\"\n"));
    std::string ne = PutFile("NOFIXED.NE", VersionNe(1, 0, 0, 0, true, false));
    for (const std::string& path : {pe, ne}) {
        std::vector<uint8_t> block = ReadBlock(path);
        ASSERT_FALSE(block.empty()) << path;
        EXPECT_EQ(nullptr, QueryFixed(block)) << path;
    }
    std::vector<uint8_t> block = ReadBlock(pe);
    EXPECT_EQ("Example Tools", QueryString(block, "\\StringFileInfo\\040904B0\\CompanyName"));
}

TEST_F(VersionApi, TextsAreInTheAnsiCodePage932) {
    StartMachine("JPN");
    std::string script = "#pragma code_page(65001)\n1 VERSIONINFO\nFILEVERSION 1,2,3,4\n"
                         "BEGIN\n BLOCK \"StringFileInfo\"\n BEGIN\n  BLOCK \"041104B0\"\n"
                         "  BEGIN\n   VALUE \"CompanyName\", \"\xE6\x97\xA5\xE6\x9C\xAC\xE3\x83\x86"
                         "\xE3\x82\xB9\xE3\x83\x88\"\n  END\n END\nEND\n";
    std::string path = PutFile("JPN.DLL", DllFromScript(script));
    std::vector<uint8_t> block = ReadBlock(path);
    ASSERT_FALSE(block.empty());
    // 日本テスト in code page 932.
    EXPECT_EQ("\x93\xFA\x96\x7B\x83\x65\x83\x58\x83\x67",
              QueryString(block, "\\StringFileInfo\\041104B0\\CompanyName"));
}

TEST_F(VersionApi, ShortBuffersNeverLetQueriesReadPastThem) {
    std::string path = PutFile("V.DLL", VersionDll(2, 5, 7, 9));
    DWORD size = GetFileVersionInfoSizeA(path.c_str(), nullptr);
    ASSERT_GT(size, 100u);
    const char* queries[] = {"\\", "\\VarFileInfo\\Translation",
                             "\\StringFileInfo\\040904B0\\FileVersion",
                             "\\StringFileInfo\\040904B0\\CompanyName"};
    int answered = 0;
    for (DWORD length = 4; length <= size; ++length) {
        std::vector<uint8_t> block(length);
        ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, length, block.data()));
        for (const char* query : queries) {
            LPVOID value = nullptr;
            UINT valueLength = 0;
            if (!VerQueryValueA(block.data(), query, &value, &valueLength))
                continue;
            ++answered;
            const auto* bytes = static_cast<const uint8_t*>(value);
            ASSERT_GE(bytes, block.data());
            ASSERT_LE(bytes + valueLength, block.data() + length) << query << " " << length;
        }
    }
    EXPECT_GT(answered, 4);
    std::vector<uint8_t> tiny(3);
    EXPECT_FALSE(GetFileVersionInfoA(path.c_str(), 0, 3, tiny.data()));
}

TEST_F(VersionApi, FindsTheFileWithoutRegardToCase) {
    std::string path = PutFile("MIXED/Case.Dll", VersionDll(1, 2, 3, 4));
    EXPECT_GT(GetFileVersionInfoSizeA(Windows("mixed\\CASE.DLL").c_str(), nullptr), 0u);
    (void)path;
}

TEST_F(VersionApi, ReadsLargeFiles) {
    // Past the size up to which files are read whole (the rest is a hole of the host file).
    std::string path = PutFile("HUGE.DLL", VersionDll(7, 1, 0, 2));
    ASSERT_EQ(0, truncate(HostC("HUGE.DLL").c_str(), 70 << 20));
    std::vector<uint8_t> block = ReadBlock(path);
    ASSERT_FALSE(block.empty());
    const VS_FIXEDFILEINFO* fixed = QueryFixed(block);
    ASSERT_NE(nullptr, fixed);
    EXPECT_EQ(0x00070001u, fixed->dwFileVersionMS);
    EXPECT_EQ(0x00000002u, fixed->dwFileVersionLS);
}
