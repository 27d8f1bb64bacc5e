#include "edit/LimitsFile.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvq {
namespace {

TEST(WordsTest, CountAndExtract) {
    EXPECT_EQ(WordCount("", ","), 0u);
    EXPECT_EQ(WordCount("7", ","), 1u);
    EXPECT_EQ(WordCount("7,1,9", ","), 3u);
    EXPECT_EQ(WordCount(",,", ","), 3u);
    EXPECT_EQ(WordCount("a;b,c", ",;"), 3u);
    EXPECT_EQ(ExtractWord(1, "7,1,9", ","), "7");
    EXPECT_EQ(ExtractWord(3, "7,1,9", ","), "9");
    EXPECT_EQ(ExtractWord(4, "7,1,9", ","), "");
    EXPECT_EQ(ExtractWord(2, "24, 10 ,90", ","), " 10 ");
    EXPECT_EQ(ExtractWord(2, "a,,b", ","), "");
    EXPECT_EQ(ExtractWord(0, "a,b", ","), "");
}

TEST(ParseLimitsTest, CommentsOnlyGiveTheBuiltInLimits) {
    const auto content = ParseLimits("; my limits\n\n   ; indented comment\r\n");
    EXPECT_EQ(content.Tables, BuiltInLimits());
    EXPECT_TRUE(content.Notes.empty());
}

// One line of limits text and what it must change, field by field.
TEST(ParseLimitsTest, LinesByFieldKind) {
    struct Row {
        const char* name;
        const char* text;
        void (*expect)(const LimitTables& t);
    };
    const Row rows[] = {
        {"real with three columns", "19,-1,1,0.05",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(11).MinValue, -1.0f);
             EXPECT_EQ(t.RealRow(11).MaxValue, 1.0f);
             EXPECT_EQ(t.RealRow(11).Increment, 0.05f);
             EXPECT_EQ(t.RealRow(11).Precision, 3);
         }},
        {"integer with leading blanks", "24, 10, 90",
         [](const LimitTables& t) {
             EXPECT_EQ(t.IntegerRow(5).MinValue, 10);
             EXPECT_EQ(t.IntegerRow(5).MaxValue, 90);
         }},
        {"integer with a trailing blank keeps its value", "24,10 ,90",
         [](const LimitTables& t) {
             EXPECT_EQ(t.IntegerRow(5).MinValue, 0);
             EXPECT_EQ(t.IntegerRow(5).MaxValue, 90);
         }},
        {"a word ends a real line", "12,-4,abc,0.5",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(7).MinValue, -4.0f);
             EXPECT_EQ(t.RealRow(7).MaxValue, 2.0f);
             EXPECT_EQ(t.RealRow(7).Increment, 0.25f);
         }},
        {"an empty column ends a real line", "2,18,,0.5",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(2).MinValue, 18.0f);
             EXPECT_EQ(t.RealRow(2).MaxValue, 30.0f);
             EXPECT_EQ(t.RealRow(2).Increment, 1.0f);
         }},
        {"reals may have blanks around them", "2, 18 , 32 ,0.5",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(2).MinValue, 18.0f);
             EXPECT_EQ(t.RealRow(2).MaxValue, 32.0f);
             EXPECT_EQ(t.RealRow(2).Increment, 0.5f);
         }},
        {"ramp angle step", "44,30,85,5",
         [](const LimitTables& t) { EXPECT_EQ(t.RealRow(25).Increment, 5.0f); }},
        {"a short line changes only what it has", "7,1,9",
         [](const LimitTables& t) {
             EXPECT_EQ(t.IntegerRow(1).MaxValue, 9);
             EXPECT_EQ(t.IntegerRow(1).Increment, 1);
         }},
        {"list bounds", "11,0,5,99",
         [](const LimitTables& t) {
             EXPECT_EQ(t.ListRow(1).MinIndex, 0);
             EXPECT_EQ(t.ListRow(1).MaxIndex, 5);
         }},
        {"bad list column is skipped, not the next", "14,x,20",
         [](const LimitTables& t) {
             EXPECT_EQ(t.ListRow(2).MinIndex, 10);
             EXPECT_EQ(t.ListRow(2).MaxIndex, 20);
         }},
        {"a first column that is no number means field 45", "7 ,1,2",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(26).MinValue, 1.0f);
             EXPECT_EQ(t.RealRow(26).MaxValue, 2.0f);
             EXPECT_EQ(t.IntegerRow(1), BuiltInLimits().IntegerRow(1));
         }},
        {"leading tabs and blanks", " \t 7,1,9",
         [](const LimitTables& t) { EXPECT_EQ(t.IntegerRow(1).MaxValue, 9); }},
        {"a huge real becomes infinity, not undefined", "1,7,1e300",
         [](const LimitTables& t) {
             EXPECT_EQ(t.RealRow(1).MaxValue, std::numeric_limits<float>::infinity());
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.expect(ParseLimits(row.text).Tables);
    }
}

