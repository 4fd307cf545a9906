// LoadStringA over the program's own string table, in the code pages of a Japanese and of a
// Western machine.
#include "ResourceTestSupport.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::string Load(UINT id, int bufferMax = 1024) {
    std::vector<char> buffer(static_cast<size_t>(bufferMax) + 1, '\x7F');
    int length = LoadStringA(GetModuleHandleA(nullptr), id, buffer.data(), bufferMax);
    EXPECT_GE(length, 0);
    EXPECT_LT(length, bufferMax);
    EXPECT_EQ(buffer[static_cast<size_t>(length)], '\0') << "id " << id;
    return std::string(buffer.data(), static_cast<size_t>(length));
}

TEST(StringTable, SourceListsTheWholeTable) {
    std::map<UINT, std::string> table = ProgramStringTable();
    // 101, 1000-1006, 1008, 1009, 2000, 3000-3008, 10000-10015 and 57344.
    EXPECT_EQ(table.size(), 37u);
    EXPECT_EQ(table.count(57344), 1u);
    EXPECT_EQ(table.count(1007), 0u);
}

TEST(StringTable, EveryStringInCodePage932) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    ASSERT_EQ(GetACP(), 932u);
    for (const auto& [id, utf8] : ProgramStringTable()) {
        std::string expected = Convert(utf8, "CP932");
        ASSERT_FALSE(expected.empty()) << "id " << id;
        EXPECT_EQ(Load(id), expected) << "id " << id;
    }
}

TEST(StringTable, KnownBytesInCodePage932) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    // "ｾｯﾄｱｯﾌﾟを中止してもよろしいですか？": half-width katakana are single bytes.
    EXPECT_EQ(Load(1000),
              "\xBE\xAF\xC4\xB1\xAF\xCC\xDF\x82\xF0\x92\x86\x8E\x7E\x82\xB5\x82\xC4"
              "\x82\xE0\x82\xE6\x82\xEB\x82\xB5\x82\xA2\x82\xC5\x82\xB7\x82\xA9\x81\x48");
    EXPECT_EQ(Load(57344), "Veltrix \xBE\xAF\xC4\xB1\xAF\xCC\xDF");
    EXPECT_EQ(Load(3001), "INSTKIT.INF");
    EXPECT_EQ(Load(3006), "%s %d");
    EXPECT_EQ(Load(10004), Convert("ｺﾋﾟｰ中にｴﾗｰが発生しました。\nｾｯﾄｱｯﾌﾟを終了します。", "CP932"));
}

TEST(StringTable, EveryStringInCodePage1252) {
    TestMachine machine("ENU");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    ASSERT_EQ(GetACP(), 1252u);
    for (const auto& [id, utf8] : ProgramStringTable()) {
        std::u16string wide = ToUtf16(utf8);
        std::string loaded = Load(id);
        // What the conversion gives, characters that 1252 lacks included.
        char expected[1024];
        int length = WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWSTR>(wide.data()),
                                         static_cast<int>(wide.size()), expected, sizeof expected,
                                         nullptr, nullptr);
        ASSERT_GT(length, 0) << "id " << id;
        EXPECT_EQ(loaded, std::string(expected, static_cast<size_t>(length))) << "id " << id;
        // A single-byte code page: one byte per character, ASCII kept as it is.
        ASSERT_EQ(loaded.size(), wide.size()) << "id " << id;
        for (size_t i = 0; i < wide.size(); ++i) {
            if (wide[i] < 0x80) {
                EXPECT_EQ(static_cast<char16_t>(loaded[i]), wide[i]) << "id " << id;
            }
        }
    }
    EXPECT_EQ(Load(57344).substr(0, 8), "Veltrix ");
}

TEST(StringTable, MissingIdGivesZeroAndAnEmptyBuffer) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    // Ids in no block, and ids of a block that exists but holds no string for them.
    for (UINT id : {0u, 1u, 999u, 1007u, 1010u, 2001u, 3009u, 10016u, 57345u, 65535u, 70000u}) {
        char buffer[16] = "unchanged";
        EXPECT_EQ(LoadStringA(GetModuleHandleA(nullptr), id, buffer, sizeof buffer), 0)
            << "id " << id;
        EXPECT_EQ(buffer[0], '\0') << "id " << id;
    }
}

TEST(StringTable, NullModuleIsTheProgram) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    char buffer[64];
    EXPECT_EQ(LoadStringA(nullptr, 3001, buffer, sizeof buffer), 11);
    EXPECT_STREQ(buffer, "INSTKIT.INF");
}

TEST(StringTable, CutToTheBufferWithATerminatingZero) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    EXPECT_EQ(Load(3001, 5), "INST");
    EXPECT_EQ(Load(3001, 12), "INSTKIT.INF");
    EXPECT_EQ(Load(3001, 11), "INSTKIT.IN");
    EXPECT_EQ(Load(3001, 1), "");
    // "Veltrix ｾｯﾄｱｯﾌﾟ" is all single bytes; 1000 starts with seven single bytes and then
    // "を", two bytes, which a nine-byte room cannot hold whole.
    EXPECT_EQ(Load(1000, 9), "\xBE\xAF\xC4\xB1\xAF\xCC\xDF");
    EXPECT_EQ(Load(1000, 10), "\xBE\xAF\xC4\xB1\xAF\xCC\xDF\x82\xF0");
}

TEST(StringTable, NoBufferLoadsNothing) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    char buffer[4] = "abc";
    EXPECT_EQ(LoadStringA(nullptr, 3001, buffer, 0), 0);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(LoadStringA(nullptr, 3001, nullptr, 10), 0);
}

TEST(StringTable, UnknownModuleLoadsNothing) {
    TestMachine machine("JPN");
    ASSERT_TRUE(machine.Started()) << machine.Error();
    char buffer[8] = "abc";
    EXPECT_EQ(LoadStringA(reinterpret_cast<HINSTANCE>(0x12345678), 3001, buffer, sizeof buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
}

} // namespace
