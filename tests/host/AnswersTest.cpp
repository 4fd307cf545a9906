// The answers file of unattended runs.
#include <host/Automation.h>

#include <gtest/gtest.h>

namespace {

using Kind = host::AnswerAction::Kind;

std::vector<host::Answer> ParseOk(const std::string& text) {
    std::vector<host::Answer> answers;
    std::string error;
    EXPECT_TRUE(host::ParseAnswers(text, false, answers, error)) << error;
    return answers;
}

std::string ParseError(const std::string& text) {
    std::vector<host::Answer> answers;
    std::string error;
    EXPECT_FALSE(host::ParseAnswers(text, false, answers, error)) << text;
    return error;
}

TEST(Answers, CommentsAndBlankLinesAreSkipped) {
    auto answers = ParseOk("# first\n\n   \n\t# indented comment\n* press ok\n");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].line, 5);
    EXPECT_TRUE(answers[0].anyWindow);
}

TEST(Answers, ReadsEveryAction) {
    auto answers = ParseOk("\"Path\" type 1001 \"C:\\APP\\\" press 1\n"
                           "always \"exists\" press no\n"
                           "\"Open\" select 1137 \"d:\" open 1121 \"[..]\" press \"O&K\"\n"
                           "* press default\n");
    ASSERT_EQ(answers.size(), 4u);

    EXPECT_EQ(answers[0].match, "Path");
    EXPECT_FALSE(answers[0].always);
    ASSERT_EQ(answers[0].actions.size(), 2u);
    EXPECT_EQ(answers[0].actions[0].kind, Kind::Type);
    EXPECT_EQ(answers[0].actions[0].id, 1001);
    EXPECT_EQ(answers[0].actions[0].text, "C:\\APP\\"); // a backslash before the quote is kept
    EXPECT_EQ(answers[0].actions[1].kind, Kind::Press);
    EXPECT_EQ(answers[0].actions[1].id, 1);

    EXPECT_TRUE(answers[1].always);
    EXPECT_EQ(answers[1].actions[0].id, 7);

    ASSERT_EQ(answers[2].actions.size(), 3u);
    EXPECT_EQ(answers[2].actions[0].kind, Kind::Select);
    EXPECT_EQ(answers[2].actions[0].id, 1137);
    EXPECT_EQ(answers[2].actions[0].text, "d:");
    EXPECT_EQ(answers[2].actions[1].kind, Kind::Open);
    EXPECT_EQ(answers[2].actions[1].text, "[..]");
    EXPECT_EQ(answers[2].actions[2].kind, Kind::Press);
    EXPECT_EQ(answers[2].actions[2].id, 0);
    EXPECT_EQ(answers[2].actions[2].text, "O&K");

    EXPECT_TRUE(answers[3].anyWindow);
    EXPECT_EQ(answers[3].actions[0].id, 0);
    EXPECT_TRUE(answers[3].actions[0].text.empty());
}

TEST(Answers, ButtonNamesStandForTheirIds) {
    auto answers = ParseOk("* press ok press CANCEL press abort press retry press ignore "
                           "press yes press No\n");
    ASSERT_EQ(answers.size(), 1u);
    std::vector<int> ids;
    for (const auto& action : answers[0].actions)
        ids.push_back(action.id);
    EXPECT_EQ(ids, (std::vector<int>{1, 2, 3, 4, 5, 6, 7}));
}

TEST(Answers, ADoubledQuoteIsOneQuote) {
    auto answers = ParseOk("\"say \"\"hi\"\"\" type 5 \"\"\"\"\n");
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].match, "say \"hi\"");
    EXPECT_EQ(answers[0].actions[0].text, "\"");
}

TEST(Answers, WindowsLineEndsAndAByteOrderMarkAreAccepted) {
    auto answers = ParseOk("\xEF\xBB\xBF* press ok\r\n\"x\" press 2\r\n");
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[1].match, "x");
}

TEST(Answers, ConvertsUtf8ToTheAnsiCodePageWhenAsked) {
    // Without a running machine the ANSI code page is 1252: "é" becomes one byte.
    std::vector<host::Answer> answers;
    std::string error;
    ASSERT_TRUE(host::ParseAnswers("\"caf\xC3\xA9\" press ok\n", true, answers, error)) << error;
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].match, "caf\xE9");
    // A disk's host directory is the host's bytes, not a text of the machine.
    ASSERT_TRUE(host::ParseAnswers("\"# 2\" insert \"/media/caf\xC3\xA9\"\n", true, answers, error))
        << error;
    ASSERT_EQ(answers[0].actions.size(), 1u);
    EXPECT_EQ(answers[0].actions[0].kind, Kind::Insert);
    EXPECT_EQ(answers[0].actions[0].text, "/media/caf\xC3\xA9");
}

TEST(Answers, MalformedLinesSayWhere) {
    EXPECT_EQ(ParseError("* press ok\n\"open press ok\n").rfind("line 2:", 0), 0u);
    EXPECT_EQ(ParseError("window press ok\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("\"\" press ok\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* \n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("always\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* jump 1\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* press\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* press 0\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* press maybe\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* press \"\"\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* type 1001\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* type x \"a\"\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* type 1001 C:\\\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* select 1137\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* insert /media/disk2\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* insert\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("* press 99999999999\n").rfind("line 1:", 0), 0u);
    EXPECT_EQ(ParseError("\n\n\n* \"press\" 1\n").rfind("line 4:", 0), 0u);
}

TEST(Answers, AnEmptyFileHasNoAnswers) {
    EXPECT_TRUE(ParseOk("").empty());
    EXPECT_TRUE(ParseOk("\n# nothing\n").empty());
}

} // namespace