TEST(ParseLimitsTest, IgnoredLinesChangeNothingAndAreNoted) {
    const char* text = "43,1,2\n46,1,2\n0,1,2\n-3,1,2\n";
    const auto content = ParseLimits(text);
    EXPECT_EQ(content.Tables, BuiltInLimits());
    ASSERT_EQ(content.Notes.size(), 4u);
    EXPECT_EQ(content.Notes[0],
              (LimitsNote{1, "the asymmetry toggle has no limits; line ignored"}));
    EXPECT_EQ(content.Notes[1], (LimitsNote{2, "field 46 does not exist; line ignored"}));
    EXPECT_EQ(content.Notes[3].Line, 4);
}

TEST(ParseLimitsTest, NotesNameTheLineAndColumn) {
    const auto content = ParseLimits("; header\r\n\r\n24,10 ,90\r\n12,-4,abc\r2,x");
    ASSERT_EQ(content.Notes.size(), 3u);
    EXPECT_EQ(content.Notes[0], (LimitsNote{3, "column 2 is not an integer; value unchanged"}));
    EXPECT_EQ(content.Notes[1],
              (LimitsNote{4, "column 3 is not a number; rest of the line ignored"}));
    EXPECT_EQ(content.Notes[2],
              (LimitsNote{5, "column 2 is not a number; rest of the line ignored"}));
}

TEST(ParseLimitsTest, CtrlZBetweenLinesEndsTheText) {
    const auto content = ParseLimits("7,1,9\n\x1a\n8,1,9\n");
    EXPECT_EQ(content.Tables.IntegerRow(1).MaxValue, 9);
    EXPECT_EQ(content.Tables.IntegerRow(2).MaxValue, 5);
}

TEST(ReadLimitsFileTest, MissingFileOrFolderIsNoFile) {
    test::TempDir dir;
    EXPECT_FALSE(ReadLimitsFile(dir.File("kvqsetup.lmt")));
    std::filesystem::create_directory(dir.File("kvqsetup.lmt"));
    EXPECT_FALSE(ReadLimitsFile(dir.File("kvqsetup.lmt")));
}

TEST(ReadLimitsFileTest, ReadsTheFileBesideTheProgram) {
    test::TempDir dir;
    EXPECT_EQ(LimitsFilePath(dir.File("kvqsetup")), dir.File("kvqsetup.lmt"));
    test::WriteText(dir.File("kvqsetup.lmt"), "; only a comment");
    const auto content = ReadLimitsFile(LimitsFilePath(dir.File("kvqsetup")));
    ASSERT_TRUE(content);
    EXPECT_EQ(content->Tables, BuiltInLimits());
    test::WriteText(dir.File("kvqsetup.lmt"), "4,1,40\n");
    EXPECT_EQ(ReadLimitsFile(dir.File("kvqsetup.lmt"))->Tables.RealRow(4).MaxValue, 40.0f);
}

} // namespace
} // namespace kvq
