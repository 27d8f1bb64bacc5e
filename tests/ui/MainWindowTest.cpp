// The main window as the user meets it: pages, commands, questions, keys and the pointer.

#include "WindowFixture.h"

#include "base/Utils.h"
#include "edit/FieldTable.h"
#include "setup/Sheet.h"

#include <QMenu>
#include <QSignalSpy>
#include <QTimer>

namespace kvq::test {
namespace {

QStringList ToQt(const std::vector<std::string>& lines) {
    QStringList list;
    for (const auto& line : lines) list << QString::fromStdString(line);
    return list;
}

QStringList ExampleSheet(int kind) {
    SetupRecord record = ImportTemplate();
    Normalise(record, CurrentLimits{});
    return ToQt(SheetLines(record, kind));
}

QStringList HelpLines() {
    return ToQt(ReadTextLines((SourceDir() / "src/app/resources/Help.txt").string()));
}

// The commands that need an open page, and the ones always there.
const char* const kPageCommands[] = {"Close1",       "ClosePage1",   "SaveAs1",
                                     "Print1",       "Copy1",        "CopyGearbox1",
                                     "CopyGearbox2", "CopyChassis1", "CopyChassis2"};
const char* const kAlwaysCommands[] = {"Open1", "SetupLibrary1", "Exit1", "About1"};

TEST_F(WindowTest, StartsWithTheHelpTextAndOnlyTheAlwaysCommands) {
    EXPECT_EQ(Window().windowTitle(), "KVQ Setup V2.3");
    EXPECT_EQ(SheetText(), HelpLines());
    for (const char* name : kPageCommands) EXPECT_FALSE(Action(name)->isEnabled()) << name;
    for (const char* name : kAlwaysCommands) EXPECT_TRUE(Action(name)->isEnabled()) << name;
    EXPECT_FALSE(Action("Save1")->isEnabled());
    EXPECT_FALSE(Action("Paste1")->isEnabled());
    EXPECT_FALSE(Action("KVQDefault1")->isVisible());
    EXPECT_TRUE(Action("KVQDefault1")->isChecked());
    EXPECT_FALSE(Action("N4")->isVisible());
    EXPECT_TRUE(platform.errors.empty());
    EXPECT_EQ(Window().findChild<QWidget*>("ClientArea")->size(), QSize(472, 434));
}

TEST_F(WindowTest, MenusCarryTheirCaptionsKeysAndTags) {
    struct Row {
        const char* menu;
        const char* item;
        const char* text;
        const char* shortcut;
        int tag; // -1: none
    };
    const Row rows[] = {
        {"File1", "Open1", "&Open...", "Ctrl+O", -1},
        {"File1", "SetupLibrary1", "Setup &Library…", "Ctrl+L", -1},
        {"File1", "Save1", "&Save...", "Ctrl+S", -1},
        {"File1", "SaveAs1", "Save &As...", "Ctrl+Shift+S", -1},
        {"File1", "Close1", "&Close", "Ctrl+F4", -1},
        {"File1", "Print1", "&Print...", "Ctrl+P", -1},
        {"File1", "Exit1", "E&xit", "Ctrl+Q", -1},
        {"Edit1", "Undo1", "&Undo", "Ctrl+Z", -1},
        {"Edit1", "Redo1", "&Redo", "Ctrl+Shift+Z", -1},
        {"Edit1", "Copy1", "&Copy", "Ctrl+C", -1},
        {"Edit1", "Paste1", "&Paste", "Ctrl+V", -1},
        {"Edit1", "CopyGearbox2", "Copy &Gearbox...", "Ctrl+G", 1},
        {"Edit1", "CopyChassis2", "Copy C&hassis...", "Ctrl+H", 0},
        {"Edit1", "KVQDefault1", "KVQ Default", "", -1},
        {"Help1", "HelpText1", "&Contents", "F1", -1},
        {"Help1", "About1", "&About", "", -1},
        // The pop-up twins show their key without owning it.
        {"PopupMenu1", "ClosePage1", "Close Page\tCtrl+F4", "", -1},
        {"PopupMenu1", "CopyGearbox1", "Copy &Gearbox...\tCtrl+G", "", 1},
        {"PopupMenu1", "CopyChassis1", "Copy C&hassis...\tCtrl+H", "", 0},
    };
    for (const Row& row : rows) {
        QAction* item = Action(row.item);
        ASSERT_NE(item, nullptr) << row.item;
        EXPECT_TRUE(Window().findChild<QMenu*>(row.menu)->actions().contains(item)) << row.item;
        EXPECT_EQ(item->text(), row.text) << row.item;
        EXPECT_EQ(item->shortcut(), QKeySequence(row.shortcut)) << row.item;
        if (row.tag >= 0) {
            EXPECT_EQ(item->property("Tag").toInt(), row.tag) << row.item;
        }
    }
    EXPECT_EQ(Action("Redo1")->shortcuts().value(1), QKeySequence("Ctrl+Y"));
    EXPECT_EQ(Action("Close1")->shortcuts().value(1), QKeySequence("Ctrl+W"));
    // Undo and Redo head the Edit menu, apart from the rest; Recent Files comes before Exit.
    const auto edit = Window().findChild<QMenu*>("Edit1")->actions();
    EXPECT_EQ(edit.mid(0, 4),
              (QList<QAction*>{Action("Undo1"), Action("Redo1"), edit[2], Action("Copy1")}));
    EXPECT_TRUE(edit[2]->isSeparator());
    const auto file = Window().findChild<QMenu*>("File1")->actions();
    auto* recent = Window().findChild<QMenu*>("RecentFiles1");
    EXPECT_EQ(recent->title(), "Recent &Files");
    EXPECT_EQ(file.indexOf(recent->menuAction()), file.indexOf(Action("Exit1")) - 2);
    EXPECT_EQ(Window().findChild<QMenu*>("File1")->title(), "&File");
    EXPECT_EQ(Window().findChild<QMenu*>("Edit1")->title(), "&Edit");
    EXPECT_EQ(Window().findChild<QMenu*>("Help1")->title(), "&Help");
}

TEST_F(WindowTest, OpenTwoFilesShowsTheSecondWithSaveDisabled) {
    Open(SetupFile("car.br1"));
    Open(SetupFile("other.lo3"));
    ASSERT_EQ(Window().PageCount(), 2);
    EXPECT_EQ(Window().PageCaption(0), "car.br1");
    EXPECT_EQ(Window().PageCaption(1), "other.lo3");
    EXPECT_EQ(Window().CurrentPage(), 1);
    EXPECT_EQ(SheetText(), ExampleSheet(4));
    EXPECT_FALSE(Action("Save1")->isEnabled());
    for (const char* name : kPageCommands) EXPECT_TRUE(Action(name)->isEnabled()) << name;
    EXPECT_EQ(platform.filters.front(), kSetupFileFilter);
}

TEST_F(WindowTest, SelectingAPageShowsItsSheet) {
    Open(SetupFile("car.br1"));
    Open(SetupFile("other.lo3"));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    EXPECT_EQ(Window().CurrentPage(), 0);
    EXPECT_EQ(SheetText(), ExampleSheet(6));
}

TEST_F(WindowTest, OpenedRecordIsNormalisedWithoutBeingMarkedChanged) {
    SetupRecord record = ImportTemplate();
    record.Set(field::GearIndex1, 12);
    record.Set(field::Fuel, 500.0f);
    Open(SetupFile("car.br1", record));
    const TSetup& setup = Window().PageSetup(0);
    EXPECT_EQ(setup.Record.Get(field::GearIndex1), 9);
    EXPECT_EQ(setup.Record.Get(field::Fuel), 46.0f);
    EXPECT_FALSE(setup.Changed);
    EXPECT_FALSE(Action("Save1")->isEnabled());
}

TEST_F(WindowTest, OpenFailures) {
    platform.openAnswers.push_back("");
    Window().Open1Click();
    Open(dir.File("vanished.br1"));
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_TRUE(platform.errors.empty());

    SetupRecord bad = ImportTemplate();
    bad.MutableBytes()[0] = 'p';
    Open(SetupFile("car.br3", bad));
    EXPECT_EQ(Window().PageCount(), 0);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].caption, "KVQ Setup");
    EXPECT_EQ(platform.errors[0].text, "car.br3: Invalid file type.");
    EXPECT_EQ(SheetText(), HelpLines());
}

