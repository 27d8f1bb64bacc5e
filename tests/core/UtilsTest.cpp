#include "base/Utils.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>

namespace kvq {
namespace {

using namespace std::literals;

TEST(ClampTest, IntegerRules) {
    EXPECT_EQ(ClampInt(0, 1, 5), 1);
    EXPECT_EQ(ClampInt(9, 1, 5), 5);
    EXPECT_EQ(ClampInt(3, 1, 5), 3);
    // Low above high: below low gives low, everything else high.
    EXPECT_EQ(ClampInt(3, 5, 1), 5);
    EXPECT_EQ(ClampInt(5, 5, 1), 1);
    EXPECT_EQ(ClampInt(9, 5, 1), 1);
}

TEST(ClampTest, FloatRulesAndNotANumber) {
    EXPECT_EQ(ClampFloat(-10.25f, -5, 2), -5);
    EXPECT_EQ(ClampFloat(2.25f, -5, 2), 2);
    EXPECT_EQ(ClampFloat(0.25f, -5, 2), 0.25f);
    EXPECT_EQ(ClampFloat(std::nanf(""), 7, 20), 7);
    EXPECT_EQ(ClampFloat(std::numeric_limits<float>::infinity(), 7, 20), 20);
    EXPECT_EQ(ClampFloat(3, 5, 1), 5);
    EXPECT_EQ(ClampFloat(5, 5, 1), 1);
}

TEST(ToSingleTest, RoundsAndSaturatesWithoutUndefinedCasts) {
    EXPECT_EQ(ToSingle(0.1), 0.1f);
    EXPECT_EQ(ToSingle(1e300), std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(-1e300), -std::numeric_limits<float>::infinity());
    EXPECT_EQ(ToSingle(0x1.fffffe8p127), std::numeric_limits<float>::max());
}

TEST(UtilsTest, VersionStringIsMajorDotMinor) { EXPECT_EQ(VersionString(), "2.3"); }

TEST(UtilsTest, FileNameAndExtension) {
    EXPECT_EQ(FileNameOf("/home/me/car.br3"), "car.br3");
    EXPECT_EQ(FileNameOf("car.br3"), "car.br3");
    EXPECT_EQ(ReplaceExtension("/opt/kvq/kvqsetup", ".lmt"), "/opt/kvq/kvqsetup.lmt");
    EXPECT_EQ(ReplaceExtension("/opt/kvq/kvqsetup.exe", ".ini"), "/opt/kvq/kvqsetup.ini");
    EXPECT_EQ(ReplaceExtension("/opt/kvq.d/kvqsetup", ".ini"), "/opt/kvq.d/kvqsetup.ini");
    EXPECT_EQ(ReplaceExtension("a.b.c", ".x"), "a.b.x");
}

// Relative names are taken against the working folder; links and ".." are left for the system.
TEST(UtilsTest, AbsolutePathKeepsLinksAndDotDot) {
    const std::string here = std::filesystem::current_path().string();
    const std::string base = here == "/" ? "" : here;
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {"/tmp/x/car.br1",     "/tmp/x/car.br1"},
        {"sub/r.fe2",          base + "/sub/r.fe2"},
        {"./sub//./r.fe2",     base + "/sub/r.fe2"},
        {"../up/r.fe2",        base + "/../up/r.fe2"},
        {"/a/./b//c",          "/a/b/c"},
        {"sub/\xff\n.lo3",   base + "/sub/\xff\n.lo3"},
    };
    // clang-format on
    for (const auto& [given, expected] : rows) EXPECT_EQ(AbsolutePath(given), expected) << given;
}

// Names in messages: what a terminal would obey is shown instead; every other character stays.
TEST(PrintableNameTest, ControlsAndBytesThatAreNoUtf8AreEscaped) {
    // clang-format off
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"car.br1", "car.br1"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {"\x1b[2J\x07\x7f", "\\x1b[2J\\x07\\x7f"},
        {"\xc2\x9b" "2J", "\\xc2\\x9b2J"},               // the C1 control CSI in UTF-8
        {"caf\xe9 \xed\xa0\x80", "caf\\xe9 \\xed\\xa0\\x80"}, // Latin-1, an encoded surrogate
        {"\xc3", "\\xc3"},                                  // cut short
        {"ünï €\\ 😀", "ünï €\\ 😀"},
    };
    // clang-format on
    for (const auto& [name, shown] : rows) {
        EXPECT_EQ(PrintableName(name), shown);
        EXPECT_EQ(PrintableName(shown), shown) << "escaping twice changes nothing";
    }
}

