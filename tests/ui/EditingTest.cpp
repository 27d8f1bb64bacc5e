// In-place editing on the sheet: the editors, their limits, commit and cancel, partners, lists,
// ramp angles, the asymmetry toggle, and everything that ends an edit.

#include "WindowFixture.h"

#include "base/TextFormat.h"
#include "edit/FSpin.h"
#include "edit/LSpin.h"
#include "edit/SpinEdit.h"
#include "setup/GearTables.h"
#include "setup/Sheet.h"

#include <QSignalSpy>
#include <QTimer>
#include <QWheelEvent>

#include <functional>

#include <bit>

namespace kvq::test {
namespace {

class EditingTest : public WindowTest {
protected:
    void SetUp() override {
        WindowTest::SetUp();
        ShowActive();
    }

    TSpinEdit* Int() { return Window().findChild<TSpinEdit*>("SpinEdit1"); }
    TFSpinEdit* Real() { return Window().findChild<TFSpinEdit*>("FSpinEdit1"); }
    TLSpinEdit* List() { return Window().findChild<TLSpinEdit*>("LSpinEdit1"); }
    const SetupRecord& Record(int page = 0) { return Window().PageSetup(page).Record; }
    bool Changed(int page = 0) { return Window().PageSetup(page).Changed; }
    bool AnyEditorVisible() {
        return Int()->isVisible() || Real()->isVisible() || List()->isVisible();
    }
    // A window on a program folder that holds a limits file, with the file limits in force.
    void RestartWithFileLimits(std::string_view limits) {
        window.reset();
        WriteText(dir.File("kvqsetup.lmt"), limits);
        ShowActive();
        Action("KVQDefault1")->trigger();
        ASSERT_FALSE(Window().Limits().BuiltInInForce());
    }

    void Press(int key, int times = 1) {
        for (int i = 0; i < times; ++i) Type(key);
    }
};

TEST_F(EditingTest, EditorsStartHidden) {
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Int()->parentWidget(), Real()->parentWidget()) << "children of the window";
    EXPECT_FALSE(Real()->TabStop());
    EXPECT_FALSE(List()->EditorEnabled());
}

TEST_F(EditingTest, SteeringRatioOpensTheRealEditorExactlyOverTheValue) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(1, 59);
    ASSERT_TRUE(Real()->isVisible());
    EXPECT_EQ(Real()->geometry().topLeft(), QPoint(415, 43));
    EXPECT_EQ(Real()->width(), 41);
    EXPECT_EQ(Real()->text(), "16");
    EXPECT_EQ(Real()->MinValue(), 7.0f);
    EXPECT_EQ(Real()->MaxValue(), 20.0f);
    EXPECT_EQ(Real()->Increment(), 1.0f);
    EXPECT_TRUE(Real()->hasFocus());
    // The editor stands where the sheet view draws row 1, column 59.
    EXPECT_EQ(Real()->mapTo(&Window(), QPoint(0, 0)),
              Sheet()->mapTo(&Window(), QPoint(59 * 7, 15)));
}

TEST_F(EditingTest, StepAndEnterWriteTheRecordAndEnableSave) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up, 2);
    EXPECT_EQ(Real()->text(), "18");
    Press(Qt::Key_Return);
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Record().Get(field::SteeringRatio), 18.0f);
    EXPECT_TRUE(Changed());
    EXPECT_TRUE(Action("Save1")->isEnabled());
    EXPECT_TRUE(SheetText()[1].endsWith("Steering Ratio: 18:1"));
    EXPECT_TRUE(Tabs()->hasFocus()) << "the page strip takes the focus back";
}

TEST_F(EditingTest, EscapeAfterSteppingChangesNothing) {
    Open(SetupFile("car.br1"));
    const QStringList before = SheetText();
    DoubleClickCell(3, 5);
    Press(Qt::Key_Down, 3);
    Press(Qt::Key_Escape);
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Record().Get(field::WheelRateFL), 80.0f);
    EXPECT_FALSE(Changed());
    EXPECT_EQ(SheetText(), before);
    EXPECT_FALSE(Action("Save1")->isEnabled());
}

TEST_F(EditingTest, PartnerFollowsOnlyWhileTheFlagIsOne) {
    struct Row {
        std::uint8_t flag;
        std::int32_t partnerAfter;
    };
    for (const Row& row : {Row{1, 3}, Row{0, 2}, Row{2, 2}}) {
        SetupRecord record = ImportTemplate();
        record.SetSymmetricFlag(row.flag);
        Open(SetupFile("car.br1", record));
        const int page = Window().CurrentPage();
        DoubleClickCell(4, 6); // bump FL, 2
        ASSERT_TRUE(Int()->isVisible());
        Press(Qt::Key_Up);
        Press(Qt::Key_Return);
        EXPECT_EQ(Record(page).Get(field::BumpFL), 3) << int(row.flag);
        EXPECT_EQ(Record(page).Get(field::BumpFR), row.partnerAfter) << int(row.flag);
    }
}

