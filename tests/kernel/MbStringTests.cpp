// The run-time's multibyte string functions under code pages 932 and 1252.
#include "MachineFixture.h"

#include <mbstring.h>

#include <cstring>

namespace {

const unsigned char* U(const char* text) {
    return reinterpret_cast<const unsigned char*>(text);
}

// "C:\表\表" in code page 932: each 表 (0x95 0x5C) ends in the code of the backslash.
const char kPath932[] = "C:\\\x95\x5C\\\x95\x5C";

using MbString932 = JapaneseMachineTest;
using MbString1252 = MachineTest;

TEST_F(MbString932, SearchesSkipTrailBytes) {
    const unsigned char* text = U(kPath932);
    EXPECT_EQ(_mbschr(text, '\\'), text + 2);
    EXPECT_EQ(_mbschr(text + 3, '\\'), text + 5);
    EXPECT_EQ(_mbsrchr(text, '\\'), text + 5);
    EXPECT_EQ(_mbschr(U("\x95\x5C"), '\\'), nullptr);
    EXPECT_EQ(_mbsrchr(U("\x95\x5C"), '\\'), nullptr);
    EXPECT_EQ(_mbschr(text, 0x955C), text + 3);
    EXPECT_EQ(_mbsrchr(text, 0x955C), text + 6);
    EXPECT_EQ(_mbschr(text, 0), text + std::strlen(kPath932));
    // 0x83 0x7C (a katakana) has the code of '|' as its second byte.
    const unsigned char* bar = U("\x83\x7C|");
    EXPECT_EQ(_mbschr(bar, '|'), bar + 2);
}

TEST_F(MbString932, StepsAndLeadBytes) {
    const unsigned char* text = U("\x95\x5C"
                                  "a\xB1");
    EXPECT_EQ(_mbsinc(text), text + 2);
    EXPECT_EQ(_mbsinc(text + 2), text + 3);
    EXPECT_EQ(_mbsinc(text + 3), text + 4); // half-width katakana: one byte
    EXPECT_EQ(_mbslen(text), 3u);
    EXPECT_EQ(_mbsdec(text, text + 3), text + 2);
    EXPECT_EQ(_mbsdec(text, text + 2), text);
    // A lead byte at the end never steps over the terminating zero, and is no character.
    const unsigned char* cut = U("a\x95");
    EXPECT_EQ(_mbsinc(cut + 1), cut + 2);
    EXPECT_EQ(_mbslen(cut), 1u);
    EXPECT_TRUE(_ismbblead(0x95));
    EXPECT_TRUE(_ismbblead(0xE0));
    EXPECT_FALSE(_ismbblead(0xB1));
    EXPECT_FALSE(_ismbblead('\\'));
    // Only the low byte of the int counts.
    EXPECT_TRUE(_ismbblead(0x1E0));
    EXPECT_FALSE(_ismbblead(0x141));
}

TEST_F(MbString932, TokensSplitAtRealSeparatorsOnly) {
    char text[] = "a,\x95,b,,\x82\xA0";
    // A lead byte takes the byte after it, whatever it is, as the run-time does.
    unsigned char* token = _mbstok(reinterpret_cast<unsigned char*>(text), U(","));
    ASSERT_NE(token, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(token), "a");
    token = _mbstok(nullptr, U(","));
    ASSERT_NE(token, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(token), "\x95,b");
    token = _mbstok(nullptr, U(","));
    ASSERT_NE(token, nullptr);
    EXPECT_STREQ(reinterpret_cast<char*>(token), "\x82\xA0");
    EXPECT_EQ(_mbstok(nullptr, U(",")), nullptr);
}

TEST_F(MbString932, ComparisonsFoldLatinLetters) {
    EXPECT_EQ(_mbsicmp(U("Setup.INF"), U("SETUP.inf")), 0);
    EXPECT_LT(_mbsicmp(U("abc"), U("ABD")), 0);
    EXPECT_GT(_mbsicmp(U("abd"), U("ABC")), 0);
    EXPECT_LT(_mbsicmp(U("ab"), U("ABC")), 0);
    // Full-width Ａ (0x82 0x60) and ａ (0x82 0x81) are one letter in two cases; ａ still sorts
    // before Ｂ (0x82 0x61).
    EXPECT_EQ(_mbsicmp(U("\x82\x60"), U("\x82\x81")), 0);
    EXPECT_EQ(_mbsicmp(U("x\x82\x9A"), U("X\x82\x79")), 0);
    EXPECT_LT(_mbsicmp(U("\x82\x81"), U("\x82\x61")), 0);
    EXPECT_EQ(_mbsnbicmp(U("\x82\x81\x82\x82"), U("\x82\x60\x82\x62"), 2), 0);
    // The trail byte 0x61 ('a') is not folded to 'A' (0x41): 0x83 0x61 and 0x83 0x41 differ.
    EXPECT_NE(_mbsicmp(U("\x83\x61"), U("\x83\x41")), 0);
    EXPECT_EQ(_mbsicmp(U("\x95\x5C"
                         "ABC"),
                       U("\x95\x5C"
                         "abc")),
              0);
    EXPECT_EQ(_mbsnbicmp(U("WINKELP.DLL"), U("winkelp.exe"), 8), 0);
    EXPECT_NE(_mbsnbicmp(U("WINKELP.DLL"), U("winkelp.exe"), 9), 0);
    EXPECT_EQ(_mbsnbicmp(U("abc"), U("xyz"), 0), 0);
    EXPECT_EQ(_mbsnbicmp(U("ab"), U("AB"), 100), 0);
}

TEST_F(MbString1252, EveryByteIsACharacter) {
    const unsigned char* text = U("C:\\\x95\x5C");
    EXPECT_EQ(_mbsrchr(text, '\\'), text + 4);
    EXPECT_EQ(_mbschr(text + 3, '\\'), text + 4);
    EXPECT_EQ(_mbsinc(text + 3), text + 4);
    EXPECT_EQ(_mbslen(text), 5u);
    EXPECT_FALSE(_ismbblead(0x95));
    EXPECT_EQ(_mbsicmp(U("caf\xE9"), U("CAF\xE9")), 0);
    EXPECT_NE(_mbsicmp(U("caf\xE9"), U("CAF\xC9")), 0); // only ASCII letters fold
    char text2[] = "a,\x95,b";
    unsigned char* token = _mbstok(reinterpret_cast<unsigned char*>(text2), U(","));
    EXPECT_STREQ(reinterpret_cast<char*>(token), "a");
    token = _mbstok(nullptr, U(","));
    EXPECT_STREQ(reinterpret_cast<char*>(token), "\x95");
}

} // namespace
