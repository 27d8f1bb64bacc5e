// The window as a desktop program: which file and state each tab shows, Save As and the
// question before replacing another file, several files at once, the keyboard alone, what
// assistive technology reads, and the keys other programs taught the user.

#include "WindowFixture.h"

#include "app/PageStrip.h"
#include "edit/FSpin.h"

#include <QAccessible>
#include <QImage>
#include <QPlainTextEdit>

#include <filesystem>

namespace kvq::test {
namespace {

class DesktopTest : public WindowTest {
protected:
    // A copy of the example in a folder of the test's own.
    std::string InFolder(const std::string& folder, const std::string& name) {
        std::filesystem::create_directories(dir.Path() / folder);
        return SetupFile(folder + "/" + name);
    }
    // Whether the tab shows the mark of a changed page: its icon's middle is painted.
    bool Marked(int page) {
        const QImage mark = Tabs()->tabIcon(page).pixmap(16, 16).toImage();
        return qAlpha(mark.pixel(mark.width() / 2, mark.height() / 2)) > 0;
    }
    TFSpinEdit* Real() { return Window().findChild<TFSpinEdit*>("FSpinEdit1"); }
    TPageStrip* Strip() { return static_cast<TPageStrip*>(Tabs()); }
};

TEST_F(DesktopTest, TabsTellTheirFileAndStateAndListsTellTheFolders) {
    const std::string monza = InFolder("monza", "ferrari.fe2");
    const std::string spa = InFolder("spa", "ferrari.fe2");
    Open(monza);
    Open(spa);
    Open(SetupFile("car.br1"));
    EXPECT_EQ(Tabs()->tabToolTip(0).toStdString(), monza);
    EXPECT_EQ(Tabs()->tabToolTip(1).toStdString(), spa);
    EXPECT_EQ(Window().PageCaption(1), "ferrari.fe2") << "the caption stays the name";
    EXPECT_EQ(Window().PageDisplayName(1), "ferrari.fe2 \u2014 spa");
    EXPECT_EQ(Window().PageDisplayName(2), "car.br1");
    for (int page : {0, 1, 2}) EXPECT_FALSE(Marked(page)) << page;
    const int width = Tabs()->tabRect(0).width();
    MarkChanged(0);
    EXPECT_TRUE(Marked(0));
    EXPECT_FALSE(Marked(1));
    EXPECT_EQ(Tabs()->tabRect(0).width(), width) << "the mark moves no tab";
    QStringList listed;
    WithCopyDialog(
        [&](TCopyDialog& dialog) {
            auto* list = dialog.findChild<QListWidget*>("ListBox1");
            for (int row = 0; row < list->count(); ++row) listed << list->item(row)->text();
            dialog.reject();
        },
        [&] { Window().CopyGearbox1Click(Action("CopyGearbox2")); });
    EXPECT_EQ(listed,
              (QStringList{"ferrari.fe2 \u2014 monza", "ferrari.fe2 \u2014 spa", "car.br1"}));
    platform.saveAnswers = {QString::fromStdString(monza)};
    Window().Save1Click();
    EXPECT_FALSE(Marked(0)) << "saved";
}

// Save and Save As ask before replacing a file other than the page's own; onto its own file,
// or a new one, they write at once.
TEST_F(DesktopTest, ReplacingAnotherFileAsks) {
    const std::string own = SetupFile("own.br1");
    const std::string other = SetupFile("other.br1", [] {
        SetupRecord record = ImportTemplate();
        record.Set(field::Fuel, 30.0f);
        return record;
    }());
    struct Row {
        std::string chosen;
        std::deque<Platform::Answer> answers;
        bool asked;
        bool written;
    };
    const Row rows[] = {
        {own, {}, false, true},
        {dir.File("new.br1"), {}, false, true},
        {other, {Platform::Answer::No}, true, false},
        {other, {Platform::Answer::Yes}, true, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.chosen);
        window.reset();
        platform.questions.clear();
        Open(own);
        MarkChanged(0);
        const auto before = std::filesystem::exists(row.chosen) ? ReadBytes(row.chosen)
                                                                : std::vector<std::uint8_t>{};
        platform.saveAnswers = {QString::fromStdString(row.chosen)};
        platform.questionAnswers = row.answers;
        Window().Save1Click();
        ASSERT_EQ(platform.questions.size(), row.asked ? 1u : 0u);
        if (row.asked) {
            EXPECT_EQ(platform.questions[0].text, "other.br1 already exists. Replace it?");
        }
        EXPECT_EQ(ReadBytes(row.chosen) == PageBytes(0), row.written);
        if (!row.written) {
            EXPECT_EQ(ReadBytes(row.chosen), before);
        }
        EXPECT_EQ(Window().PageSetup(0).Changed, !row.written);
    }
}

TEST_F(DesktopTest, SaveAsWritesAnUnchangedPage) {
    Open(SetupFile("car.br1"));
    EXPECT_FALSE(Action("Save1")->isEnabled());
    ASSERT_TRUE(Action("SaveAs1")->isEnabled());
    platform.saveAnswers = {QString::fromStdString(dir.File("copy.br3"))};
    Action("SaveAs1")->trigger();
    ASSERT_EQ(platform.saveDialogs.size(), 1u);
    EXPECT_EQ(platform.saveDialogs[0].caption, "Save car.br1 As");
    EXPECT_EQ(ReadBytes(dir.File("copy.br3")), PageBytes(0));
    EXPECT_EQ(Window().PageCaption(0), "copy.br3");
    EXPECT_EQ(Window().PageSetup(0).GearboxKind, 4);
}

TEST_F(DesktopTest, OpenTakesSeveralFilesInTheirOrder) {
    const std::string a = SetupFile("a.fe2");
    const std::string b = SetupFile("b.br1");
    platform.openManyAnswers = {{QString::fromStdString(b), QString::fromStdString(a)}};
    Window().Open1Click();
    ASSERT_EQ(Window().PageCount(), 2);
    EXPECT_EQ(Window().PageCaption(0), "b.br1");
    EXPECT_EQ(Window().PageCaption(1), "a.fe2");
    EXPECT_EQ(Window().CurrentPage(), 1);
    Open(SetupFile("c.lo3"));
    EXPECT_EQ(platform.openInitialFiles.back().toStdString(), a) << "the last one chosen";
}

// Tab into the sheet, the arrows to Fuel, F2, a step, Enter: the value kept, the focus and the
// cursor back on it; Enter flips the Y/N.
TEST_F(DesktopTest, TheKeyboardAloneEdits) {
    Open(SetupFile("car.fe2"));
    ShowActive();
    ASSERT_EQ(QApplication::focusWidget(), Tabs());
    Type(Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), Sheet());
    EXPECT_EQ(Window().CursorField(), 1);
    ASSERT_TRUE(Sheet()->FieldCursor());
    EXPECT_EQ(*Sheet()->FieldCursor(), (SheetCell{1, 59, 2}));
    {
        // On a screen scaled twice the frame still lies within the value's cells, so that
        // repainting them takes it away.
        QImage scaled(Sheet()->size() * 2, QImage::Format_RGB32);
        scaled.setDevicePixelRatio(2);
        Sheet()->render(&scaled);
        const QRect cells(59 * 2 * kNormalMetrics.CharWidth, 2 * kNormalMetrics.LineHeight,
                          2 * 2 * kNormalMetrics.CharWidth, 2 * kNormalMetrics.LineHeight);
        const QColor frame = Sheet()->palette().color(QPalette::Highlight);
        int outside = 0;
        for (int y = cells.top() - 2; y <= cells.bottom() + 2; ++y)
            for (int x = cells.left() - 2; x <= cells.right() + 2; ++x)
                outside += !cells.contains(x, y) && scaled.pixelColor(x, y) == frame;
        EXPECT_EQ(outside, 0);
    }
    Type(Qt::Key_Down);
    EXPECT_EQ(Window().CursorField(), 4);
    EXPECT_EQ(Sheet()->FieldCursorName(), "Fuel, 43 gallons");
    EXPECT_EQ(Sheet()->FieldCursorDescription(), "Fuel: 1 to 46 gallons, step 1");
    Type(Qt::Key_F2);
    ASSERT_TRUE(Real()->isVisible());
    EXPECT_EQ(Real()->accessibleName(), "Fuel");
    EXPECT_EQ(Real()->toolTip(), "Fuel: 1 to 46 gallons, step 1");
    Type(Qt::Key_Up);
    Type(Qt::Key_Return);
    EXPECT_FALSE(Real()->isVisible());
    EXPECT_EQ(Window().PageSetup(0).Record.Get(field::Fuel), 44.0f);
    EXPECT_EQ(QApplication::focusWidget(), Sheet());
    EXPECT_EQ(Sheet()->FieldCursorName(), "Fuel, 44 gallons");
    Type(Qt::Key_F2);
    Type(Qt::Key_Escape);
    EXPECT_EQ(QApplication::focusWidget(), Sheet()) << "Escape too gives the focus back";
    Type(Qt::Key_End);
    EXPECT_EQ(Window().CursorField(), kToggleField);
    const std::uint8_t flag = Window().PageSetup(0).Record.SymmetricFlag();
    Type(Qt::Key_Return);
    EXPECT_NE(Window().PageSetup(0).Record.SymmetricFlag(), flag);
    Type(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), Tabs());
}

