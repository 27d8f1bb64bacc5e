// The window's position, the last file opened and KVQ Default survive a restart.

#include "WindowFixture.h"

#include "settings/IniProfile.h"

#include <QMenu>

#include <functional>

namespace kvq::test {
namespace {

class SettingsTest : public WindowTest {
protected:
    std::string SettingsFile() { return dir.File("KVQSETUP.INI"); }
    // The paths File, Recent Files offers.
    QStringList RecentFiles() {
        QStringList paths;
        for (QAction* item : Window().findChild<QMenu*>("RecentFiles1")->actions())
            if (!item->statusTip().isEmpty()) paths << item->statusTip();
        return paths;
    }

    // Closes the window as the user would and starts a fresh one on the same folder.
    void Restart() {
        ASSERT_TRUE(Window().close());
        window.reset();
    }
};

// A settings file that cannot be read counts as none.
TEST_F(SettingsTest, FirstStartUsesTheDefaults) {
    const std::pair<const char*, std::function<void(const std::string&)>> files[] = {
        {"no file", [](const std::string&) {}},
        {"a folder", [](const std::string& path) { std::filesystem::create_directory(path); }},
        {"a file over the size read",
         [](const std::string& path) {
             WriteText(path, "[Position]\nTop=40\nLeft=50\n");
             std::filesystem::resize_file(path, 17 << 20);
         }},
    };
    for (const auto& [what, make] : files) {
        SCOPED_TRACE(what);
        window.reset();
        std::filesystem::remove_all(SettingsFile());
        make(SettingsFile());
        platform.openInitialFiles.clear();
        EXPECT_EQ(Window().pos(), QPoint(0, 0));
        EXPECT_TRUE(Action("KVQDefault1")->isChecked());
        EXPECT_TRUE(RecentFiles().isEmpty());
        Window().Open1Click();
        EXPECT_EQ(platform.openInitialFiles.at(0), "");
        EXPECT_TRUE(platform.errors.empty());
    }
}

TEST_F(SettingsTest, StateComesBackAfterARestart) {
    WriteText(dir.File("kvqsetup.lmt"), "4,1,40\n");
    const std::string path = SetupFile("car.fe2");
    Window().move(120, 80);
    Open(path);
    Action("KVQDefault1")->trigger();
    Restart();

    const IniProfile ini = IniProfile::Load(SettingsFile());
    EXPECT_EQ(ini.Read("Position", "Top", "?"), "80");
    EXPECT_EQ(ini.Read("Position", "Left", "?"), "120");
    EXPECT_EQ(ini.Read("Files", "LastFile", "?"), path);
    EXPECT_EQ(ini.Read("Files", "RecentFiles", "?"), path);
    EXPECT_EQ(ini.Read("Flags", "KVQDefault", "?"), "0");

    EXPECT_EQ(Window().pos(), QPoint(120, 80));
    EXPECT_FALSE(Action("KVQDefault1")->isChecked());
    EXPECT_FALSE(Window().Limits().BuiltInInForce()) << "the file limits are in force again";
    EXPECT_EQ(RecentFiles(), QStringList{QString::fromStdString(path)});
    Window().Open1Click();
    EXPECT_EQ(platform.openInitialFiles.back().toStdString(), path);
}

// Entries the list would not write, put there by hand, are neither offered nor written back
// rewritten; the others come back byte for byte.
TEST_F(SettingsTest, RecentFilesPassOverWhatTheListWouldNotWrite) {
    const std::string path = SetupFile("car.br1");
    WriteText(SettingsFile(), "[Files]\nRecentFiles=/d/\xff\xfe.br1|rel.br1| |/d/|" + path + "\n");
    EXPECT_EQ(RecentFiles(), QStringList{QString::fromStdString(path)});
    Restart();
    EXPECT_EQ(IniProfile::Load(SettingsFile()).Read("Files", "RecentFiles", "?"), path);
}

TEST_F(SettingsTest, WithoutALimitsFileKvqDefaultIsCheckedWhateverTheFileSays) {
    WriteText(SettingsFile(), "[Flags]\nKVQDefault=0\n");
    EXPECT_TRUE(Action("KVQDefault1")->isChecked());
    EXPECT_FALSE(Action("KVQDefault1")->isVisible());
    EXPECT_TRUE(Window().Limits().BuiltInInForce());
}

TEST_F(SettingsTest, OtherContentOfTheSettingsFileIsKept) {
    WriteText(SettingsFile(),
              "; my notes\r\n[Position]\r\nTop=5\r\nLeft=7\r\n[Mine]\r\nKeep=this\r\n");
    EXPECT_EQ(Window().pos(), QPoint(7, 5));
    EXPECT_TRUE(RecentFiles().isEmpty()) << "a file of an older version has none";
    Restart();
    const std::string text = ReadText(SettingsFile());
    EXPECT_NE(text.find("; my notes\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("[Mine]\r\nKeep=this\r\n"), std::string::npos) << text;
}

TEST_F(SettingsTest, BadValuesLeaveTheLayoutPosition) {
    WriteText(SettingsFile(), "[Position]\nTop=high\nLeft=\n");
    EXPECT_EQ(Window().pos(), QPoint(513, 117));
}

TEST_F(SettingsTest, AnUnwritableSettingsFileIsIgnoredSilently) {
    std::filesystem::create_directory(SettingsFile());
    Window().move(30, 40);
    Restart();
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_TRUE(std::filesystem::is_directory(SettingsFile()));
    EXPECT_EQ(Window().pos(), QPoint(0, 0));
}

// An installed copy: the program's folder is not the user's, so the settings go to the user's
// folder, where the user may also add limits and vocabularies; the program's folder still gives
// the defaults an administrator put there.
TEST_F(SettingsTest, AnInstalledCopyKeepsItsSettingsInTheUsersFolder) {
    const std::string user = dir.File("home/.config/kvqsetup");
    platform.userFolder = QString::fromStdString(user);
    WriteText(SettingsFile(), "[Position]\nTop=5\nLeft=7\n");
    EXPECT_EQ(Window().pos(), QPoint(7, 5));
    Window().move(120, 80);
    Restart();
    EXPECT_EQ(ReadText(SettingsFile()), "[Position]\nTop=5\nLeft=7\n") << "the defaults stay";
    EXPECT_EQ(IniProfile::Load(user + "/KVQSETUP.INI").Read("Position", "Top", "?"), "80");
    EXPECT_EQ(std::filesystem::status(user).permissions(), std::filesystem::perms::owner_all);

    WriteText(user + "/kvqsetup.lmt", "4,1,40\n");
    std::filesystem::copy_file(SourceDir() / "examples/alternative.kvq", user + "/alternative.kvq");
    EXPECT_EQ(Window().pos(), QPoint(120, 80));
    EXPECT_TRUE(Action("KVQDefault1")->isVisible()) << "the user's limits file";
    const std::string text = ReadText((SourceDir() / "examples/alternative.txt").string());
    platform.SetClipboardText(QString::fromStdString(text));
    EXPECT_TRUE(Action("Paste1")->isEnabled()) << "the user's vocabulary";
}

} // namespace
} // namespace kvq::test
