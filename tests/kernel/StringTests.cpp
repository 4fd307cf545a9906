// The kernel's string functions and wsprintfA.
#include "MachineFixture.h"

#include <cstring>

namespace {

using StringTest = MachineTest;
using JapaneseStringTest = JapaneseMachineTest;

TEST_F(StringTest, CopyConcatenateAndMeasure) {
    char buffer[16];
    EXPECT_EQ(lstrcpyA(buffer, "abc"), buffer);
    EXPECT_EQ(lstrcatA(buffer, "def"), buffer);
    EXPECT_STREQ(buffer, "abcdef");
    EXPECT_EQ(lstrlenA(buffer), 6);
    EXPECT_EQ(lstrlenA(nullptr), 0);
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(lstrcpynA(buffer, "abcdef", 4), buffer);
    EXPECT_STREQ(buffer, "abc");
    lstrcpynA(buffer, "ab", 16);
    EXPECT_STREQ(buffer, "ab");
    lstrcpynA(buffer, "zzz", 0);
    EXPECT_STREQ(buffer, "ab");
    EXPECT_EQ(lstrcpyA(nullptr, "a"), nullptr);
}

TEST_F(StringTest, ComparisonsFollowWordOrder) {
    EXPECT_EQ(lstrcmpiA("Setup.Inf", "SETUP.INF"), 0);
    EXPECT_LT(lstrcmpiA("apple", "BANANA"), 0);
    EXPECT_GT(lstrcmpiA("Cherry", "banana"), 0);
    EXPECT_LT(lstrcmpiA("ab", "abc"), 0);
    // A missing string sorts before the empty one.
    EXPECT_LT(lstrcmpiA(nullptr, ""), 0);
    EXPECT_GT(lstrcmpA("", nullptr), 0);
    EXPECT_EQ(lstrcmpiA(nullptr, nullptr), 0);
    EXPECT_NE(lstrcmpA("abc", "ABC"), 0);
    EXPECT_LT(lstrcmpA("abc", "ABC"), 0);      // lower case first when only case differs
    EXPECT_LT(lstrcmpA("apple", "Banana"), 0); // but letters decide before case
    EXPECT_LT(lstrcmpA("a_b", "a1b"), 0);      // punctuation before digits before letters
    EXPECT_LT(lstrcmpA("a1b", "aab"), 0);
    EXPECT_EQ(lstrcmpA("same", "same"), 0);
    // The code page's accented letters have their case as ASCII letters do.
    EXPECT_EQ(lstrcmpiA("caf\xE9", "CAF\xC9"), 0);
    EXPECT_LT(lstrcmpA("caf\xE9", "CAF\xC9"), 0);
    EXPECT_NE(lstrcmpiA("\xD7", "\xF7"), 0); // multiplication and division signs
}

TEST_F(JapaneseStringTest, ComparisonsTakeDoubleByteCharactersWhole) {
    // 0x83 0x61 and 0x83 0x41 differ only in a trail byte that looks like 'a' and 'A'.
    EXPECT_NE(lstrcmpiA("\x83\x61", "\x83\x41"), 0);
    EXPECT_EQ(lstrcmpiA("\x95\x5C"
                        "abc",
                        "\x95\x5C"
                        "ABC"),
              0);
}

std::string Print(const char* format, ...) {
    char buffer[1100];
    std::memset(buffer, '#', sizeof buffer);
    va_list args;
    va_start(args, format);
    int length = wvsprintfA(buffer, format, args);
    va_end(args);
    EXPECT_EQ(length, static_cast<int>(std::strlen(buffer)));
    return buffer;
}

TEST_F(StringTest, WsprintfFormatsTheWindowsSubset) {
    EXPECT_EQ(Print("%d|%i|%u", -42, 7, 4000000000u), "-42|7|4000000000");
    EXPECT_EQ(Print("%x|%X|%#x|%#X|%08lX", 255, 255, 255, 255, 0xBEEFu),
              "ff|FF|0xff|0XFF|0000BEEF");
    EXPECT_EQ(Print("[%5d][%-5d][%05d][%.3d]", 42, 42, -42, 7), "[   42][42   ][-0042][007]");
    EXPECT_EQ(Print("[%s][%10s][%-6s][%.2s]", "abc", "right", "left", "cut"),
              "[abc][     right][left  ][cu]");
    EXPECT_EQ(Print("%c%c%%", 'o', 'k'), "ok%");
    EXPECT_EQ(Print("%s", static_cast<const char*>(nullptr)), "(null)");
    EXPECT_EQ(Print("%S|%ls", u"wide", u"too"), "wide|too");
    EXPECT_EQ(Print("%hd|%hu", 70000, 70000), "4464|4464");
    EXPECT_EQ(Print("%lu", 0xFFFFFFFFu), "4294967295");
    EXPECT_EQ(Print("%ld", -2147483647 - 1), "-2147483648");
    EXPECT_EQ(Print("%q and 100%"), "q and 100");
    EXPECT_EQ(Print("%s\\TEMP%d", "C:\\WINDOWS", 3), "C:\\WINDOWS\\TEMP3");

    char buffer[32];
    EXPECT_EQ(wsprintfA(buffer, "%s-%d", "disk", 2), 6);
    EXPECT_STREQ(buffer, "disk-2");
}

TEST_F(StringTest, WsprintfStopsAt1024Bytes) {
    std::string big(2000, 'z');
    std::string result = Print("%s%s", big.c_str(), big.c_str());
    EXPECT_EQ(result.size(), 1023u);
    result = Print("%2000d", 1);
    EXPECT_EQ(result.size(), 1023u);
    EXPECT_EQ(result.back(), ' ');
}

} // namespace