TEST_F(EditingTest, EnterWithoutChangeStillCopiesToADifferingPartner) {
    Open(SetupFile("car.br1")); // camber FL -0.75, FR -0.25, coupled
    DoubleClickCell(6, 3);
    ASSERT_TRUE(Real()->isVisible());
    EXPECT_EQ(Real()->text(), "-0.75");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::CamberFR), -0.75f);
    EXPECT_TRUE(Changed());
    // A later edit that changes nothing leaves the page changed.
    DoubleClickCell(3, 5);
    Press(Qt::Key_Return);
    EXPECT_TRUE(Changed());
}

TEST_F(EditingTest, ValuesBeyondTheLimitsAreStoredClampedHoweverTheEditEnds) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(4, 6);
    Type(Qt::Key_9);
    EXPECT_EQ(Int()->text(), "9");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::BumpFL), 5);
    DoubleClickCell(4, 35);
    Type(Qt::Key_9);
    QTest::mouseClick(Sheet(), Qt::LeftButton, {}, Cell(20, 20));
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Record().Get(field::BumpFR), 5);
}

TEST_F(EditingTest, RealValuesAreStoredAsShown) {
    SetupRecord record = ImportTemplate();
    record.Set(field::Fuel, 20.7f);
    Open(SetupFile("car.br1", record));
    DoubleClickCell(2, 49);
    EXPECT_EQ(Real()->text(), "21");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::Fuel), 21.0f);
    EXPECT_TRUE(Changed()) << "rounding to what is shown is a change";
}

TEST_F(EditingTest, IntegersStandRightAlignedInTheirField) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(12, 25); // brake bias 57, three characters
    ASSERT_TRUE(Int()->isVisible());
    EXPECT_EQ(Int()->text(), " 57");
    Int()->selectAll();
    Type(Qt::Key_6);
    EXPECT_EQ(Int()->text(), "  6");
    Type(Qt::Key_5);
    EXPECT_EQ(Int()->text(), " 65") << "the padding leaves room for the digits";
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::FrontBrakeBias), 65);
}

TEST_F(EditingTest, WideLimitsNeverCutDigits) {
    RestartWithFileLimits("7,1,200\n2,16,300\n");
    Open(SetupFile("car.br1"));
    DoubleClickCell(4, 6);
    Int()->setText("150");
    EXPECT_EQ(Int()->text(), "150");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::BumpFL), 150);
    DoubleClickCell(2, 5);
    Real()->SetValue(250.0f);
    EXPECT_EQ(Real()->text(), "250");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::TyrePressureFL), 250.0f);
}

TEST_F(EditingTest, GearListShowsOverallRatiosAndWritesTheExactRatio) {
    Open(SetupFile("car.br1")); // 1st gear index 6, differential 3.1
    DoubleClickCell(5, 53);
    ASSERT_TRUE(List()->isVisible());
    EXPECT_EQ(List()->text(), " 7.853");
    EXPECT_EQ(List()->MinIndex(), 0);
    EXPECT_EQ(List()->MaxIndex(), 9);
    Press(Qt::Key_Down);
    EXPECT_EQ(List()->ItemIndex(), 7);
    EXPECT_EQ(List()->text().toStdString(),
              Format("%6.3f", {OverallRatio(ExactRatio(7), ExactRatio(89))}));
    Press(Qt::Key_Up, 3);
    EXPECT_EQ(List()->ItemIndex(), 4);
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::GearIndex1), 4);
    EXPECT_EQ(std::bit_cast<std::uint32_t>(Record().Get(field::GearRatio1)),
              std::bit_cast<std::uint32_t>(ExactRatio(4)));
    EXPECT_TRUE(Changed());
}

TEST_F(EditingTest, DifferentialListShowsTheThreeDecimalRatio) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(12, 57);
    EXPECT_EQ(List()->text(), "3.100");
    Press(Qt::Key_Up);
    EXPECT_EQ(List()->text(), "3.444");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::DiffIndex), 88);
    EXPECT_EQ(Record().Get(field::DiffRatio), ExactRatio(88));
}

TEST_F(EditingTest, RampAnglesAreOneListUnderKvqDefault) {
    Open(SetupFile("car.br1")); // 85/30: pair 4
    DoubleClickCell(13, 57);
    ASSERT_TRUE(List()->isVisible());
    EXPECT_EQ(List()->ItemIndex(), 4);
    EXPECT_EQ(List()->text(), "85/30");
    Press(Qt::Key_Down);
    EXPECT_EQ(List()->text(), "30/45");
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::RampAngle1), 30.0f);
    EXPECT_EQ(Record().Get(field::RampAngle2), 45.0f);
    EXPECT_TRUE(SheetText()[13].endsWith("Ramp Angles: 30/45"));
}

