#include "settings/IniProfile.h"

#include "TestFiles.h"
#include "base/Utils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace kvq {
namespace {

using namespace std::literals;
using test::TempDir;

// A hand-edited settings file: comments, odd spacing, a repeated section, keys that differ only
// in case and no line end after the last line.
constexpr std::string_view kEdited = "; written by hand\n"
                                     "Top=1\n"
                                     "[Position]\n"
                                     "Top=117\n"
                                     "\t Left =  513  \n"
                                     "; Width=1\n"
                                     "Height\n"
                                     "[ Files ] ; the last file\n"
                                     "LastFile=\n"
                                     "Quoted=\"  a b  \"\n"
                                     "Single='x'\n"
                                     "Odd=\"x'\n"
                                     "[Empty]\n"
                                     "; nothing yet\n"
                                     "[flags]\n"
                                     "KVQDefault=1\n"
                                     "kvqdefault=0\n"
                                     "\n"
                                     "[Position]\n"
                                     "Width=9\n"
                                     "top=2";

// Files come with every kind of line end.
constexpr std::string_view kLineEnds[] = {"\n", "\r\n", "\r"};

// The text with each LF replaced by the line end given.
std::string WithLineEnds(std::string_view text, std::string_view eol) {
    std::string out;
    for (const char c : text) {
        if (c == '\n')
            out += eol;
        else
            out += c;
    }
    return out;
}

std::string LineEndName(std::string_view eol) {
    return eol == "\n" ? " (LF)" : eol == "\r" ? " (CR)" : " (CR LF)";
}

// Replaces the one occurrence of what in text.
std::string Replaced(std::string_view text, std::string_view what, std::string_view with) {
    std::string out(text);
    const auto at = out.find(what);
    EXPECT_NE(at, std::string::npos) << what;
    EXPECT_EQ(out.find(what, at + 1), std::string::npos) << what;
    return out.replace(at, what.size(), with);
}

TEST(IniProfileTest, ReadsHandEditedFileWithAnyLineEnds) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        const char* expected;
    };
    const Row rows[] = {
        {"plain key", "Position", "Top", "117"},
        {"blanks around key and value", "Position", "Left", "513"},
        {"names without regard to case", "POSITION", "lEFT", "513"},
        {"present but empty, section with blanks in its brackets", "Files", "LastFile", ""},
        {"double quotes are removed", "Files", "Quoted", "  a b  "},
        {"single quotes are removed", "Files", "Single", "x"},
        {"unpaired quotes stay", "Files", "Odd", "\"x'"},
        {"first of keys that differ in case", "FLAGS", "kvqDefault", "1"},
        {"repeated section is read on", "Position", "Width", "9"},
        {"missing key", "Position", "Right", "default"},
        {"missing section", "Window", "Top", "default"},
        {"comment is no key", "Position", "; Width", "default"},
        {"line without equals is no key", "Position", "Height", "default"},
        {"key before the first section belongs to none", "", "Top", "default"},
    };
    for (const std::string_view eol : kLineEnds) {
        const IniProfile profile(WithLineEnds(kEdited, eol));
        for (const Row& row : rows)
            EXPECT_EQ(profile.Read(row.section, row.key, "default"), row.expected)
                << row.name << LineEndName(eol);
    }
}

TEST(IniProfileTest, LongValuesAreCutToWholeCharacters) {
    const std::string ascii(3000, 'a');
    std::string wide;
    for (int i = 0; i < 2100; ++i) wide += "\xC3\xA9"; // é
    IniProfile profile;
    profile.Write("S", "Ascii", ascii);
    profile.Write("S", "Wide", wide);
    EXPECT_EQ(profile.Read("S", "Ascii", ""), ascii.substr(0, 2047));
    EXPECT_EQ(profile.Read("S", "Wide", ""), wide.substr(0, 2 * 2047));
    EXPECT_EQ(profile.Read("S", "Missing", ascii), ascii.substr(0, 2047));
}

// Each write must change just the value or add just the lines it needs.
TEST(IniProfileTest, WritingKeepsEveryOtherByte) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
        std::string (*expected)(std::string_view original);
    };
    const Row rows[] = {
        {"replaces the value and keeps the blanks around it", "position", "LEFT", "-40",
         [](std::string_view t) { return Replaced(t, " =  513  ", " =  -40  "); }},
        {"fills an empty value", "Files", "LastFile", "/home/me/car.lo3",
         [](std::string_view t) { return Replaced(t, "LastFile=", "LastFile=/home/me/car.lo3"); }},
        {"replaces only the first of keys that differ in case", "Flags", "KVQDEFAULT", "0",
         [](std::string_view t) { return Replaced(t, "KVQDefault=1", "KVQDefault=0"); }},
        {"replaces a key of the repeated section where it stands", "Position", "Width", "10",
         [](std::string_view t) { return Replaced(t, "Width=9", "Width=10"); }},
        {"adds a key after the last key of the first appearance", "Position", "Right", "7",
         [](std::string_view t) { return Replaced(t, "513  \n", "513  \nRight=7\n"); }},
        {"adds a key after the last key, before the blank line", "Flags", "Extra", "",
         [](std::string_view t) { return Replaced(t, "0\n\n", "0\nExtra=\n\n"); }},
        {"adds a key right after the line of a section without keys", "empty", "K", "v",
         [](std::string_view t) { return Replaced(t, "[Empty]\n", "[Empty]\nK=v\n"); }},
        {"adds a section at the end, still without a last line end", "New", "Key", "v",
         [](std::string_view t) { return std::string(t) + "\n[New]\nKey=v"; }},
        {"quotes a value with blanks around it", "Files", "Quoted", " b ",
         [](std::string_view t) { return Replaced(t, "\"  a b  \"", "\" b \""); }},
    };
    for (const Row& row : rows) {
        for (const std::string_view eol : kLineEnds) {
            IniProfile profile(WithLineEnds(kEdited, eol));
            profile.Write(row.section, row.key, row.value);
            EXPECT_EQ(profile.Text(), WithLineEnds(row.expected(kEdited), eol))
                << row.name << LineEndName(eol);
            EXPECT_EQ(profile.Read(row.section, row.key, "default"), row.value) << row.name;
        }
    }
}

