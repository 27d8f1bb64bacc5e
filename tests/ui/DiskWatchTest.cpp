// Setup files that another program changes or removes while a page shows them: the bar above
// the sheet, Reload, Keep this version, and the question before saving over such a file.

#include "WindowFixture.h"

#include "setup/Sheet.h"

#include <QLabel>
#include <QMenu>
#include <QToolBar>

#include <functional>

namespace kvq::test {
namespace {

constexpr int kWaitMs = 10000;

class DiskWatchTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowActive();
    }

    QToolBar* Bar() { return Window().findChild<QToolBar*>("DiskBar"); }
    // What the bar says, with its commands; empty while it is hidden.
    QString Notice() {
        if (!Bar()->isVisible()) return {};
        QString notice = Bar()->findChild<QLabel*>("DiskBarText")->text();
        for (const char* name : {"Reload1", "KeepVersion1"})
            if (Bar()->findChild<QAction*>(name)->isVisible())
                notice += " [" + Action(name)->text() + "]";
        return notice;
    }
    // Waits, however long the file system takes to tell, for the bar to say that.
    [[nodiscard]] bool NoticeBecomes(const QString& notice) {
        return QTest::qWaitFor([&] { return Notice() == notice; }, kWaitMs);
    }
    void SelectPage(int page) {
        QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(page).center());
    }

    // Another program writes the file as the simulation does: beside it, then renamed over it.
    void ReplaceByRename(const std::string& path, const SetupRecord& record) {
        SetupFile("incoming.tmp", record);
        std::filesystem::rename(dir.File("incoming.tmp"), path);
    }
    // Another program writes into the file itself.
    void ChangeInPlace(const std::string& path, const SetupRecord& record) {
        const auto& bytes = record.ToBytes();
        WriteBytes(path, {bytes.begin(), bytes.end()});
    }

    static SetupRecord WithFuel(float fuel) {
        SetupRecord record = ImportTemplate();
        record.Set(field::Fuel, fuel);
        return record;
    }
};

QString Changed(const QString& name) {
    return name + " was changed on disk. [Reload] [Keep this version]";
}
QString Removed(const QString& name) {
    return name + " was removed from disk. [Keep this version]";
}
const QString kChanged = Changed("car.br1");
const QString kRemoved = Removed("car.br1");

TEST_F(DiskWatchTest, TheBarFollowsTheFile) {
    // A name that is no UTF-8 is watched as well as any, and so is one whose ".." comes after a
    // link: it leads to the folder above the link's target, as it did when the page read it.
    std::filesystem::create_directories(dir.File("real/sub"));
    std::filesystem::create_directory_symlink(dir.File("real/sub"), dir.File("link"));
    for (const std::string name : {"car.br1", "\xff\xfe.lo3", "link/../car.fe2"}) {
        SCOPED_TRACE(name);
        const std::string path = SetupFile(name);
        Open(path);
        EXPECT_EQ(Notice(), "");
        const QString shown = Window().PageCaption(Window().CurrentPage());
        const struct Row {
            const char* name;
            std::function<void()> act;
            QString notice;
        } rows[] = {
            // Each notice differs from the one before, so each row waits for its own.
            {"replaced by rename", [&] { ReplaceByRename(path, WithFuel(30)); }, Changed(shown)},
            {"back as the page read it", [&] { ChangeInPlace(path, ImportTemplate()); }, ""},
            {"changed in place", [&] { ChangeInPlace(path, WithFuel(31)); }, Changed(shown)},
            {"removed", [&] { std::filesystem::remove(path); }, Removed(shown)},
            {"created again", [&] { ChangeInPlace(path, WithFuel(32)); }, Changed(shown)},
            {"as the page read it again", [&] { ChangeInPlace(path, ImportTemplate()); }, ""},
            {"no setup any more", [&] { WriteText(path, "text"); }, Changed(shown)},
            {"removed again", [&] { std::filesystem::remove(path); }, Removed(shown)},
            {"back by rename", [&] { ReplaceByRename(path, ImportTemplate()); }, ""},
        };
        for (const Row& row : rows) {
            SCOPED_TRACE(row.name);
            row.act();
            EXPECT_TRUE(NoticeBecomes(row.notice)) << Notice().toStdString();
        }
        EXPECT_FALSE(Window().PageSetup(Window().CurrentPage()).Changed)
            << "never reloaded without the user";
    }
}

