#include "MachineFixture.h"

#include "script/NumberParsing.h"
#include "script/TokenList.h"

#include <string>
#include <vector>

namespace {

std::vector<std::string> Tokens(const char* text, char separator = ',') {
    CTokenList list(text, separator);
    std::vector<std::string> tokens;
    for (int i = 0; i < list.GetCount(); ++i)
        tokens.push_back(static_cast<LPCSTR>(list.GetAt(i)));
    return tokens;
}

using Strings = std::vector<std::string>;

} // namespace

TEST(TrimSpaces, RemovesOnlySpaceCharacters) {
    EXPECT_STREQ("a b", TrimSpaces("  a b   "));
    EXPECT_STREQ("", TrimSpaces("    "));
    EXPECT_STREQ("", TrimSpaces(""));
    EXPECT_STREQ("\tname", TrimSpaces(" \tname "));
    EXPECT_STREQ("name\t", TrimSpaces("name\t "));
}

TEST(TokenList, BlanksAroundFieldsVanish) {
    EXPECT_EQ((Strings{"a", "b"}), Tokens(" a , b "));
}

TEST(TokenList, EmptyFieldsKeepTheirPlace) {
    EXPECT_EQ((Strings{"a", "", "b"}), Tokens("a,,b"));
    EXPECT_EQ((Strings{"", "a"}), Tokens(",a"));
    EXPECT_EQ((Strings{""}), Tokens(","));
    EXPECT_EQ((Strings{"a", "", "b"}), Tokens("a,   ,b"));
}

TEST(TokenList, ATrailingEmptyFieldAddsNothing) {
    EXPECT_EQ((Strings{"a", "b"}), Tokens("a,b,"));
    EXPECT_EQ((Strings{"a"}), Tokens("a,   "));
    EXPECT_TRUE(Tokens("").empty());
    EXPECT_TRUE(Tokens("     ").empty());
    EXPECT_TRUE(Tokens(nullptr).empty());
}

TEST(TokenList, GetAtOutsideTheListGivesTheEmptyString) {
    CTokenList list("x,y", ',');
    ASSERT_EQ(2, list.GetCount());
    EXPECT_STREQ("", list.GetAt(-1));
    EXPECT_STREQ("", list.GetAt(2));
    EXPECT_STREQ("y", list.GetAt(1));
}

TEST(TokenList, ATabIsPartOfTheToken) {
    Strings tokens = Tokens("a,\tWIN95");
    ASSERT_EQ(2u, tokens.size());
    EXPECT_EQ("\tWIN95", tokens[1]);
}

TEST(TokenList, OtherSeparators) {
    EXPECT_EQ((Strings{"1", "SRC"}), Tokens("1: SRC", ':'));
}

TEST(TokenList, ATextLongerThanTheBufferIsCutNotOverrun) {
    std::string text;
    for (int i = 0; i < 1000; ++i)
        text += "a,";
    // The first 1,023 bytes hold 511 fields ended by commas and one "a".
    Strings tokens = Tokens(text.c_str());
    EXPECT_EQ(512u, tokens.size());
    for (const std::string& token : tokens)
        EXPECT_EQ("a", token);

    std::string huge(100000, 'x');
    tokens = Tokens(huge.c_str());
    ASSERT_EQ(1u, tokens.size());
    EXPECT_EQ(1023u, tokens[0].size());
}

class TokenListJapanese : public MachineTest {};

TEST_F(TokenListJapanese, ATrailByteIsNeverASeparator) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    ASSERT_EQ(932u, GetACP());
    // 0x95 0x5C is one character whose second byte has the code of the backslash.
    EXPECT_EQ((Strings{"DIR\x95\x5C", "B"}), Tokens("DIR\x95\x5C\\B", '\\'));
}

TEST_F(TokenListJapanese, TheCutNeverSplitsADoubleByteCharacter) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "JPN");
    std::string text(1022, 'x');
    text += "\x95\x5C";
    text += "yyyy";
    Strings tokens = Tokens(text.c_str());
    ASSERT_EQ(1u, tokens.size());
    EXPECT_EQ(std::string(1022, 'x'), tokens[0]);
}

TEST_F(TokenListJapanese, InCodePage1252EveryByteIsACharacter) {
    StartMachine(host::OsKind::Nt4, host::PcKind::PcAt, "ENU");
    ASSERT_EQ(1252u, GetACP());
    EXPECT_EQ((Strings{"DIR\x95", "", "B"}), Tokens("DIR\x95\x5C\\B", '\\'));
}

TEST(NumberParsing, DecimalValue) {
    EXPECT_EQ(12, DecimalValue("12"));
    EXPECT_EQ(-3, DecimalValue("  -3x"));
    EXPECT_EQ(7, DecimalValue("+7"));
    EXPECT_EQ(0, DecimalValue("x12"));
    EXPECT_EQ(0, DecimalValue(""));
    EXPECT_EQ(0, DecimalValue("0x10"));
    EXPECT_EQ(-1, DecimalValue("4294967295"));
    EXPECT_EQ(static_cast<LONG>(0xFFFFFFFE), DecimalValue("-2"));
    EXPECT_EQ(44, DecimalValue("300") & 0xFF);
    EXPECT_EQ(0, DecimalValue(nullptr));
    // Only the low 32 bits count, however many digits there are.
    EXPECT_EQ(DecimalValue("4294967297"), 1);
    EXPECT_NO_FATAL_FAILURE(DecimalValue(std::string(10000, '9').c_str()));
}

TEST(NumberParsing, HexValue) {
    EXPECT_EQ(0x10003, HexValue("10003"));
    EXPECT_EQ(3, HexValue("0x3"));
    EXPECT_EQ(3, HexValue("0X3"));
    EXPECT_EQ(0xAB, HexValue("  ab"));
    EXPECT_EQ(0, HexValue("G"));
    EXPECT_EQ(0, HexValue("0xG"));
    EXPECT_EQ(0x1F, HexValue("1FG5"));
    EXPECT_EQ(-1, HexValue("-1"));
    EXPECT_EQ(0x7FFFFFFF, HexValue("80000000"));
    EXPECT_EQ(0x7FFFFFFF, HexValue("FFFFFFFFFFFFFFFFFFFF"));
    EXPECT_EQ(static_cast<LONG>(0x80000000), HexValue("-FFFFFFFFF"));
    EXPECT_EQ(0, HexValue(nullptr));
}
