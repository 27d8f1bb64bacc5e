// File, Setup Library: the window over a folder of setups, offscreen.

#include "WindowFixture.h"

#include "../core/FailingFileOps.h"

#include "app/LibraryWindow.h"
#include "library/LibraryCsv.h"
#include "settings/IniProfile.h"

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableView>

namespace kvq::test {
namespace {

constexpr int kWaitMs = 10000;

class LibraryWindowTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        std::filesystem::create_directories(dir.File("lib/Monza"));
        std::filesystem::create_directories(dir.File("lib/Spa"));
    }

    // A setup in the library's folder with that fuel, as the record holds it.
    std::string Setup(const std::string& name, float fuel) {
        SetupRecord record = ImportTemplate();
        Normalise(record, CurrentLimits());
        record.Set(field::Fuel, fuel);
        return SetupFile("lib/" + name, record);
    }

    // Ctrl+L, then Add Folder with the dialog answering the library's folder; waits for the scan.
    LibraryWindow& OpenLibrary() {
        ShowActive();
        Type(Qt::Key_L, Qt::ControlModifier);
        auto* library = Window().findChild<LibraryWindow*>("Library1");
        EXPECT_TRUE(library->isVisible());
        QSignalSpy scanned(library, &LibraryWindow::ScanFinished);
        platform.folderAnswers.push_back(QString::fromStdString(dir.File("lib")));
        library->findChild<QPushButton*>("AddFolder1")->click();
        EXPECT_TRUE(scanned.wait(kWaitMs));
        return *library;
    }

    static QTableView* Table(LibraryWindow& library) {
        return library.findChild<QTableView*>("LibraryTable1");
    }
    static QStringList Column(LibraryWindow& library, int column) {
        QStringList texts;
        const QAbstractItemModel* model = Table(library)->model();
        for (int row = 0; row < model->rowCount(); ++row)
            texts << model->index(row, column).data().toString();
        return texts;
    }
    static void SetFilter(LibraryWindow& library, const QString& text) {
        library.findChild<QLineEdit*>("Filter1")->setText(text);
    }
};

TEST_F(LibraryWindowTest, AddsAFolderFiltersAsTypedAndOpensWithEnter) {
    Setup("Monza/a.br1", 12);
    Setup("Monza/b.fe2", 40);
    Setup("Spa/c.lo3", 20);
    test::WriteText(dir.File("lib/Spa/bad.fe2"), "no setup");
    LibraryWindow& library = OpenLibrary();
    // Sorted by track, the file without a setup among them.
    EXPECT_EQ(Column(library, LibraryModel::Name),
              (QStringList{"a.br1", "b.fe2", "bad.fe2", "c.lo3"}));

    const std::pair<QString, QStringList> filters[] = {
        {"fuel<30", {"a.br1", "c.lo3"}},
        // A filter that does not parse says where, and the rows stay.
        {"fuel<<4", {"a.br1", "c.lo3"}},
        // Rows that come back take their places again: within a track by path.
        {"fe2", {"b.fe2", "bad.fe2"}},
        {"", {"a.br1", "b.fe2", "bad.fe2", "c.lo3"}},
        {"monza", {"a.br1", "b.fe2"}},
    };
    auto* error = library.findChild<QLabel*>("FilterError1");
    for (const auto& [filter, names] : filters) {
        SCOPED_TRACE(filter.toStdString());
        SetFilter(library, filter);
        EXPECT_EQ(Column(library, LibraryModel::Name), names);
        EXPECT_EQ(error->text(),
                  filter == "fuel<<4" ? "fuel<<4: at 6: expected a number" : QString());
    }
    Table(library)->sortByColumn(LibraryModel::Fuel, Qt::DescendingOrder);
    EXPECT_EQ(Column(library, LibraryModel::Name), (QStringList{"b.fe2", "a.br1"}));

    // Enter on the table opens the selection as pages, as Open makes them.
    QApplication::setActiveWindow(&library);
    Table(library)->setFocus();
    Table(library)->selectRow(1);
    QTest::keyClick(Table(library), Qt::Key_Return);
    ASSERT_EQ(Window().PageCount(), 1);
    EXPECT_EQ(Window().PageCaption(0), "a.br1");
    EXPECT_EQ(Window().PageSetup(0).FileName, dir.File("lib/Monza/a.br1"));

    // The folders, the size and the columns come back after a restart.
    library.resize(700, 400);
    Table(library)->setColumnWidth(LibraryModel::Name, 222);
    ASSERT_TRUE(Window().close());
    window.reset();
    const IniProfile ini = IniProfile::Load(dir.File("KVQSETUP.INI"));
    EXPECT_EQ(ini.Read("Library", "Roots", "?"), dir.File("lib"));
    auto* again = Window().findChild<LibraryWindow*>("Library1");
    EXPECT_EQ(again->Roots(), QStringList{QString::fromStdString(dir.File("lib"))});
    EXPECT_EQ(again->size(), QSize(700, 400));
    EXPECT_EQ(Table(*again)->columnWidth(LibraryModel::Name), 222);
}