// The notice follows the path when its folder goes: removed, moved away, made again.
TEST_F(DiskWatchTest, TheNoticeFollowsThePathThroughItsFolder) {
    const std::filesystem::path top = dir.File("top"), folder = top / "d";
    std::filesystem::create_directories(folder);
    Open(SetupFile("top/d/car.br1"));
    const auto makeFolder = [&](const SetupRecord& record) {
        std::filesystem::create_directory(folder);
        SetupFile("top/d/car.br1", record);
    };
    const struct Row {
        const char* name;
        std::function<void()> act;
        QString notice;
    } rows[] = {
        {"the folder removed", [&] { std::filesystem::remove_all(folder); }, kRemoved},
        {"made again with the same file", [&] { makeFolder(ImportTemplate()); }, ""},
        {"moved away", [&] { std::filesystem::rename(folder, top / "d.old"); }, kRemoved},
        {"made again with another file", [&] { makeFolder(WithFuel(30)); }, kChanged},
        {"the folder above removed", [&] { std::filesystem::remove_all(top); }, kRemoved},
        {"both back, the folder by rename",
         [&] {
             std::filesystem::create_directories(dir.File("new"));
             SetupFile("new/car.br1");
             std::filesystem::create_directory(top);
             std::filesystem::rename(dir.File("new"), folder);
         },
         ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        row.act();
        EXPECT_TRUE(NoticeBecomes(row.notice)) << Notice().toStdString();
    }
}

TEST_F(DiskWatchTest, ReloadReadsTheFileAsOpenAsAStepToUndo) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    MarkChanged(0);
    ReplaceByRename(path, WithFuel(500)); // beyond the limits: brought within, as Open does
    ASSERT_TRUE(NoticeBecomes(kChanged));
    EXPECT_EQ(Window().PageSetup(0).Record.Get(field::SteeringRatio), 17.0f) << "not reloaded yet";
    Action("Reload1")->trigger();
    EXPECT_EQ(Notice(), "");
    EXPECT_EQ(Window().PageSetup(0).Record, [] {
        SetupRecord record = WithFuel(46);
        Normalise(record, CurrentLimits{});
        return record;
    }());
    EXPECT_FALSE(Window().PageSetup(0).Changed);
    EXPECT_FALSE(Action("Save1")->isEnabled());
    EXPECT_TRUE(SheetText()[2].endsWith("Fuel: 46 gallons"));
    // Nothing is lost: the edits come back, still to save, and the file's version after them.
    const SetupRecord reloaded = Window().PageSetup(0).Record;
    ASSERT_EQ(Action("Undo1")->text(), "&Undo Reload");
    Action("Undo1")->trigger();
    EXPECT_EQ(Window().PageSetup(0).Record.Get(field::SteeringRatio), 17.0f);
    EXPECT_TRUE(Window().PageSetup(0).Changed);
    EXPECT_EQ(Notice(), "") << "the page knows the file's version";
    Action("Redo1")->trigger();
    EXPECT_EQ(Window().PageSetup(0).Record, reloaded);
    EXPECT_FALSE(Window().PageSetup(0).Changed);

    // Still watched after the rename: the next change shows as well, and is kept on request.
    ChangeInPlace(path, WithFuel(20));
    ASSERT_TRUE(NoticeBecomes(kChanged));
    Action("KeepVersion1")->trigger();
    EXPECT_EQ(Notice(), "");
    EXPECT_EQ(Window().PageSetup(0).Record.Get(field::Fuel), 46.0f);
    EXPECT_TRUE(Window().PageSetup(0).Changed) << "the page's version is on no file now";
    EXPECT_TRUE(Action("Save1")->isEnabled());
    // The file the user has seen and chosen to replace is saved over without a question.
    platform.saveAnswers = {QString::fromStdString(path)};
    Action("Save1")->trigger();
    EXPECT_TRUE(platform.questions.empty());
    EXPECT_EQ(ReadBytes(path), PageBytes(0));
}

