// Compare With: the compare window, its marks and gear ladder, and how it follows the pages.

#include "WindowFixture.h"

#include "app/CompareWindow.h"
#include "app/GearLadderChart.h"
#include "base/TextFormat.h"
#include "setup/GearTables.h"

#include <QImage>
#include <QLabel>
#include <QPointer>

#include <limits>
#include <set>
#include <utility>

namespace kvq::test {
namespace {

using Cells = std::set<std::pair<int, int>>; // row, column

class CompareTest : public WindowTest {
protected:
    // Runs Compare With (Ctrl+D) and answers the dialog; the window it opened, if any.
    CompareWindow* Compare(const std::function<void(TCopyDialog&)>& answer) {
        const auto before = Window().findChildren<CompareWindow*>();
        WithCopyDialog(answer, [this] { Action("CompareWith2")->trigger(); });
        for (CompareWindow* shown : Window().findChildren<CompareWindow*>())
            if (!before.contains(shown)) return shown;
        return nullptr;
    }

    CompareWindow* CompareWithFile(const std::string& path) {
        platform.openAnswers.push_back(QString::fromStdString(path));
        return Compare([](TCopyDialog& d) { d.FileBtnClick(); });
    }

    // The cells of a sheet whose background shows the mark tint.
    static Cells MarkedCells(CompareWindow& compare, const char* sheet) {
        auto* view = compare.findChild<SheetView*>(sheet);
        const QImage image = view->grab().toImage();
        const CellMetrics& m = kNormalMetrics;
        Cells marked;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == kMarkTint)
                    marked.insert({y / m.LineHeight, x / m.CharWidth});
        return marked;
    }

    // The cells of width characters from row, column on.
    static Cells Span(int row, int column, int width) {
        Cells cells;
        for (int c = column; c < column + width; ++c) cells.insert({row, c});
        return cells;
    }

    static Cells Joined(std::initializer_list<Cells> parts) {
        Cells all;
        for (const Cells& part : parts) all.insert(part.begin(), part.end());
        return all;
    }

    // How many bars of each setup's colour the ladder draws: the runs of that colour along the
    // pixel row the bars cover most.
    static std::pair<int, int> LadderBars(CompareWindow& compare) {
        const QImage image = compare.findChild<GearLadderChart*>("GearLadder")->grab().toImage();
        const QRgb colours[] = {GearLadderChart::SeriesColour(0).rgb(),
                                GearLadderChart::SeriesColour(1).rgb()};
        int bestRow = 0;
        int bestCover = -1;
        for (int y = 0; y < image.height(); ++y) {
            int cover = 0;
            for (int x = 0; x < image.width(); ++x)
                cover += image.pixel(x, y) == colours[0] || image.pixel(x, y) == colours[1];
            if (cover > bestCover) bestRow = y, bestCover = cover;
        }
        int runs[2] = {0, 0};
        for (int s = 0; s < 2; ++s)
            for (int x = 0; x < image.width(); ++x)
                runs[s] += image.pixel(x, bestRow) == colours[s] &&
                           (x == 0 || image.pixel(x - 1, bestRow) != colours[s]);
        return {runs[0], runs[1]};
    }