TEST_F(WindowTest, OpenDialogPreselectsTheLastFile) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    Window().Open1Click();
    ASSERT_EQ(platform.openInitialFiles.size(), 2);
    EXPECT_EQ(platform.openInitialFiles[1].toStdString(), path);
}

TEST_F(WindowTest, ClosingTheSelectedSecondOfThreeBringsTheFirst) {
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.fe2"));
    Open(SetupFile("c.lo3"));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    Window().ClosePage1Click();
    ASSERT_EQ(Window().PageCount(), 2);
    EXPECT_EQ(Window().PageCaption(Window().CurrentPage()), "a.br1");
    EXPECT_EQ(SheetText(), ExampleSheet(6));
}

TEST_F(WindowTest, ClosingTheLastPageBringsBackTheHelp) {
    Open(SetupFile("a.br1"));
    Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_EQ(SheetText(), HelpLines());
    for (const char* name : kPageCommands) EXPECT_FALSE(Action(name)->isEnabled()) << name;
    EXPECT_FALSE(Action("Save1")->isEnabled());
}

TEST_F(WindowTest, ClosingAChangedPageAsks) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    MarkChanged(0);

    platform.questionAnswers = {Platform::Answer::Cancel};
    Window().ClosePage1Click();
    ASSERT_EQ(platform.questions.size(), 1u);
    EXPECT_EQ(platform.questions[0].caption, "Setup Changed");
    EXPECT_EQ(platform.questions[0].text, "Setup car.br1 changed - Do you wish to save?");
    EXPECT_EQ(Window().PageCount(), 1);

    // Yes, then a cancelled save dialog: the changes are kept, and so is the page.
    platform.questionAnswers = {Platform::Answer::Yes};
    Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 1);
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].caption, "Save car.br1 As");
    EXPECT_EQ(platform.saveDialogs[0].text.toStdString(), path);

    // Yes and a name: written, then closed.
    platform.questionAnswers = {Platform::Answer::Yes};
    platform.saveAnswers = {QString::fromStdString(dir.File("saved.fe2"))};
    const auto edited = PageBytes(0);
    Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_EQ(ReadBytes(dir.File("saved.fe2")), edited);
}