TEST_F(EditingTest, RampAnglesStepThirtyFortyFiveSixtyEightyFiveWithFileLimits) {
    RestartWithFileLimits("; as built in\n");
    SetupRecord record = ImportTemplate();
    record.Set(field::RampAngle1, 30.0f);
    Open(SetupFile("car.br1", record));
    DoubleClickCell(13, 56);
    ASSERT_TRUE(Real()->isVisible());
    QStringList walked{Real()->text()};
    for (int i = 0; i < 4; ++i) {
        Press(Qt::Key_Up);
        walked << Real()->text();
    }
    for (int i = 0; i < 4; ++i) {
        Press(Qt::Key_Down);
        walked << Real()->text();
    }
    EXPECT_EQ(walked, QStringList({"30", "45", "60", "85", "85", "60", "45", "30", "30"}));
    Press(Qt::Key_Escape);

    // An editor opened on 85 with the step of 15 goes down to 60.
    DoubleClickCell(13, 59); // second angle, 30
    Press(Qt::Key_Up, 3);
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::RampAngle2), 85.0f);
    DoubleClickCell(13, 60);
    Press(Qt::Key_Down);
    EXPECT_EQ(Real()->text(), "60");
    Press(Qt::Key_Escape);

    // The rule belongs to ramp angles only: a wheel rate of 75 stays 75.
    record.Set(field::WheelRateFL, 75.0f);
    Open(SetupFile("car2.br1", record));
    DoubleClickCell(3, 5);
    EXPECT_EQ(Real()->text(), " 75");
    Press(Qt::Key_Up);
    EXPECT_EQ(Real()->text(), " 80");
}

TEST_F(EditingTest, AsymmetryToggleFlipsWithoutMarkingTheSetupChanged) {
    Open(SetupFile("car.br1"));
    DoubleClickCell(22, 57);
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Record().SymmetricFlag(), 0);
    EXPECT_TRUE(SheetText()[22].endsWith("Asymmetrical: Y"));
    DoubleClickCell(22, 57);
    EXPECT_EQ(Record().SymmetricFlag(), 1);
    EXPECT_TRUE(SheetText()[22].endsWith("Asymmetrical: N"));
    EXPECT_FALSE(Changed());
    EXPECT_FALSE(Action("Save1")->isEnabled());
}

TEST_F(EditingTest, AnEditGoesIntoItsOwnPageWhateverChangesTheSelection) {
    // clang-format off
    const std::pair<const char*, std::function<void(QTabBar*)>> ways[] = {
        {"a click on the tab",
         [](QTabBar* tabs) { QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(0).center()); }},
        {"the wheel over the page strip",
         [](QTabBar* tabs) {
             const QPointF at = tabs->tabRect(1).center();
             QWheelEvent wheel(at, tabs->mapToGlobal(at), {}, {0, 120}, Qt::NoButton, Qt::NoModifier,
                               Qt::NoScrollPhase, false);
             QApplication::sendEvent(tabs, &wheel);
         }},
        {"the keys of the page strip", [](QTabBar* tabs) { tabs->setCurrentIndex(0); }},
    };
    // clang-format on
    for (const auto& [way, select] : ways) {
        SCOPED_TRACE(way);
        window.reset();
        ShowActive();
        Open(SetupFile("a.br1"));
        Open(SetupFile("b.br1"));
        DoubleClickCell(1, 59);
        Press(Qt::Key_Up);
        select(Tabs());
        EXPECT_EQ(Window().CurrentPage(), 0);
        EXPECT_EQ(Record(1).Get(field::SteeringRatio), 17.0f);
        EXPECT_TRUE(Changed(1));
        EXPECT_EQ(Record(0).Get(field::SteeringRatio), 16.0f);
        EXPECT_FALSE(Changed(0));
        EXPECT_TRUE(SheetText()[1].endsWith("Steering Ratio: 16:1"));
    }
}

TEST_F(EditingTest, EveryChangeOfASetupIsAnnounced) {
    QSignalSpy changed(&Window(), &TForm1::SetupChanged);
    QSignalSpy closing(&Window(), &TForm1::SetupClosing);
    Open(SetupFile("a.br1"));
    const TSetup* setup = &Window().PageSetup(0);
    DoubleClickCell(1, 59);
    Press(Qt::Key_Escape);
    DoubleClickCell(1, 59);
    Press(Qt::Key_Return);
    EXPECT_EQ(changed.count(), 0) << "nothing changed";
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    Press(Qt::Key_Return);
    DoubleClickCell(22, 57); // the asymmetry
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed[1][0].value<const TSetup*>(), setup);
    platform.questionAnswers = {Platform::Answer::No};
    Window().ClosePage1Click();
    ASSERT_EQ(closing.count(), 1);
    EXPECT_EQ(closing[0][0].value<const TSetup*>(), setup);
}

