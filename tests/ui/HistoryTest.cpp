// A page's history: undo and redo of its steps, and the files opened and saved last.

#include "WindowFixture.h"

#include "app/CopyDlg.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

#include <functional>

namespace kvq::test {
namespace {

class HistoryTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowActive();
    }

    const TSetup& Current() { return Window().PageSetup(Window().CurrentPage()); }

    // Copies a group of the file at path into the page in front, through the copy dialog.
    void CopyFrom(const char* item, const std::string& path) {
        platform.openAnswers.push_back(QString::fromStdString(path));
        QTimer::singleShot(0, [this] { Window().findChild<TCopyDialog*>()->FileBtnClick(); });
        Action(item)->trigger();
    }

    QMenu* Recent() { return Window().findChild<QMenu*>("RecentFiles1"); }
    // The entries of File, Recent Files, each as "text <tip>".
    QStringList RecentEntries() {
        QStringList entries;
        for (QAction* item : Recent()->actions())
            if (!item->isSeparator() && item->objectName() != "ClearList1")
                entries << item->text() + " <" + item->statusTip() + ">";
        return entries;
    }
    QString Entry(int number, const std::string& path) {
        return QString("&%1 %2 <%3>")
            .arg(number)
            .arg(QString::fromStdString(std::filesystem::path(path).filename()))
            .arg(QString::fromStdString(path));
    }
};

// One step each: undone, the page is as opened and unchanged; redone, as after the step.
TEST_F(HistoryTest, EachStepUndoesAndRedoesAsOne) {
    SetupRecord sourceRecord = ImportTemplate();
    sourceRecord.Set(field::GearIndex1, 2);
    sourceRecord.Set(field::Fuel, 30.0f);
    const std::string source = SetupFile("source.br1", sourceRecord);
    const struct Row {
        const char* step;
        std::function<void()> take;
        bool change;
    } rows[] = {
        {"Steering Ratio",
         [this] {
             DoubleClickCell(1, 59);
             Type(Qt::Key_Up);
             Type(Qt::Key_Return);
         },
         true},
        // While the sheet shows N, the edit writes both sides: one step.
        {"Bump FL",
         [this] {
             DoubleClickCell(4, 6);
             Type(Qt::Key_Up);
             Type(Qt::Key_Return);
             ASSERT_EQ(Current().Record.Get(field::BumpFR), Current().Record.Get(field::BumpFL));
         },
         true},
        {"Asymmetrical", [this] { DoubleClickCell(22, 57); }, false},
        {"Copy Gearbox", [&] { CopyFrom("CopyGearbox2", source); }, true},
        {"Copy Chassis", [&] { CopyFrom("CopyChassis1", source); }, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.step);
        Open(SetupFile("car.br1"));
        const SetupRecord opened = Current().Record;
        const QStringList openedSheet = SheetText();
        EXPECT_FALSE(Action("Undo1")->isEnabled());
        QSignalSpy announced(&Window(), &TForm1::SetupChanged);
        row.take();
        const SetupRecord after = Current().Record;
        ASSERT_NE(after, opened);
        EXPECT_EQ(Current().Changed, row.change);
        EXPECT_EQ(Action("Undo1")->text(), QString("&Undo ") + row.step);
        EXPECT_TRUE(Action("Undo1")->isEnabled());
        EXPECT_FALSE(Action("Redo1")->isEnabled());

        Action("Undo1")->trigger();
        EXPECT_EQ(Current().Record, opened);
        EXPECT_FALSE(Current().Changed);
        EXPECT_FALSE(Action("Save1")->isEnabled());
        EXPECT_EQ(SheetText(), openedSheet);
        EXPECT_EQ(Action("Undo1")->text(), "&Undo");
        EXPECT_FALSE(Action("Undo1")->isEnabled());
        EXPECT_EQ(Action("Redo1")->text(), QString("&Redo ") + row.step);

        Action("Redo1")->trigger();
        EXPECT_EQ(Current().Record, after);
        EXPECT_EQ(Current().Changed, row.change);
        EXPECT_EQ(Action("Save1")->isEnabled(), row.change);
        EXPECT_EQ(announced.count(), 3) << "the step, its undo and its redo";
    }
}

TEST_F(HistoryTest, TheStateLastSavedIsTheUnchangedOne) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(path)};
    Action("Save1")->trigger();
    ASSERT_FALSE(Current().Changed);
    DoubleClickCell(22, 57); // no change to save
    EXPECT_FALSE(Current().Changed);
    Action("Undo1")->trigger();
    EXPECT_FALSE(Current().Changed);
    Action("Undo1")->trigger(); // back before the save: the file holds what was undone
    EXPECT_TRUE(Current().Changed);
    EXPECT_TRUE(Action("Save1")->isEnabled());
    Action("Redo1")->trigger();
    EXPECT_FALSE(Current().Changed);
    Action("Undo1")->trigger();
    DoubleClickCell(22, 57); // a new step drops the saved state from the steps
    Action("Undo1")->trigger();
    EXPECT_TRUE(Current().Changed);

    // A pasted page is on no file: changed whatever is undone.
    Window().Copy1Click();
    Window().Paste1Click();
    ASSERT_EQ(Window().PageCaption(Window().CurrentPage()), "Import1");
    MarkChanged(Window().CurrentPage());
    Action("Undo1")->trigger();
    EXPECT_TRUE(Current().Changed);
    EXPECT_TRUE(Action("Save1")->isEnabled());
}