    static SetupRecord Normalised(SetupRecord record) {
        Normalise(record, CurrentLimits{});
        return record;
    }
};

TEST_F(CompareTest, AFourGearPageAgainstASixGearFileMarksExactlyTheDifferingValues) {
    Open(SetupFile("page.lo3", Normalised(ImportTemplate())));
    SetupRecord other = Normalised(ImportTemplate());
    other.Set(field::Fuel, 30.0f);
    other.Set(field::TyrePressureRR, 25.0f); // the partner stays: records are compared as stored
    other.Set(field::GearIndex5, 30);
    other.Set(field::GearRatio5, ExactRatio(30));
    other.Set(field::GearRatio3, std::numeric_limits<float>::quiet_NaN());
    other.SetWord(field::Reserved04, 99);
    CompareWindow* compare = CompareWithFile(SetupFile("other.br1", other));
    ASSERT_TRUE(compare);
    EXPECT_EQ(copyDialogCaptions, QStringList{"Compare With"});
    EXPECT_TRUE(compare->isVisible());
    EXPECT_EQ(compare->windowTitle(), "Compare page.lo3 with other.br1");
    EXPECT_EQ(compare->findChild<QLabel*>("CaptionB")->text(), "other.br1");
    auto shortest = [](int index) { return FormatShortest(ExactRatio(index)); };
    EXPECT_EQ(compare->DifferenceLines(),
              QStringList({"Reserved04: 03000000 -> 63000000",
                           QString::fromStdString("3rd Gear ratio: " + shortest(46) + " -> nan"),
                           QString::fromStdString("5th Gear ratio: " + shortest(80) + " -> " +
                                                  shortest(30)),
                           "5th Gear index: 80 -> 30", "Tyre Pressure (psi) RR: 22 -> 25",
                           "Fuel (gallons): 43 -> 30"}));
    // The 5th gear shows on the six-gear sheet only; Reserved04 on neither.
    const Cells common = Joined({Span(2, 49, 2), Span(17, 34, 2), Span(7, 53, 6)});
    EXPECT_EQ(MarkedCells(*compare, "SheetA"), common);
    EXPECT_EQ(MarkedCells(*compare, "SheetB"), Joined({common, Span(9, 53, 6)}));
    EXPECT_EQ(compare->findChild<SheetView*>("SheetB")->Lines()[7].mid(53, 6), "   nan");
    // Four gears drawn for the page, five for the file whose 3rd gear has no ratio.
    EXPECT_EQ(LadderBars(*compare), std::make_pair(4, 5));
}

TEST_F(CompareTest, TheWindowFollowsItsPagesAndCopiesTheList) {
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.br1"));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    QPointer<CompareWindow> itself = Compare([](TCopyDialog& d) { ChoosePage(d, 0); });
    ASSERT_TRUE(itself);
    EXPECT_EQ(itself->DifferenceLines(), QStringList{"No differences"});
    EXPECT_EQ(MarkedCells(*itself, "SheetA"), Cells{});
    QPointer<CompareWindow> other = Compare([](TCopyDialog& d) { ChoosePage(d, 1); });
    ASSERT_TRUE(other);

    MarkChanged(0); // steering ratio 16 -> 17, not saved: the page is compared as it stands
    EXPECT_EQ(itself->DifferenceLines(), QStringList{"No differences"});
    EXPECT_EQ(other->DifferenceLines(), QStringList{"Steering Ratio: 17 -> 16"});
    EXPECT_EQ(MarkedCells(*other, "SheetA"), Span(1, 59, 2));
    EXPECT_EQ(MarkedCells(*other, "SheetB"), Span(1, 59, 2));
    QApplication::setActiveWindow(other);
    ASSERT_TRUE(QTest::qWaitForWindowActive(other));
    QTest::keyClick(other, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform.clipboard, "Steering Ratio: 17 -> 16\r\n");

    // Closing page b closes the window that shows it, and only that one.
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    Action("Close1")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(other);
    ASSERT_TRUE(itself);
    platform.questionAnswers.push_back(Platform::Answer::No);
    Action("Close1")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(itself);
    EXPECT_FALSE(Action("CompareWith2")->isEnabled());
}

TEST_F(CompareTest, AFileThatCannotBeReadIsReportedAndOpensNoWindow) {
    Open(SetupFile("page.br1"));
    SetupRecord bad = ImportTemplate();
    bad.MutableBytes()[0] = 'X';
    EXPECT_FALSE(CompareWithFile(dir.File("gone.br1")));
    EXPECT_FALSE(CompareWithFile(SetupFile("notes.br1", bad)));
    ASSERT_EQ(platform.errors.size(), 2u);
    EXPECT_EQ(platform.errors[0].text, "Failed to open gone.br1.");
    EXPECT_EQ(platform.errors[1].text, "notes.br1: Invalid file type.");
}

} // namespace
} // namespace kvq::test