TEST_F(WindowTest, ClosingAChangedPageWithNoLosesTheChanges) {
    Open(SetupFile("car.br1"));
    MarkChanged(0);
    platform.questionAnswers = {Platform::Answer::No};
    Window().ClosePage1Click();
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_TRUE(platform.saveDialogs.empty());
}

TEST_F(WindowTest, CloseQueryStopsAtCancelWithTheAskedPageInFrontAndShown) {
    int fuel = 10;
    for (const char* name : {"a.br1", "b.br1", "c.br1"}) {
        SetupRecord record = ImportTemplate();
        record.Set(field::Fuel, float(fuel++));
        Open(SetupFile(name, record));
    }
    for (int page = 0; page < 3; ++page) MarkChanged(page);
    platform.questionAnswers = {Platform::Answer::No, Platform::Answer::Cancel};
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(platform.questions.size(), 2u);
    EXPECT_EQ(platform.questions[1].text, "Setup b.br1 changed - Do you wish to save?");
    EXPECT_EQ(Window().PageCount(), 3);
    EXPECT_EQ(Window().CurrentPage(), 1);
    // What is shown, and so copied, is the page in front.
    EXPECT_EQ(SheetText(), ToQt(SheetLines(Window().PageSetup(1))));
    Window().Copy1Click();
    EXPECT_TRUE(platform.clipboard->contains("Fuel: 11 gallons"));
}