TEST_F(LibraryWindowTest, ValuesFollowTheLimitsInForce) {
    window.reset();
    WriteText(dir.File("kvqsetup.lmt"), "4,1,60\n"); // fuel up to 60 gallons
    Setup("Monza/a.br1", 50);
    LibraryWindow& library = OpenLibrary();
    EXPECT_EQ(Column(library, LibraryModel::Fuel), QStringList{"46"});
    QSignalSpy scanned(&library, &LibraryWindow::ScanFinished);
    Action("KVQDefault1")->trigger();
    ASSERT_TRUE(scanned.wait(kWaitMs));
    EXPECT_EQ(Column(library, LibraryModel::Fuel), QStringList{"50"});
}

TEST_F(LibraryWindowTest, RowsFollowTheDisk) {
    Setup("Monza/a.br1", 12);
    Setup("Monza/b.fe2", 40);
    LibraryWindow& library = OpenLibrary();
    auto fuels = [&] { return Column(library, LibraryModel::Fuel); };
    ASSERT_EQ(fuels(), (QStringList{"12", "40"}));

    // Another program replaces one by rename, writes a new one and removes one.
    Setup("Monza/a.br1.tmp", 30);
    std::filesystem::rename(dir.File("lib/Monza/a.br1.tmp"), dir.File("lib/Monza/a.br1"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return fuels() == QStringList({"30", "40"});
        },
        kWaitMs))
        << fuels().join(',').toStdString();
    Setup("Spa/c.lo3", 20);
    std::filesystem::remove(dir.File("lib/Monza/b.fe2"));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return Column(library, LibraryModel::Name) == QStringList({"a.br1", "c.lo3"});
        },
        kWaitMs))
        << Column(library, LibraryModel::Name).join(',').toStdString();

    // Remove Folder: the folder leaves the list, and its rows the table.
    QSignalSpy scanned(&library, &LibraryWindow::ScanFinished);
    library.findChild<QListWidget*>("RootList1")->setCurrentRow(0);
    library.findChild<QPushButton*>("RemoveFolder1")->click();
    ASSERT_TRUE(scanned.wait(kWaitMs));
    EXPECT_TRUE(library.Roots().isEmpty());
    EXPECT_EQ(Table(library)->model()->rowCount(), 0);
}

TEST_F(LibraryWindowTest, ActionsOnTheSelection) {
    const std::string wide = Setup("Monza/wide.br1", 999);
    const std::string plain = Setup("Monza/plain.br1", 40);
    const auto plainTime = std::filesystem::last_write_time(plain);
    const auto wideBytes = ReadBytes(wide);
    LibraryWindow& library = OpenLibrary();
    Table(library)->selectAll();

    // No, then a write that fails: the file stays as it was, and the failure names it.
    FailingOps failing(FailingOps::FailRename, EACCES);
    platform.questionAnswers = {Platform::Answer::No, Platform::Answer::Yes};
    library.Normalise1Click();
    platform.fileOps = &failing;
    library.Normalise1Click();
    platform.fileOps = nullptr;
    ASSERT_EQ(platform.questions.size(), 2U);
    EXPECT_EQ(platform.questions[0].text,
              "Normalise 1 setup files in place, within the limits in force?");
    EXPECT_EQ(ReadBytes(wide), wideBytes);
    ASSERT_EQ(platform.errors.size(), 1U);
    EXPECT_TRUE(platform.errors[0].text.startsWith("These files were not normalised:\nwide.br1: "))
        << platform.errors[0].text.toStdString();
    EXPECT_EQ(Column(library, LibraryModel::Normalised), (QStringList{"yes", "no"}));
    platform.errors.clear();

    // Yes: the file that would change is written, the other is left alone.
    platform.questionAnswers = {Platform::Answer::Yes};
    library.Normalise1Click();
    EXPECT_EQ(Column(library, LibraryModel::Normalised), (QStringList{"yes", "yes"}));
    EXPECT_TRUE(ReadLibraryEntry(dir.File("lib"), wide, CurrentLimits()).Normalised);
    EXPECT_EQ(std::filesystem::last_write_time(plain), plainTime) << "an unchanged file is kept";
    EXPECT_TRUE(platform.errors.empty());

    // Compare takes the selection; Copy puts each sheet on the clipboard.
    Table(library)->selectAll();
    library.Compare1Click();
    EXPECT_NE(Window().findChild<CompareWindow*>(), nullptr);
    library.Copy1Click();
    ASSERT_TRUE(platform.clipboard);
    EXPECT_EQ(platform.clipboard->count("Fuel: "), 2);

    // Show in Folder once for their folder; Export CSV writes their rows as list --csv does.
    library.ShowInFolder1Click();
    EXPECT_EQ(platform.foldersShown, QStringList{QString::fromStdString(dir.File("lib/Monza"))});
    platform.saveAnswers = {QString::fromStdString(dir.File("out.csv"))};
    library.ExportCsv1Click();
    std::string csv = CsvHeader(false);
    for (const std::string& path : {plain, wide})
        csv += CsvLine(ReadLibraryEntry(dir.File("lib"), path, CurrentLimits()), std::nullopt);
    EXPECT_EQ(ReadText(dir.File("out.csv")), csv);
}

} // namespace
} // namespace kvq::test
