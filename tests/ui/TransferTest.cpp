// Copy Gearbox, Copy Chassis and Print as the window runs them.

#include "WindowFixture.h"

#include "app/CopyDlg.h"
#include "setup/GearTables.h"

#include <QProcess>
#include <QSignalSpy>

namespace kvq::test {
namespace {

class TransferTest : public WindowTest {
protected:
    // Opens target.lo3 and a six-gear source that differs from it in both groups.
    void OpenTargetAndSource() {
        source = ImportTemplate();
        source.Set(field::GearIndex1, 2);
        source.Set(field::GearIndex5, 30);
        source.Set(field::GearIndex6, 31);
        source.Set(field::Clutches, 4);
        source.Set(field::Fuel, 30.0f);
        source.Set(field::SteeringRatio, 12.0f);
        source.Set(field::FrontBrakeBias, 60);
        source.SetWord(field::Reserved04, 99);
        source.SetSymmetricFlag(0);
        Open(SetupFile("target.lo3"));
        Open(SetupFile("source.br1", source));
        QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    }

    const SetupRecord& Target() { return Window().PageSetup(0).Record; }

    SetupRecord source;
};

TEST_F(TransferTest, CopyGearboxTakesTheGearboxGroupOnly) {
    OpenTargetAndSource();
    const SetupRecord before = Target();
    WithCopyDialog([](TCopyDialog& d) { ChoosePage(d, 1); },
                   [this] { Action("CopyGearbox2")->trigger(); });
    EXPECT_EQ(copyDialogCaptions, QStringList{"Copy Gearbox"});
    EXPECT_EQ(Target().Get(field::GearIndex1), 2);
    EXPECT_EQ(Target().Get(field::GearRatio1), ExactRatio(2));
    EXPECT_EQ(Target().Get(field::GearIndex5), 30) << "hidden gears are copied too";
    EXPECT_EQ(Target().Get(field::Clutches), 4);
    EXPECT_EQ(Target().Get(field::Fuel), before.Get(field::Fuel));
    EXPECT_EQ(Target().Word(field::Reserved04), before.Word(field::Reserved04));
    EXPECT_EQ(Target().SymmetricFlag(), before.SymmetricFlag());
    EXPECT_EQ(Window().PageSetup(0).GearboxKind, 4);
    EXPECT_TRUE(Window().PageSetup(0).Changed);
    EXPECT_TRUE(Action("Save1")->isEnabled());
}

TEST_F(TransferTest, CopyChassisTakesFuelSteeringAndBrakeBias) {
    OpenTargetAndSource();
    WithCopyDialog([](TCopyDialog& d) { ChoosePage(d, 1); },
                   [this] { Action("CopyChassis1")->trigger(); });
    EXPECT_EQ(copyDialogCaptions, QStringList{"Copy Chassis"});
    EXPECT_EQ(Target().Get(field::Fuel), 30.0f);
    EXPECT_EQ(Target().Get(field::SteeringRatio), 12.0f);
    EXPECT_EQ(Target().Get(field::FrontBrakeBias), 60);
    EXPECT_EQ(Target().Get(field::GearIndex1), 6);
    EXPECT_TRUE(SheetText()[1].endsWith("Steering Ratio: 12:1"));
}

TEST_F(TransferTest, TheSourceIsReadFromItsFileAsLastSaved) {
    OpenTargetAndSource();
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    MarkChanged(1); // steering ratio 13 on the source page, not saved
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    WithCopyDialog([](TCopyDialog& d) { ChoosePage(d, 1); },
                   [this] { Action("CopyChassis2")->trigger(); });
    EXPECT_EQ(Target().Get(field::SteeringRatio), 12.0f);
}

TEST_F(TransferTest, ValuesBeyondTheLimitsAreBroughtIn) {
    source = ImportTemplate();
    source.Set(field::Fuel, 500.0f);
    source.Set(field::GearIndex2, 80);
    Open(SetupFile("target.br1"));
    const std::string path = SetupFile("wild.br1", source);
    platform.openAnswers.push_back(QString::fromStdString(path));
    WithCopyDialog([](TCopyDialog& d) { d.FileBtnClick(); },
                   [this] { Action("CopyChassis2")->trigger(); });
    EXPECT_EQ(Target().Get(field::Fuel), 46.0f);
    platform.openAnswers.push_back(QString::fromStdString(path));
    WithCopyDialog([](TCopyDialog& d) { d.FileBtnClick(); },
                   [this] { Action("CopyGearbox2")->trigger(); });
    EXPECT_EQ(Target().Get(field::GearIndex2), 24);
}

TEST_F(TransferTest, NothingHappensWithoutASource) {
    Open(SetupFile("target.br1"));
    Window().Copy1Click();
    Window().Paste1Click(); // Import1 has no file
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    const SetupRecord before = Target();
    WithCopyDialog([](TCopyDialog& d) { ChoosePage(d, 1); },
                   [this] { Action("CopyGearbox2")->trigger(); });
    WithCopyDialog([](TCopyDialog& d) { d.CancelBtnClick(); },
                   [this] { Action("CopyGearbox2")->trigger(); });
    WithCopyDialog([](TCopyDialog& d) { d.FileBtnClick(); },
                   [this] { Action("CopyGearbox2")->trigger(); });
    EXPECT_EQ(copyDialogCaptions.size(), 3);
    EXPECT_EQ(Target(), before);
    EXPECT_FALSE(Window().PageSetup(0).Changed);
    EXPECT_TRUE(platform.errors.empty());
}

TEST_F(TransferTest, AMissingOrBadSourceIsReportedAndChangesNothing) {
    Open(SetupFile("target.br1"));
    SetupRecord bad = ImportTemplate();
    bad.MutableBytes()[3] = 's';
    for (const std::string& path : {dir.File("gone.br1"), SetupFile("notes.br1", bad)}) {
        platform.openAnswers.push_back(QString::fromStdString(path));
        WithCopyDialog([](TCopyDialog& d) { d.FileBtnClick(); },
                       [this] { Action("CopyGearbox2")->trigger(); });
    }
    ASSERT_EQ(platform.errors.size(), 2u);
    EXPECT_EQ(platform.errors[0].text, "Failed to open gone.br1.");
    EXPECT_EQ(platform.errors[1].text, "notes.br1: Invalid file type.");
    EXPECT_FALSE(Window().PageSetup(0).Changed);
}

TEST_F(TransferTest, LettersGAndHUseThePopUpItems) {
    ShowActive();
    OpenTargetAndSource();
    QSignalSpy gearbox(Action("CopyGearbox1"), &QAction::triggered);
    WithCopyDialog([](TCopyDialog& d) { d.CancelBtnClick(); }, [this] { Type(Qt::Key_G); });
    ShowActive(); // the offscreen platform does not hand the focus back after a dialog
    WithCopyDialog([](TCopyDialog& d) { d.CancelBtnClick(); }, [this] { Type(Qt::Key_H); });
    EXPECT_EQ(copyDialogCaptions, QStringList({"Copy Gearbox", "Copy Chassis"}));
    EXPECT_EQ(gearbox.count(), 1);
}

QString PdfText(const std::string& pdf) {
    QProcess process;
    process.start("pdftotext", {"-layout", QString::fromStdString(pdf), "-"});
    EXPECT_TRUE(process.waitForFinished());
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST_F(TransferTest, PrintSendsTheCurrentSheetToThePrinter) {
    Open(SetupFile("car.br1"));
    ShowActive();
    DoubleClickCell(1, 59);
    Type(Qt::Key_Up); // an open edit is committed before printing
    platform.printAnswers = {QString::fromStdString(dir.File("out.pdf"))};
    Window().Print1Click();
    const QString text = PdfText(dir.File("out.pdf"));
    EXPECT_TRUE(text.contains(QString::fromStdString("FileName: " + dir.File("car.br1"))))
        << text.toStdString();
    EXPECT_TRUE(text.contains("Steering Ratio: 17:1")) << text.toStdString();
    EXPECT_TRUE(text.contains("KVQ Setup V2.3")) << text.toStdString();
    EXPECT_TRUE(platform.errors.empty());

    platform.printAnswers = {""};
    Window().Print1Click();
    platform.printAnswers = {QString::fromStdString(dir.File("missing/out.pdf"))};
    Window().Print1Click();
    ASSERT_EQ(platform.errors.size(), 1u);
    EXPECT_TRUE(platform.errors[0].text.startsWith("Cannot print to"))
        << platform.errors[0].text.toStdString();
}

} // namespace
} // namespace kvq::test