TEST(IniProfileTest, NewTextGetsSectionsWithLf) {
    IniProfile profile;
    profile.Write("Position", "Top", "0");
    profile.Write("Files", "LastFile", "");
    profile.Write("Position", "Left", "5");
    EXPECT_EQ(profile.Text(), "[Position]\nTop=0\nLeft=5\n[Files]\nLastFile=\n");
}

TEST(IniProfileTest, EveryValueWithoutLineBreakReadsBackTheSame) {
    for (const char* value :
         {"", " lead", "trail\t", "\"q\"", "'q'", "\"", "a;b=c [d]", "é ü", "'x\"", "  "}) {
        IniProfile profile;
        profile.Write("S", "K", value);
        EXPECT_EQ(profile.Read("S", "K", "default"), value) << profile.Text();
    }
}

TEST(IniProfileTest, NamesAndValuesThatCannotBeWrittenChangeNothing) {
    struct Row {
        const char* name;
        const char* section;
        const char* key;
        const char* value;
    };
    const Row rows[] = {
        {"line break in a value", "S", "K", "a\nb"},
        {"carriage return in a value", "S", "K", "a\rb"},
        {"line break in a section", "S\n[T]", "K", "v"},
        {"line break in a key", "S", "K\nL", "v"},
        {"bracket in a section", "S]x", "K", "v"},
        {"blank around a section", " S", "K", "v"},
        {"equals in a key", "S", "K=L", "v"},
        {"key that is a comment", "S", ";K", "v"},
        {"key that is a section", "S", "[K", "v"},
        {"blank around a key", "S", "K ", "v"},
    };
    for (const Row& row : rows) {
        IniProfile profile{std::string(kEdited)};
        EXPECT_THROW(profile.Write(row.section, row.key, row.value), KvqError) << row.name;
        EXPECT_EQ(profile.Text(), kEdited) << row.name;
    }
}

TEST(IniProfileTest, BinaryGarbageIsReadAndKeptWithoutHarm) {
    std::mt19937 random(7);
    std::string garbage(1 << 20, '\0');
    for (char& c : garbage) c = static_cast<char>(random());
    // Some structure among the noise.
    garbage += "\n[\0S\n\0=\0\n=\n["sv;
    IniProfile profile(garbage);
    EXPECT_EQ(profile.Read("Position", "Top", "default"), "default");
    profile.Write("Position", "Top", "5");
    EXPECT_EQ(profile.Read("Position", "Top", "default"), "5");
    EXPECT_EQ(profile.Text().substr(0, garbage.size()), garbage);
}

TEST(IniProfileTest, LoadAndSaveFiles) {
    TempDir dir;
    const std::string path = dir.File("KVQSETUP.INI");
    EXPECT_EQ(IniProfile::Load(path).Text(), "") << "missing file";
    EXPECT_EQ(IniProfile::Load(dir.File("missing/KVQ.INI")).Text(), "") << "missing folder";

    IniProfile profile(WithLineEnds(kEdited, "\r\n"));
    profile.Write("Position", "Top", "3");
    profile.Save(path);
    EXPECT_EQ(test::ReadText(path), profile.Text());
    EXPECT_EQ(IniProfile::Load(path).Text(), profile.Text());

    std::filesystem::create_directory(dir.File("FOLDER.INI"));
    EXPECT_EQ(IniProfile::Load(dir.File("FOLDER.INI")).Text(), "");
}

TEST(IniProfileTest, HugeFileIsRefused) {
    TempDir dir;
    const std::string path = dir.File("HUGE.INI");
    test::WriteText(path, "[Position]\nTop=1\n");
    std::filesystem::resize_file(path, IniProfile::kMaxFileSize + 1);
    EXPECT_THROW((void)IniProfile::Load(path), KvqError);
    std::filesystem::resize_file(path, IniProfile::kMaxFileSize);
    EXPECT_EQ(IniProfile::Load(path).Read("Position", "Top", ""), "1");
}

} // namespace
} // namespace kvq