TEST_F(DiskWatchTest, SavingOverAFileChangedOnDiskAsksFirst) {
    const std::string path = SetupFile("car.br1");
    const std::string other = SetupFile("other.br1");
    const SetupRecord theirs = WithFuel(30);
    Open(path);
    MarkChanged(0);
    ChangeInPlace(path, theirs);
    ASSERT_TRUE(NoticeBecomes(kChanged));
    platform.saveAnswers = {QString::fromStdString(path), QString::fromStdString(path)};
    platform.questionAnswers = {Platform::Answer::No, Platform::Answer::Yes};
    Action("Save1")->trigger();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0].text,
              "car.br1 was changed on disk since you opened it. Replace it?");
    EXPECT_EQ(ReadBytes(path),
              std::vector<std::uint8_t>(theirs.ToBytes().begin(), theirs.ToBytes().end()))
        << "No writes nothing";
    EXPECT_TRUE(Window().PageSetup(0).Changed);
    Action("Save1")->trigger();
    EXPECT_EQ(ReadBytes(path), PageBytes(0));
    EXPECT_FALSE(Window().PageSetup(0).Changed);
    EXPECT_TRUE(NoticeBecomes(""));

    // What only this page wrote is neither told nor asked about. The watcher reports in order, so
    // once the other file's change is told, the page's own write has been seen too.
    Open(other);
    SelectPage(0);
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(path)};
    Action("Save1")->trigger();
    ChangeInPlace(other, WithFuel(30));
    SelectPage(1);
    ASSERT_TRUE(NoticeBecomes("other.br1 was changed on disk. [Reload] [Keep this version]"));
    SelectPage(0);
    EXPECT_EQ(Notice(), "");
    EXPECT_EQ(platform.questions.size(), 2u);
}

// A save asks before it replaces any file that changed since this program last read or wrote
// it, wherever the page has been since.
TEST_F(DiskWatchTest, SavingOverAFileThePageLeftAsksToo) {
    const std::string orig = SetupFile("orig.br1");
    Open(orig);
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(dir.File("copy.br1"))};
    Action("Save1")->trigger();
    const SetupRecord theirs = WithFuel(30);
    ChangeInPlace(orig, theirs);
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(orig)};
    platform.questionAnswers = {Platform::Answer::No};
    Action("Save1")->trigger();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0].text,
              "orig.br1 was changed on disk since you opened it. Replace it?");
    EXPECT_EQ(ReadBytes(orig),
              std::vector<std::uint8_t>(theirs.ToBytes().begin(), theirs.ToBytes().end()));
}

// Each page on a file has its own notice, and a page's save is a change for the others.
TEST_F(DiskWatchTest, ManyPagesOnOneFile) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    Open(path);
    ReplaceByRename(path, WithFuel(30));
    ASSERT_TRUE(NoticeBecomes(kChanged));
    Action("Reload1")->trigger();
    EXPECT_EQ(Notice(), "");
    SelectPage(0);
    EXPECT_EQ(Notice(), kChanged);
    Action("KeepVersion1")->trigger();
    platform.saveAnswers = {QString::fromStdString(path)};
    Action("Save1")->trigger();
    EXPECT_EQ(Window().PageSetup(0).Record.Get(field::Fuel), 43.0f);
    SelectPage(1);
    EXPECT_TRUE(NoticeBecomes(kChanged));
    Action("Reload1")->trigger();
    EXPECT_EQ(Window().PageSetup(1).Record, Window().PageSetup(0).Record);
    // A page that goes stops watching for itself only.
    Window().ClosePage1Click();
    ChangeInPlace(path, WithFuel(20));
    EXPECT_TRUE(NoticeBecomes(kChanged));
}

// The bar takes room above the client area: the sheet and the editors keep their places in it.
TEST_F(DiskWatchTest, TheBarLeavesTheSheetGridInPlace) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    QWidget* client = Window().findChild<QWidget*>("ClientArea");
    QWidget* editor = Window().findChild<QWidget*>("FSpinEdit1");
    const QSize window = Window().size();
    const QRect sheet = Sheet()->geometry();
    DoubleClickCell(1, 59);
    const QRect cell = editor->geometry();
    Type(Qt::Key_Escape);

    ChangeInPlace(path, WithFuel(30));
    ASSERT_TRUE(NoticeBecomes(kChanged));
    EXPECT_EQ(client->size(), QSize(472, 434));
    EXPECT_EQ(Sheet()->geometry(), sheet);
    EXPECT_EQ(Window().width(), window.width());
    EXPECT_EQ(Window().height(), window.height() + Bar()->height());
    EXPECT_GE(client->mapTo(&Window(), QPoint(0, 0)).y(), Bar()->geometry().bottom());
    DoubleClickCell(1, 59);
    EXPECT_EQ(editor->geometry(), cell);
    Type(Qt::Key_Escape);

    const std::unique_ptr<QMenu> toolBars(Window().createPopupMenu());
    EXPECT_TRUE(!toolBars || toolBars->isEmpty()) << "the user cannot hide the bar";
    Action("KeepVersion1")->trigger();
    EXPECT_TRUE(QTest::qWaitFor([&] { return Window().size() == window; }, kWaitMs));
}

} // namespace
} // namespace kvq::test