TEST_F(EditingTest, ClosingTheWindowCommitsTheEditIntoItsPageBeforeAsking) {
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.br1"));
    MarkChanged(0);
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    DoubleClickCell(1, 59);
    Press(Qt::Key_Down);
    platform.questionAnswers = {Platform::Answer::Yes, Platform::Answer::Yes};
    platform.saveAnswers = {QString::fromStdString(dir.File("a.br1")),
                            QString::fromStdString(dir.File("b.br1"))};
    EXPECT_TRUE(Window().close());
    ASSERT_EQ(platform.questions.size(), 2u) << "both pages changed";
    EXPECT_EQ(SetupRecord::FromBytes(ReadBytes(dir.File("a.br1"))).Get(field::SteeringRatio),
              17.0f);
    EXPECT_EQ(SetupRecord::FromBytes(ReadBytes(dir.File("b.br1"))).Get(field::SteeringRatio),
              15.0f);
}

TEST_F(EditingTest, LeavingTheApplicationCommitsTheEdit) {
    Open(SetupFile("a.br1"));
    DoubleClickCell(1, 59);
    Press(Qt::Key_Down);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    EXPECT_FALSE(AnyEditorVisible());
    EXPECT_EQ(Record().Get(field::SteeringRatio), 15.0f);
}

TEST_F(EditingTest, CommandsEndTheEditFirst) {
    Open(SetupFile("a.br1"));
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    Window().Copy1Click();
    EXPECT_EQ(Record().Get(field::SteeringRatio), 17.0f);
    EXPECT_TRUE(platform.clipboard->contains("Steering Ratio: 17:1"));

    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    // About shows its window only once the edit is committed; close it as soon as it shows.
    QTimer::singleShot(0, [] {
        if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
    });
    Window().About1Click();
    EXPECT_EQ(Record().Get(field::SteeringRatio), 18.0f);

    // The menus' Ctrl keys are the window's while an editor has the focus.
    ShowActive();
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    Type(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Record().Get(field::SteeringRatio), 19.0f);
    EXPECT_TRUE(platform.clipboard->contains("Steering Ratio: 19:1"));
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    Type(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Record().Get(field::SteeringRatio), 20.0f);
    EXPECT_EQ(Window().PageCaption(1), "Import1");
}

TEST_F(EditingTest, PointerDoesNotMoveTheFieldWhileEditing) {
    Open(SetupFile("a.br1"));
    DoubleClickCell(1, 59);
    MoveMouse(Sheet(), Cell(3, 5));
    EXPECT_EQ(Window().HoverField(), 1);
    Press(Qt::Key_Up);
    Press(Qt::Key_Return);
    EXPECT_EQ(Record().Get(field::SteeringRatio), 17.0f);
    EXPECT_EQ(Record().Get(field::WheelRateFL), 80.0f);
}

TEST_F(EditingTest, DoubleClickElsewhereEndsOneEditAndBeginsTheNext) {
    Open(SetupFile("a.br1"));
    DoubleClickCell(1, 59);
    Press(Qt::Key_Up);
    DoubleClickCell(3, 5);
    EXPECT_EQ(Record().Get(field::SteeringRatio), 17.0f);
    EXPECT_TRUE(Real()->isVisible());
    EXPECT_EQ(Real()->text(), " 80");
}

TEST_F(EditingTest, FileLimitsBoundTheEditors) {
    RestartWithFileLimits("7,1,9,2\n11,0,5\n");
    Open(SetupFile("a.br1"));
    DoubleClickCell(4, 6);
    EXPECT_EQ(Int()->MaxValue(), 9);
    EXPECT_EQ(Int()->Increment(), 2);
    Press(Qt::Key_Escape);
    DoubleClickCell(5, 53);
    EXPECT_EQ(List()->MaxIndex(), 5);
    EXPECT_EQ(List()->ItemIndex(), 5) << "the opened index 6 is now beyond the list";
}

TEST_F(EditingTest, LargeFontsPlaceEditorsOnTheLargeGrid) {
    window.reset();
    platform.dpi = 120;
    ShowActive();
    Open(SetupFile("a.br1"));
    DoubleClickCell(1, 59);
    ASSERT_TRUE(Real()->isVisible());
    EXPECT_EQ(Real()->geometry().topLeft(), QPoint(59 * 9 + 3, 17 + 32));
    EXPECT_EQ(Real()->width(), 2 * 9 + 27);
}

} // namespace
} // namespace kvq::test