TEST_F(WindowTest, CloseQueryKeepsTheWindowWhenTheSaveIsCancelled) {
    Open(SetupFile("a.br1"));
    MarkChanged(0);
    platform.questionAnswers = {Platform::Answer::Yes};
    EXPECT_FALSE(Window().close());
    EXPECT_EQ(Window().PageCount(), 1);
    platform.questionAnswers = {Platform::Answer::Yes};
    platform.saveAnswers = {QString::fromStdString(dir.File("kept.br1"))};
    EXPECT_TRUE(Window().close());
    EXPECT_EQ(Window().PageCount(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir.File("kept.br1")));
}

TEST_F(WindowTest, SaveUnderANewExtensionChangesCaptionAndGears) {
    Open(SetupFile("car.br3"));
    EXPECT_EQ(SheetText(), ExampleSheet(4));
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(dir.File("car.br1"))};
    Window().Save1Click();
    EXPECT_EQ(platform.saveDialogs.at(0).caption, "Save car.br3 As");
    EXPECT_EQ(Window().PageCaption(0), "car.br1");
    EXPECT_EQ(SheetText().mid(2), ExampleSheet(6).mid(2)) << "six gears, the ratio apart";
    EXPECT_FALSE(Action("Save1")->isEnabled());

    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(dir.File("noextension"))};
    Window().Save1Click();
    EXPECT_EQ(SheetText().mid(2), ExampleSheet(5).mid(2)) << "five gears, the ratio apart";
    EXPECT_EQ(ReadBytes(dir.File("noextension")), PageBytes(0));
}

TEST_F(WindowTest, AFailedSaveKeepsNameAndChangedAndSaysWhy) {
    Open(SetupFile("car.br1"));
    MarkChanged(0);
    platform.saveAnswers = {QString::fromStdString(dir.File("missing/car.br1"))};
    Window().Save1Click();
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].text, "Cannot write car.br1: No such file or directory.");
    EXPECT_TRUE(Window().PageSetup(0).Changed);
    EXPECT_EQ(Window().PageSetup(0).FileName, dir.File("car.br1"));
    EXPECT_TRUE(Action("Save1")->isEnabled());
}

TEST_F(WindowTest, ANameWithControlCharactersShowsThemEscaped) {
    Open(SetupFile("a\nb.br1"));
    EXPECT_EQ(Window().PageCaption(0), "a\\nb.br1");
    MarkChanged(0);
    platform.questionAnswers = {Platform::Answer::Cancel};
    Window().ClosePage1Click();
    EXPECT_EQ(platform.questions.at(0).text, "Setup a\\nb.br1 changed - Do you wish to save?");
}

TEST_F(WindowTest, TheSameFileOnTwoPagesStaysIndependent) {
    const std::string path = SetupFile("car.br1");
    Open(path);
    Open(path);
    EXPECT_EQ(Window().PageCaption(0), Window().PageCaption(1));
    MarkChanged(1);
    platform.saveAnswers = {QString::fromStdString(dir.File("copy.fe2"))};
    Window().Save1Click();
    EXPECT_EQ(Window().PageCaption(0), "car.br1");
    EXPECT_EQ(Window().PageCaption(1), "copy.fe2");
    EXPECT_EQ(Window().PageSetup(0).FileName, path);
}

