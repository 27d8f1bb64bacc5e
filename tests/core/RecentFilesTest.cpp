#include "settings/RecentFiles.h"

#include "settings/IniProfile.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace kvq {
namespace {

using Files = std::vector<std::string>;

TEST(RecentFilesTest, MostRecentFirstAtMostEight) {
    // "+x" opens or saves x, "-x" finds it unreadable, "clear" clears the list.
    const struct Row {
        const char* name;
        std::vector<std::string> steps;
        Files files;
    } rows[] = {
        {"newest first", {"+/a", "+/b"}, {"/b", "/a"}},
        {"again moves up", {"+/a", "+/b", "+/c", "+/a"}, {"/a", "/c", "/b"}},
        {"the oldest goes",
         {"+/1", "+/2", "+/3", "+/4", "+/5", "+/6", "+/7", "+/8", "+/9"},
         {"/9", "/8", "/7", "/6", "/5", "/4", "/3", "/2"}},
        {"the top again keeps eight",
         {"+/1", "+/2", "+/3", "+/4", "+/5", "+/6", "+/7", "+/8", "+/8"},
         {"/8", "/7", "/6", "/5", "/4", "/3", "/2", "/1"}},
        {"an unreadable one leaves", {"+/a", "+/b", "+/c", "-/b"}, {"/c", "/a"}},
        {"leaving twice", {"+/a", "-/b", "-/a", "-/a"}, {}},
        {"cleared", {"+/a", "+/b", "clear", "+/c"}, {"/c"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecentFiles list;
        for (const std::string& step : row.steps) {
            if (step == "clear")
                list.Clear();
            else if (step[0] == '+')
                list.Add(step.substr(1));
            else
                list.Remove(step.substr(1));
        }
        EXPECT_EQ(list.Files(), row.files);
        EXPECT_EQ(RecentFiles::FromText(list.ToText()).Files(), row.files);
    }
}

TEST(RecentFilesTest, TheSettingsValue) {
    const std::string long1(1000, 'x'), long2(1000, 'y'), long3(1000, 'z');
    const struct Row {
        const char* name;
        Files added; // oldest first
        std::string text;
    } rows[] = {
        {"empty", {}, ""},
        {"joined by bars", {"/a b/c.br1", "/d.fe2"}, "/d.fe2|/a b/c.br1"},
        {"UTF-8 names", {"/Düsseldorf.fe2"}, "/Düsseldorf.fe2"},
        {"what a value cannot carry is left out",
         {"/a|b.br1", "/new\nline.br1", "/\xe9t\xe9.br1", "/ok.br1"},
         "/ok.br1"},
        {"the oldest beyond the length a value is read back",
         {"/" + long3, "/" + long2, "/" + long1},
         "/" + long1 + "|/" + long2},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecentFiles list;
        for (const std::string& file : row.added) list.Add(file);
        EXPECT_EQ(list.ToText(), row.text);
        EXPECT_LE(list.ToText().size(), IniProfile::kMaxValueLength);
    }
}

TEST(RecentFilesTest, ReadFromTheSettingsValue) {
    EXPECT_EQ(RecentFiles::FromText("").Files(), Files{});
    EXPECT_EQ(RecentFiles::FromText("|/a||/b|/a|").Files(), (Files{"/a", "/b"}));
    // A hand-made value: what the list would not write is passed over, not shown or rewritten.
    EXPECT_EQ(RecentFiles::FromText("/\xff\xfe.br1|/a|rel.br1|./b.br1| |/d/ |/c/|/e.br1").Files(),
              (Files{"/a", "/e.br1"}));
    // A value read cut: its last entry may be cut short.
    const IniProfile cut("[Files]\nRecentFiles=/a|/" + std::string(100000, 'x') + "|/b\n");
    EXPECT_EQ(RecentFiles::FromText(cut.Read("Files", "RecentFiles", "")).Files(), Files{"/a"});
    EXPECT_EQ(RecentFiles::FromText("/1|/2|/3|/4|/5|/6|/7|/8|/9").Files().size(),
              RecentFiles::kMaxFiles);
}

} // namespace
} // namespace kvq