// The window takes names as UTF-16; any bytes must come back from it as they went.
TEST(FileNameUtf16Test, EveryNameComesBackByteForByte) {
    for (const std::string_view name : {"plain.br1"sv, "ünï 😀.fe2"sv, "caf\xe9.br1"sv,
                                        "\xff\xfe\x80\xc3"sv, "\xed\xa0\x80\xf4\x90\x80\x80"sv})
        EXPECT_EQ(FileNameFromUtf16(FileNameToUtf16(name)), name);
    EXPECT_EQ(FileNameToUtf16("ü😀"), u"ü😀");
    EXPECT_EQ(FileNameFromUtf16(u"ü😀"), "ü😀");
}

TEST(ShortenPathTest, WindowsPathsLoseFoldersFromTheLeft) {
    const std::string path = R"(C:\Games\KVQ\Setups\Season\Monza\car.br3)"; // 40 characters
    struct Row {
        std::size_t max;
        const char* expected;
    };
    const Row rows[] = {
        {80, R"(C:\Games\KVQ\Setups\Season\Monza\car.br3)"},
        {40, R"(C:\Games\KVQ\Setups\Season\Monza\car.br3)"},
        {39, R"(C:\...\KVQ\Setups\Season\Monza\car.br3)"},
        {30, R"(C:\...\Season\Monza\car.br3)"},
        {20, R"(C:\...\Monza\car.br3)"},
        {15, R"(C:\...\car.br3)"},
        {12, R"(...\car.br3)"},
        {10, R"(car.br3)"},
        {3, R"(car.br3)"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ShortenPath(path, row.max, PathStyle::Windows), row.expected) << row.max;
}

TEST(ShortenPathTest, NetworkPathKeepsItsLeadingBackslash) {
    const std::string path = R"(\\server\share\setups\car.br3)";
    EXPECT_EQ(ShortenPath(path, 25, PathStyle::Windows), R"(\...\share\setups\car.br3)");
    EXPECT_EQ(ShortenPath(path, 12, PathStyle::Windows), R"(\...\car.br3)");
}

TEST(ShortenPathTest, PosixPathsShortenToo) {
    const std::string path = "/home/racer/kvq/setups/monza/car.br3";
    EXPECT_EQ(ShortenPath(path, 80), path);
    EXPECT_EQ(ShortenPath(path, 30), "/.../kvq/setups/monza/car.br3");
    EXPECT_EQ(ShortenPath(path, 25), "/.../setups/monza/car.br3");
    EXPECT_EQ(ShortenPath(path, 16), "/.../car.br3");
    EXPECT_EQ(ShortenPath(path, 11), ".../car.br3");
    EXPECT_EQ(ShortenPath(path, 5), "car.br3");
    // A folder whose name starts with a dot is a folder like any other.
    EXPECT_EQ(ShortenPath("/.a/b/c/car.br3", 14), "/.../c/car.br3");
    EXPECT_EQ(ShortenPath("car.br3", 3), "car.br3");
}

} // namespace
} // namespace kvq

namespace kvq {
namespace {

TEST(ErrorBoxTextTest, FullStopAfterLettersAndDigitsOnly) {
    EXPECT_EQ(ErrorBoxText("car.br3: Invalid file type"), "car.br3: Invalid file type.");
    EXPECT_EQ(ErrorBoxText("Failed to open car.br3"), "Failed to open car.br3.");
    EXPECT_EQ(ErrorBoxText("No INI Filename Specified."), "No INI Filename Specified.");
    EXPECT_EQ(ErrorBoxText("Disk full!"), "Disk full!");
    EXPECT_EQ(ErrorBoxText("Cannot open file /x/Help.txt"), "Cannot open file /x/Help.txt.");
    EXPECT_EQ(ErrorBoxText("code 5"), "code 5.");
    EXPECT_EQ(ErrorBoxText("in (parens)"), "in (parens)");
    EXPECT_EQ(ErrorBoxText(""), "");
}

TEST(ReadTextLinesTest, SplitsLinesAndReportsAMissingFile) {
    test::TempDir dir;
    test::WriteText(dir.File("Help.txt"), "first\r\nsecond\n\nlast");
    EXPECT_EQ(ReadTextLines(dir.File("Help.txt")),
              (std::vector<std::string>{"first", "second", "", "last"}));
    try {
        (void)ReadTextLines(dir.File("nope.txt"));
        FAIL() << "no error";
    } catch (const KvqError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot open file " + dir.File("nope.txt"));
    }
    std::filesystem::create_directory(dir.File("folder.txt"));
    EXPECT_THROW((void)ReadTextLines(dir.File("folder.txt")), KvqError);
    if (test::MakeFifo(dir.File("pipe.txt"))) {
        EXPECT_THROW((void)ReadTextLines(dir.File("pipe.txt")), KvqError) << "and does not wait";
    }
}

} // namespace
} // namespace kvq