TEST_F(WindowTest, CommandLettersActWithoutControl) {
    ShowActive();
    Type(Qt::Key_O);
    EXPECT_EQ(platform.openInitialFiles.size(), 1);
    Open(SetupFile("car.br1"));
    Type(Qt::Key_S);
    EXPECT_TRUE(platform.saveDialogs.empty()) << "nothing to save";
    MarkChanged(0);
    Type(Qt::Key_S, Qt::ShiftModifier);
    EXPECT_EQ(platform.saveDialogs.size(), 1u) << "upper case works alike";
    platform.questionAnswers = {Platform::Answer::Cancel};
    Type(Qt::Key_X);
    EXPECT_EQ(platform.questions.size(), 1u);
    EXPECT_TRUE(Window().isVisible());
    Type(Qt::Key_Z);
    Type(Qt::Key_S, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_EQ(platform.saveDialogs.size(), 1u) << "other keys do nothing";
}

// A real dialog takes the focus while it is up; the letter that opened it must not come back to
// the window as a new key once it has closed.
TEST_F(WindowTest, ACommandLetterRunsOnceWhenItsDialogTakesTheFocus) {
    ShowActive();
    Open(SetupFile("car.br1"));
    MarkChanged(0);
    platform.duringDialog = [] {
        if (QWidget* focus = QApplication::focusWidget()) focus->clearFocus();
    };
    Type(Qt::Key_O);
    EXPECT_EQ(platform.openInitialFiles.size(), 2) << "one Open before, one now";
    ShowActive();
    Type(Qt::Key_S);
    EXPECT_EQ(platform.saveDialogs.size(), 1u);
    ShowActive();
    platform.questionAnswers = {Platform::Answer::Cancel};
    Type(Qt::Key_X);
    EXPECT_EQ(platform.questions.size(), 1u);
}

TEST_F(WindowTest, EachSharedShortcutFiresOnce) {
    ShowActive();
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.br1"));
    QSignalSpy gearbox2(Action("CopyGearbox2"), &QAction::triggered);
    QSignalSpy gearbox1(Action("CopyGearbox1"), &QAction::triggered);
    QSignalSpy chassis2(Action("CopyChassis2"), &QAction::triggered);
    // Each opens the copy dialog; close it as soon as it shows.
    for (Qt::Key key : {Qt::Key_G, Qt::Key_H}) {
        QTimer::singleShot(0, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        });
        QTest::keyClick(&Window(), key, Qt::ControlModifier);
        ShowActive();
    }
    EXPECT_EQ(gearbox2.count(), 1);
    EXPECT_EQ(gearbox1.count(), 0);
    EXPECT_EQ(chassis2.count(), 1);
    QTest::keyClick(&Window(), Qt::Key_F4, Qt::ControlModifier);
    EXPECT_EQ(Window().PageCount(), 1);
    QTest::keyClick(&Window(), Qt::Key_O, Qt::ControlModifier);
    EXPECT_EQ(platform.openInitialFiles.size(), 3);
}

TEST_F(WindowTest, PointerTurnsToAHandOverEditableValues) {
    MoveMouse(Sheet(), Cell(1, 59));
    EXPECT_EQ(Window().HoverField(), 0) << "no page open: nothing happens";
    Open(SetupFile("car.lo3"));
    MoveMouse(Sheet(), Cell(1, 59));
    EXPECT_EQ(Window().HoverField(), 1);
    EXPECT_EQ(Sheet()->cursor().shape(), Qt::PointingHandCursor);
    MoveMouse(Sheet(), Cell(9, 53));
    EXPECT_EQ(Window().HoverField(), 0) << "no 5th gear on a four-speed";
    EXPECT_EQ(Sheet()->cursor().shape(), Qt::ArrowCursor);
    MoveMouse(Sheet(), Cell(2, 15));
    EXPECT_EQ(Sheet()->cursor().shape(), Qt::ArrowCursor);
}

// Whether any pixel of the cell differs from the background.
bool CellHasInk(const QImage& image, const CellMetrics& m, int row, int column) {
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    for (int y = row * m.LineHeight; y < (row + 1) * m.LineHeight; ++y)
        for (int x = column * m.CharWidth; x < (column + 1) * m.CharWidth; ++x)
            if (image.pixel(x, y) != background) return true;
    return false;
}