// Assistive technology reads the sheet's lines and the value under the cursor, and no editor
// that is not open.
TEST_F(DesktopTest, AssistiveTechnologySeesTheSheetAndOnlyOpenEditors) {
    Open(SetupFile("car.fe2"));
    ShowActive();
    QAccessibleInterface* sheet = QAccessible::queryAccessibleInterface(Sheet());
    ASSERT_TRUE(sheet && sheet->textInterface());
    EXPECT_EQ(sheet->text(QAccessible::Name), "Setup sheet");
    QAccessibleTextInterface* text = sheet->textInterface();
    EXPECT_EQ(text->text(0, text->characterCount()), SheetText().join('\n') + '\n');
    ASSERT_EQ(sheet->childCount(), 1);
    EXPECT_EQ(sheet->child(0)->text(QAccessible::Name), "Steering Ratio, 16:1");
    auto editorsSeen = [&] {
        QAccessibleInterface* area =
            QAccessible::queryAccessibleInterface(Window().findChild<QWidget*>("ClientArea"));
        int seen = 0;
        for (int child = 0; child < area->childCount(); ++child)
            seen += area->child(child)->object()->inherits("kvq::TSpinEditBase") ? 1 : 0;
        return seen;
    };
    EXPECT_EQ(editorsSeen(), 0);
    DoubleClickCell(2, 49);
    EXPECT_EQ(editorsSeen(), 1);
}

