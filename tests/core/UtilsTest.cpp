#include "base/Utils.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
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

// On Windows: the drive of the working folder, and folders joined by "\" whichever way given.
TEST(UtilsTest, AbsolutePathOnWindowsHasTheSystemsSeparators) {
    if (sys::SystemPathStyle() != PathStyle::Windows) GTEST_SKIP() << "Windows paths";
    const std::string here = sys::PathText(std::filesystem::current_path());
    const std::string drive = here.substr(0, 2);
    const std::string base = here.back() == '\\' ? here.substr(0, here.size() - 1) : here;
    // clang-format off
    const std::pair<std::string, std::string> rows[] = {
        {"C:/x/car.br1",          R"(C:\x\car.br1)"},
        {R"(C:\x/./y\\car.br1)",  R"(C:\x\y\car.br1)"},
        {"sub/r.fe2",             base + R"(\sub\r.fe2)"},
        {"/top/r.fe2",            drive + R"(\top\r.fe2)"},
        {R"(\\srv\share/s/r.fe2)", R"(\\srv\share\s\r.fe2)"},
        {"C:/x/",                 R"(C:\x\)"},
        {"C:/",                   R"(C:\)"},
        {"ünï/😀.br1",            base + R"(\ünï\😀.br1)"},
    };
    // clang-format on
    for (const auto& [given, expected] : rows) EXPECT_EQ(AbsolutePath(given), expected) << given;
}

// Windows does not tell upper from lower case in names, beyond ASCII too; Linux does.
TEST(UtilsTest, PathKeysOfOneFile) {
    const bool windows = sys::SystemPathStyle() == PathStyle::Windows;
    EXPECT_EQ(sys::PathKey(R"(C:\Setups\Ärger.br1)") == sys::PathKey(R"(c:\setups\ärger.BR1)"),
              windows);
    EXPECT_NE(sys::PathKey("C:/a.br1"), sys::PathKey("C:/b.br1"));
}

// The shapes of paths of both systems, whichever one runs.
TEST(UtilsTest, FoldersAndRootsOfPaths) {
    constexpr auto kWindows = PathStyle::Windows;
    constexpr auto kPosix = PathStyle::Posix;
    struct Row {
        PathStyle style;
        std::string_view path, folder;
        bool absolute;
    };
    // clang-format off
    const Row rows[] = {
        {kPosix,   "/home/me/car.br1",         "/home/me",        true},
        {kPosix,   "/car.br1",                 "/",               true},
        {kPosix,   "/",                        "/",               true},
        {kPosix,   "sub/car.br1",              "sub",             false},
        {kPosix,   R"(a\b)",                   "",                false},
        {kWindows, R"(C:\Games\car.br1)",      R"(C:\Games)",     true},
        {kWindows, "C:/Games/car.br1",         "C:/Games",        true},
        {kWindows, R"(C:\car.br1)",            R"(C:\)",          true},
        {kWindows, R"(C:\)",                   R"(C:\)",          true},
        {kWindows, R"(\\srv\share\s\car.br1)", R"(\\srv\share\s)", true},
        {kWindows, R"(\\srv\share\car.br1)",   R"(\\srv\share\)", true},
        {kWindows, R"(\\srv\share\)",          R"(\\srv\share\)", true},
        {kWindows, "C:car.br1",                "C:",              false},
        {kWindows, R"(\car.br1)",              R"(\)",            false},
    };
    // clang-format on
    for (const Row& row : rows) {
        EXPECT_EQ(FolderOf(row.path, row.style), row.folder) << row.path;
        EXPECT_EQ(IsAbsolutePath(row.path, row.style), row.absolute) << row.path;
    }

    // A folder and a name in it; a folder above another and the name on the way down.
    struct Step {
        PathStyle style;
        std::string_view folder, name, path;
    };
    // clang-format off
    const Step steps[] = {
        {kPosix,   "/home",         "me",      "/home/me"},
        {kPosix,   "/",             "home",    "/home"},
        {kWindows, R"(C:\Games)",   "KVQ",     R"(C:\Games\KVQ)"},
        {kWindows, R"(C:\)",        "Games",   R"(C:\Games)"},
        {kWindows, "C:/Games/",     "KVQ",     "C:/Games/KVQ"},
        {kWindows, R"(\\srv\share\)", "s",     R"(\\srv\share\s)"},
    };
    // clang-format on
    for (const Step& step : steps) {
        EXPECT_EQ(JoinPath(step.folder, step.name, step.style), step.path) << step.path;
        const std::string below = JoinPath(step.path, "setups", step.style);
        EXPECT_EQ(NextFolderOnTheWay(step.folder, below, step.style), step.name) << below;
    }
}

// Another name of the same file is the same file; a file of the same content is not.
TEST(UtilsTest, SameFileByTheSystemsIdentity) {
    test::TempDir dir;
    test::WriteText(dir.File("a"), "setup");
    test::WriteText(dir.File("copy"), "setup");
    std::filesystem::create_hard_link(dir.File("a"), dir.File("link"));
    std::filesystem::create_directory(dir.File("d"));
    // clang-format off
    const std::tuple<std::string, std::string, bool> rows[] = {
        {dir.File("a"),    dir.File("a"),      true},
        {dir.File("a"),    dir.File("link"),   true},
        {dir.File("a"),    dir.File("d/../a"), true},
        {dir.File("d"),    dir.File("d/."),    true},
        {dir.File("a"),    dir.File("copy"),   false},
        {dir.File("a"),    dir.File("d"),      false},
        {dir.File("gone"), dir.File("gone/."), false},
    };
    // clang-format on
    for (const auto& [a, b, same] : rows) {
        EXPECT_EQ(SameFile(a, b), same) << a << " " << b;
        EXPECT_EQ(SameFile(b, a), same) << b << " " << a;
    }
}

// Values beyond the local code page come whole (Windows keeps the environment as UTF-16).
TEST(UtilsTest, EnvironmentVariableKeepsEveryCharacter) {
#ifdef _WIN32
    ::_wputenv_s(L"KVQ_TEST_VALUE", L"C:\\J\u00fcrgen\\\U0001F600");
#else
    ::setenv("KVQ_TEST_VALUE", "C:\\Jürgen\\😀", 1);
#endif
    EXPECT_EQ(sys::EnvironmentVariable("KVQ_TEST_VALUE"), "C:\\Jürgen\\😀");
    EXPECT_EQ(sys::EnvironmentVariable("KVQ_TEST_UNSET"), std::nullopt);
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
