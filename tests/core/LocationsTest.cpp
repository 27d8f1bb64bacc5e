#include "settings/Locations.h"

#include "TestFiles.h"
#include "base/Utils.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kvq {
namespace {

using test::TempDir;

TEST(LocationsTest, UsersFolderFollowsXdgConfigHomeElseHome) {
    struct Row {
        const char* xdgConfigHome;
        const char* home;
        std::string folder;
    };
    const Row rows[] = {
        {"/cfg", "/home/me", "/cfg/kvqsetup"},
        {nullptr, "/home/me", "/home/me/.config/kvqsetup"},
        {"", "/home/me", "/home/me/.config/kvqsetup"},
        {"relative/cfg", "/home/me", "/home/me/.config/kvqsetup"},
        {"/cfg", nullptr, "/cfg/kvqsetup"},
        {nullptr, nullptr, ""},
        {nullptr, "", ""},
    };
    for (const Row& row : rows)
        EXPECT_EQ(UserConfigFolder(row.xdgConfigHome, row.home), row.folder)
            << (row.xdgConfigHome ? row.xdgConfigHome : "(unset)") << " "
            << (row.home ? row.home : "(unset)");

    // On Windows, in the user's roaming application data.
    const std::pair<std::optional<std::string>, std::string> appData[] = {
        {R"(C:\Users\Jürgen\AppData\Roaming)", R"(C:\Users\Jürgen\AppData\Roaming\kvqsetup)"},
        {R"(\\srv\profiles\me)", R"(\\srv\profiles\me\kvqsetup)"},
        {"Roaming", ""},
        {"", ""},
        {std::nullopt, ""},
    };
    for (const auto& [given, folder] : appData)
        EXPECT_EQ(UserAppDataFolder(given), folder) << given.value_or("(unset)");

    // This system's own: Windows (and Wine) set %APPDATA%, a Linux user has $HOME.
    const std::string own = UsersOwnFolder();
    EXPECT_TRUE(IsAbsolutePath(own)) << own;
    EXPECT_EQ(FileNameOf(own), "kvqsetup");
}

// Where each file is read and written, by whether the settings and limits files exist beside the
// program and in the user's folder: "P" beside the program, "U" in the user's folder.
TEST(LocationsTest, ProgramFolderFirstUsersFolderForWhatIsMissingAndForSettings) {
    struct Row {
        const char* name;
        bool hasUserFolder;
        bool programFiles;
        bool userFiles; // false: the user's folder does not exist
        char settingsRead, settingsWrite, limits;
        std::string vocabularyFolders;
    };
    const Row rows[] = {
        {"a copy in its own folder", false, true, false, 'P', 'P', 'P', "P"},
        {"first start of an installed copy", true, false, false, 'P', 'U', 'U', "P"},
        {"administrator's defaults", true, true, false, 'P', 'U', 'P', "P"},
        {"user's files", true, false, true, 'U', 'U', 'U', "PU"},
        {"both", true, true, true, 'U', 'U', 'P', "PU"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir dir;
        const std::string program = dir.File("lib");
        const std::string user = dir.File("config");
        const auto folder = [&](char which) { return which == 'P' ? program : user; };
        // The program's name as given; one in the user's folder as made there.
        const auto file = [&](char which, const char* name) {
            return which == 'P' ? program + "/" + name : JoinPath(user, name);
        };
        std::filesystem::create_directory(program);
        if (row.userFiles) std::filesystem::create_directory(user);
        for (const char* name : {"KVQSETUP.INI", "kvqsetup.lmt"}) {
            if (row.programFiles) test::WriteText(program + "/" + name, "");
            if (row.userFiles) test::WriteText(user + "/" + name, "");
        }

        const FileLocations places{program, row.hasUserFolder ? user : ""};
        const std::string settings = program + "/KVQSETUP.INI";
        EXPECT_EQ(places.SettingsToRead(settings), file(row.settingsRead, "KVQSETUP.INI"));
        EXPECT_EQ(places.SettingsToWrite(settings), file(row.settingsWrite, "KVQSETUP.INI"));
        EXPECT_EQ(places.LimitsFile(program + "/kvqsetup.lmt"), file(row.limits, "kvqsetup.lmt"));
        std::vector<std::string> folders;
        for (const char which : row.vocabularyFolders) folders.push_back(folder(which));
        EXPECT_EQ(places.VocabularyFolders(), folders);
    }
}

TEST(LocationsTest, AFolderTheUserMayWriteHasNoUsersFolder) {
    TempDir dir;
    EXPECT_EQ(LocateFiles(dir.Path().string()).UserFolder, "");
    EXPECT_EQ(LocateFiles(dir.Path().string()).ProgramFolder, dir.Path().string());
}

TEST(LocationsTest, MakeFolderForMakesTheMissingFoldersPrivate) {
    TempDir dir;
    const std::filesystem::path mine = dir.Path() / "mine";
    std::filesystem::create_directory(mine);
    std::filesystem::permissions(mine, std::filesystem::perms::all);
    MakeFolderFor((mine / "config/kvqsetup/KVQSETUP.INI").string());
    using std::filesystem::perms;
    EXPECT_EQ(std::filesystem::status(mine).permissions(), perms::all) << "there already: left";
    EXPECT_EQ(std::filesystem::status(mine / "config").permissions(), perms::owner_all);
    EXPECT_EQ(std::filesystem::status(mine / "config/kvqsetup").permissions(), perms::owner_all);
    EXPECT_FALSE(std::filesystem::exists(mine / "config/kvqsetup/KVQSETUP.INI"));
}

} // namespace
} // namespace kvq