// Ctrl+Z in an open editor ends the edit first: the value just stepped is the step undone.
TEST_F(HistoryTest, KeysInAnOpenEditorUndoTheValueStepped) {
    Open(SetupFile("car.br1"));
    const SetupRecord opened = Current().Record;
    DoubleClickCell(1, 59);
    Type(Qt::Key_Up);
    Type(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_FALSE(Window().findChild<QWidget*>("FSpinEdit1")->isVisible());
    EXPECT_EQ(Current().Record, opened);
    EXPECT_FALSE(Action("Save1")->isEnabled());
    Type(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Current().Record.Get(field::SteeringRatio), 17.0f);
    Type(Qt::Key_Z, Qt::ControlModifier);
    Type(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(Current().Record.Get(field::SteeringRatio), 17.0f);
    EXPECT_TRUE(Action("Save1")->isEnabled());
}

TEST_F(HistoryTest, EachPageHasItsOwnSteps) {
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.br1"));
    MarkChanged(0);
    EXPECT_EQ(Action("Undo1")->text(), "&Undo Steering Ratio");
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    EXPECT_FALSE(Action("Undo1")->isEnabled());
    Window().ClosePage1Click();
    EXPECT_EQ(Action("Undo1")->text(), "&Undo Steering Ratio");
    platform.questionAnswers = {Platform::Answer::No};
    Window().ClosePage1Click();
    EXPECT_FALSE(Action("Undo1")->isEnabled());
    EXPECT_FALSE(Action("Redo1")->isEnabled());
}

TEST_F(HistoryTest, FilesOpenedAndSavedComeFirstInRecentFiles) {
    EXPECT_FALSE(Recent()->menuAction()->isEnabled());
    const std::string a = SetupFile("a.br1"), b = SetupFile("b&c.fe2");
    Open(a);
    Open(b);
    EXPECT_EQ(RecentEntries(),
              (QStringList{"&1 b&&c.fe2 <" + QString::fromStdString(b) + ">", Entry(2, a)}));
    MarkChanged(1);
    const std::string saved = dir.File("saved.lo3");
    platform.saveAnswers = {QString::fromStdString(saved)};
    Action("Save1")->trigger();
    EXPECT_EQ(RecentEntries().size(), 3);
    EXPECT_EQ(RecentEntries().front(), Entry(1, saved));

    Recent()->actions().at(2)->trigger(); // a.br1, opened again on a page of its own
    EXPECT_EQ(Window().PageCount(), 3);
    EXPECT_EQ(Window().PageCaption(2), "a.br1");
    EXPECT_EQ(RecentEntries().front(), Entry(1, a));
    EXPECT_TRUE(platform.errors.empty());

    QAction* clearList = Recent()->actions().back();
    ASSERT_EQ(clearList->text(), "Clear List");
    clearList->trigger();
    EXPECT_TRUE(RecentEntries().isEmpty());
    EXPECT_FALSE(Recent()->menuAction()->isEnabled());
}

// An entry opens as Open opens its file; one that cannot be opened is told and leaves the list.
TEST_F(HistoryTest, ARecentFileThatCannotBeOpenedLeavesTheList) {
    auto notSetup = ImportTemplate().ToBytes();
    notSetup[0] = 'p';
    WriteBytes(dir.File("other.br1"), {notSetup.begin(), notSetup.end()});
    std::filesystem::create_directory(dir.File("folder.br1"));
    auto longer = std::vector<std::uint8_t>(ImportTemplate().ToBytes().begin(),
                                            ImportTemplate().ToBytes().end());
    longer.resize(300, 0xff);
    WriteBytes(dir.File("long.br1"), longer);
    const struct Row {
        const char* name;
        const char* error; // none: opened
    } rows[] = {
        // As for a file named on the command line.
        {"gone.br1", "gone.br1: file not found."},
        {"folder.br1", "Failed to open folder.br1."},
        {"other.br1", "other.br1: Invalid file type."},
        {"long.br1", nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        platform.errors.clear();
        Recent()->setProperty("Files", QString::fromStdString(dir.File(row.name)));
        Recent()->actions().front()->trigger();
        if (row.error) {
            ASSERT_EQ(platform.errors.size(), 1u);
            EXPECT_TRUE(platform.errors[0].text.endsWith(row.error))
                << platform.errors[0].text.toStdString();
            EXPECT_TRUE(RecentEntries().isEmpty());
        } else {
            EXPECT_TRUE(platform.errors.empty());
            EXPECT_EQ(Window().PageCaption(Window().CurrentPage()), row.name);
            EXPECT_EQ(RecentEntries(), QStringList{Entry(1, dir.File(row.name))});
        }
    }
    EXPECT_EQ(Window().PageCount(), 1);
}

} // namespace
} // namespace kvq::test
