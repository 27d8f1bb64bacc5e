#include "import/RtToken.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace kvq {
namespace {

using Tokens = std::vector<std::pair<std::string_view, bool>>; // token, EndOfText after it

constexpr std::string_view kImportSeparators = " :/\\%\t\n\r";
constexpr std::string_view kImportDelimiters = " :/\\%\n\r";

// First, then Next while EndOfText is false, with what EndOfText says after each.
Tokens Scan(TRtTokenList& tokens) {
    Tokens seen{{tokens.First(), tokens.EndOfText()}};
    EXPECT_EQ(tokens.TokenIndex(), 0);
    while (!seen.back().second && seen.size() < 100) {
        const std::string_view token = tokens.Next();
        seen.emplace_back(token, tokens.EndOfText());
        EXPECT_EQ(tokens.TokenIndex(), static_cast<int>(seen.size()) - 1);
    }
    return seen;
}

TEST(RtTokenTest, TokensAndEndOfText) {
    struct Row {
        const char* name;
        bool importSets; // else the default sets
        std::string_view text;
        Tokens expected;
    };
    // clang-format off
    const Row rows[] = {
        {"empty text", false, "", {{"", true}}},
        {"blanks and line breaks only", true, "  \r\n \n ", {{"", true}}},
        {"CR LF after the last token", true, "abc\r\n", {{"abc", false}, {"", true}}},
        {"one LF after the last token", true, "abc\n", {{"abc", true}}},
        {"no delimiter after the last token", true, "abc", {{"abc", true}}},
        {"a+b", false, "a+b", {{"a", false}, {"b", true}}},
        {"a++b: empty token between", false, "a++b", {{"a", false}, {"", false}, {"b", true}}},
        {"a,,b: empty token between", false, "a,,b", {{"a", false}, {"", false}, {"b", true}}},
        {"leading comma gives an empty first token", false, ",a", {{"", false}, {"a", true}}},
        {"two blanks after the last token", false, "a  ", {{"a", false}, {"", true}}},
        {"runs of separator-delimiters give nothing", true, "a :/ \\%\r\n b",
         {{"a", false}, {"b", true}}},
        {"tab skipped before a token, kept inside", true, "\t\tab\tc d",
         {{"ab\tc", false}, {"d", true}}},
        {"points, minus signs and brackets stay in tokens", true, "Toe-in: -0.025 (lbs/in)",
         {{"Toe-in", false}, {"-0.025", false}, {"(lbs", false}, {"in)", true}}},
        {"ramp angles split at the slash", true, "85/30\r\n",
         {{"85", false}, {"30", false}, {"", true}}},
        {"the first NUL ends the text", true, std::string_view("ab\0cd", 5), {{"ab", true}}},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TRtTokenList tokens(row.text);
        if (row.importSets) {
            tokens.SetSeparators(kImportSeparators);
            tokens.SetDelimiters(kImportDelimiters);
        }
        EXPECT_EQ(Scan(tokens), row.expected);
        // Every rewind gives the same tokens again from the start.
        EXPECT_EQ(Scan(tokens), row.expected);
    }
}

TEST(RtTokenTest, NextAfterTheEndGivesEmptyTokensAndKeepsCounting) {
    TRtTokenList tokens("a b");
    EXPECT_EQ(tokens.TokenIndex(), -1);
    EXPECT_EQ(tokens.First(), "a");
    EXPECT_EQ(tokens.Next(), "b");
    ASSERT_TRUE(tokens.EndOfText());
    EXPECT_EQ(tokens.Next(), "");
    EXPECT_EQ(tokens.Next(), "");
    EXPECT_TRUE(tokens.EndOfText());
    EXPECT_EQ(tokens.TokenIndex(), 3);
    tokens.Reset();
    EXPECT_EQ(tokens.TokenIndex(), -1);
    EXPECT_FALSE(tokens.EndOfText());
    EXPECT_EQ(tokens.Next(), "a");
}

TEST(RtTokenTest, SettingASetRewinds) {
    TRtTokenList tokens("a b");
    EXPECT_EQ(tokens.First(), "a");
    tokens.SetSeparators(" ");
    EXPECT_EQ(tokens.TokenIndex(), -1);
    EXPECT_EQ(tokens.Next(), "a");
}

TEST(RtTokenTest, SetsHoldAtMost63CharactersUpToTheFirstNul) {
    TRtTokenList tokens("a+b-c");
    EXPECT_NO_THROW(tokens.SetDelimiters(std::string(63, '+')));
    EXPECT_THROW(tokens.SetDelimiters(std::string(64, '+')), std::invalid_argument);
    EXPECT_THROW(tokens.SetSeparators(std::string(64, ' ')), std::invalid_argument);
    // The refused set left the 63 plus signs in force.
    EXPECT_EQ(tokens.First(), "a");
    EXPECT_EQ(tokens.Next(), "b-c");
    tokens.SetDelimiters(std::string_view("-\0+", 3));
    EXPECT_EQ(tokens.First(), "a+b");
}

} // namespace
} // namespace kvq