void ExpectInkOnTheGrid(WindowTest& test, TForm1& window, SheetView* sheet) {
    const QImage image = sheet->grab().toImage();
    const CellMetrics& m = window.Metrics();
    // Row 1 ends "Steering Ratio: 16:1": the value's cells have ink, the blank before it none.
    EXPECT_TRUE(CellHasInk(image, m, 1, 59));
    EXPECT_TRUE(CellHasInk(image, m, 1, 60));
    EXPECT_FALSE(CellHasInk(image, m, 1, 58));
    EXPECT_TRUE(CellHasInk(image, m, 1, 57)) << "the colon";
    EXPECT_FALSE(CellHasInk(image, m, 0, 17));
    EXPECT_TRUE(CellHasInk(image, m, 0, 18)) << "the F of Front";
    // Every cell of the sheet: ink exactly where the text has a character.
    const QStringList lines = sheet->Lines();
    for (int row = 0; row < lines.size(); ++row)
        for (int column = 0; column < 66; ++column) {
            const bool printed = column < lines[row].size() && lines[row][column] != ' ';
            EXPECT_EQ(CellHasInk(image, m, row, column), printed) << row << "," << column;
        }
    EXPECT_EQ(FieldAt(59 * m.CharWidth, 1 * m.LineHeight, 6, m, window.Limits()), 1);
    (void)test;
}

TEST_F(WindowTest, SheetInkLiesInTheCellsTheHitTestUses) {
    Open(SetupFile("car.br1"));
    ExpectInkOnTheGrid(*this, Window(), Sheet());
}

TEST_F(WindowTest, LargeFontsWidenTheWindowAndUseTheLargeMetrics) {
    platform.dpi = 120;
    EXPECT_EQ(Window().Metrics().LineHeight, 17);
    EXPECT_EQ(Window().Metrics().EditorTopOffset, 32);
    EXPECT_EQ(Window().Metrics().CharWidth, 9);
    EXPECT_EQ(Window().Metrics().EditorLeftOffset, 3);
    // A quarter larger with the resolution, then an eighth of the window's width wider.
    EXPECT_EQ(Sheet()->width(), 584 + 590 / 8);
    EXPECT_EQ(Window().findChild<QWidget*>("ClientArea")->size(), QSize(590 + 590 / 8, 543));
    EXPECT_GE(Sheet()->width(), 66 * 9) << "every column in sight";
    Open(SetupFile("car.br1"));
    ExpectInkOnTheGrid(*this, Window(), Sheet());
}

TEST_F(WindowTest, OtherResolutionsKeepTheNormalMetrics) {
    for (int dpi : {96, 144, 72}) {
        platform.dpi = dpi;
        TForm1 window(platform);
        EXPECT_EQ(window.Metrics().CharWidth, 7) << dpi;
        EXPECT_EQ(window.Metrics().LineHeight, 15) << dpi;
    }
}

TEST_F(WindowTest, MissingHelpTextIsReportedAndTheWindowRunsOn) {
    std::filesystem::remove(dir.File("Help.txt"));
    ASSERT_EQ(platform.errors.size(), 0u);
    Window();
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].text.toStdString(),
              "Cannot open file " + dir.File("Help.txt") + ".");
    EXPECT_TRUE(SheetText().isEmpty());
    Open(SetupFile("car.br1"));
    EXPECT_EQ(Window().PageCount(), 1);
}

TEST_F(WindowTest, CommandLineFilesOpenAndAMissingOneIsNamed) {
    Window().OpenFiles(
        {QString::fromStdString(SetupFile("a.fe2")), QString::fromStdString(dir.File("gone.br1"))});
    EXPECT_EQ(Window().PageCount(), 1);
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_EQ(platform.errors[0].text, "gone.br1: file not found.");
}

TEST_F(WindowTest, LimitsFileShowsKvqDefaultAndSwitchesTheHitTest) {
    WriteText(dir.File("kvqsetup.lmt"), "; same as built in\n");
    Open(SetupFile("car.br1"));
    EXPECT_TRUE(Action("KVQDefault1")->isVisible());
    EXPECT_TRUE(Action("N4")->isVisible());
    EXPECT_TRUE(Action("KVQDefault1")->isChecked());
    MoveMouse(Sheet(), Cell(13, 57));
    EXPECT_EQ(Window().HoverField(), kRampPairField);
    Action("KVQDefault1")->trigger();
    EXPECT_FALSE(Action("KVQDefault1")->isChecked());
    EXPECT_FALSE(Window().Limits().BuiltInInForce());
    MoveMouse(Sheet(), Cell(13, 57));
    EXPECT_EQ(Window().HoverField(), kRampAngle1Field);
}

} // namespace
} // namespace kvq::test