// Each new key runs its command once per press, and the page keys go round the strip.
TEST_F(DesktopTest, EachNewKeyRunsOncePerPress) {
    for (const char* name : {"a.fe2", "b.fe2", "c.fe2"}) Open(SetupFile(name));
    ShowActive();
    struct Row {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int page; // where the page in front goes from the last
    };
    const Row pageKeys[] = {
        {Qt::Key_Tab, Qt::ControlModifier, 0},
        {Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 2},
        {Qt::Key_PageDown, Qt::ControlModifier, 0},
        {Qt::Key_PageUp, Qt::ControlModifier, 2},
    };
    for (const Row& row : pageKeys) {
        Type(row.key, row.modifiers);
        EXPECT_EQ(Window().CurrentPage(), row.page) << row.key;
    }
    Type(Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(platform.saveDialogs.size(), 1u) << "Ctrl+Shift+S";
    Type(Qt::Key_F1);
    const auto helps = Window().findChildren<QPlainTextEdit*>("HelpWindow");
    ASSERT_EQ(helps.size(), 1);
    EXPECT_TRUE(helps[0]->toPlainText().startsWith("KVQ Setup - car setups"));
    helps[0]->close();
    QApplication::setActiveWindow(&Window());
    MarkChanged(2);
    platform.questionAnswers = {Platform::Answer::No};
    Type(Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(platform.questions.size(), 1u) << "Ctrl+W";
    EXPECT_EQ(Window().PageCount(), 2);
    // The tab's close button and a middle click close the page they are on.
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Strip()->CloseButtonRect(1).center());
    EXPECT_EQ(Window().PageCount(), 1);
    EXPECT_EQ(Window().PageCaption(0), "a.fe2");
    QTest::mouseClick(Tabs(), Qt::MiddleButton, {}, Tabs()->tabRect(0).center());
    EXPECT_EQ(Window().PageCount(), 0);
    Type(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_FALSE(Window().isVisible()) << "Ctrl+Q";
}

// The strip measures a caption once and draws the close buttons itself: every tab must still
// measure as on a closable tab bar, a new caption included, and a click on a tab's close button,
// wherever the strip has scrolled, closes that tab's page alone.
TEST_F(DesktopTest, ManyTabsMeasureAsOnAClosableTabBarAndCloseByTheirButtons) {
    QStringList files;
    for (int page = 0; page < 40; ++page)
        files << FromLocalPath(SetupFile(std::string(1 + page % 7 * 5, 'a' + page % 26) + ".br1"));
    Window().OpenFiles(files);
    ShowActive();
    QTabBar closable(Tabs()->parentWidget());
    closable.hide();
    closable.setTabsClosable(true);
    closable.setExpanding(false);
    closable.resize(100000, 100);
    auto measured = [&](int page) {
        while (closable.count() > 0) closable.removeTab(0);
        closable.addTab(Tabs()->tabIcon(page), Tabs()->tabText(page));
        return closable.tabRect(0).size();
    };
    for (int page = 0; page < Tabs()->count(); ++page)
        EXPECT_EQ(Tabs()->tabRect(page).size(), measured(page)) << page;
    // The last page is in front; the strip shows it and the one before.
    const QString before = Tabs()->tabText(38);
    ASSERT_TRUE(Tabs()->tabRect(38).intersects(Tabs()->rect()));
    EXPECT_TRUE(Tabs()->tabRect(38).contains(Strip()->CloseButtonRect(38)));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Strip()->CloseButtonRect(38).center());
    ASSERT_EQ(Window().PageCount(), 39);
    for (int page = 0; page < Window().PageCount(); ++page)
        EXPECT_NE(Tabs()->tabText(page), before) << "only the page of the button clicked closes";
    platform.saveAnswers = {QString::fromStdString(dir.File("a much longer name than before.br1"))};
    Action("SaveAs1")->trigger();
    EXPECT_EQ(Tabs()->tabText(0), "a much longer name than before.br1");
    EXPECT_EQ(Tabs()->tabRect(0).size(), measured(0));
}

} // namespace
} // namespace kvq::test
