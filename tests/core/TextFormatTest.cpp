#include "base/TextFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace kvq {
namespace {

TEST(FormatTest, ConversionsAsPrintfWouldWriteThem) {
    struct Row {
        const char* name;
        std::string text;
        const char* expected;
    };
    const Row rows[] = {
        {"two digits no decimals", Format("%2.0f", {16.0f}), "16"},
        {"pads to width", Format("%2.0f", {7.0f}), " 7"},
        {"rounds half to even like printf", Format("%2.0f", {22.5}), "22"},
        {"negative three decimals", Format("%6.3f", {-0.025f}), "-0.025"},
        {"value wider than its field widens", Format("%5.2f", {-10.25f}), "-10.25"},
        {"integer width and percent", Format("%3d%%", {57}), " 57%"},
        {"plain integer", Format("%d", {-3}), "-3"},
        {"text", Format("Asymmetrical: %s", {"N"}), "Asymmetrical: N"},
        {"text padded", Format("[%3s]", {"Y"}), "[  Y]"},
        {"several in order", Format("%d/%2.0f", {85, 30.0}), "85/30"},
        {"overall ratio", Format("%6.3f", {7.853333}), " 7.853"},
        {"large value", Format("%2.0f", {1.0e10}), "10000000000"},
        {"not a number", Format("%5.2f", {std::nan("")}), "  nan"},
        {"not a number with its sign bit", Format("%5.2f", {-std::nan("")}), "  nan"},
        {"shortest of a NaN with its sign bit", FormatShortest(-std::nanf("")), "nan"},
        {"infinity", Format("%2.0f", {-std::numeric_limits<double>::infinity()}), "-inf"},
    };
    for (const Row& row : rows) EXPECT_EQ(row.text, row.expected) << row.name;
}

TEST(FormatTest, MismatchedArgumentsAreProgrammingErrors) {
    EXPECT_THROW((void)Format("%d", {1.5}), std::logic_error);
    EXPECT_THROW((void)Format("%f", {1}), std::logic_error);
    EXPECT_THROW((void)Format("%d %d", {1}), std::logic_error);
    EXPECT_THROW((void)Format("%d", {1, 2}), std::logic_error);
    EXPECT_THROW((void)Format("%x", {1}), std::logic_error);
}

TEST(FormatTest, ShortestTextReadsBackExactly) {
    for (float v : {0.1f, -2.692f, 3.1f, 1e-30f, 3.4e38f}) {
        const auto back = ParseReal(FormatShortest(v));
        ASSERT_TRUE(back) << FormatShortest(v);
        EXPECT_EQ(static_cast<float>(*back), v);
    }
}

TEST(ParseIntegerTest, Table) {
    struct Row {
        const char* text;
        std::optional<std::int32_t> expected;
    };
    // clang-format off
    const Row rows[] = {
        {"12", 12},        {"-1", -1},       {"+7", 7},
        {"  24", 24},      {"10 ", {}},      {"", {}},
        {" ", {}},         {"-", {}},        {"1.5", {}},
        {"abc", {}},       {"2147483647", 2147483647}, {"-2147483648", INT32_MIN},
        {"2147483648", {}}, {"99999999999999999999", {}}, {"0x10", {}},
    };
    // clang-format on
    for (const Row& row : rows) EXPECT_EQ(ParseInteger(row.text), row.expected) << row.text;
}

TEST(ParseRealTest, Table) {
    struct Row {
        const char* text;
        std::optional<double> expected;
    };
    // clang-format off
    const Row rows[] = {
        {"0.5", 0.5},     {" -1 ", -1.0},  {"+2.5", 2.5},   {".5", 0.5},   {"5.", 5.0},
        {"1e3", 1000.0},  {"1.5E-1", 0.15}, {"", {}},        {"  ", {}},    {".", {}},
        {"1,5", {}},      {"1e", {}},      {"e5", {}},      {"inf", {}},   {"nan", {}},
        {"0x10", {}},     {"1e999", {}},   {"1e-999", {}},  {"12abc", {}}, {"-0.025", -0.025},
    };
    // clang-format on
    for (const Row& row : rows) EXPECT_EQ(ParseReal(row.text), row.expected) << row.text;
}

} // namespace
} // namespace kvq
