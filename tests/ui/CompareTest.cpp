// Compare With: the chooser, the compare window, its tints and gear ladder, how it follows the
// pages, and how it fits the screen.

#include "WindowFixture.h"

#include "app/CompareWindow.h"
#include "app/GearLadderChart.h"
#include "base/TextFormat.h"
#include "setup/GearTables.h"

#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QPaintEngine>
#include <QPointer>
#include <QScreen>

#include <cmath>
#include <limits>
#include <set>
#include <utility>

namespace kvq::test {
namespace {

using Cells = std::set<std::pair<int, int>>; // row, column

// The texts a widget draws when painted here, in order.
class DrawnTexts : public QPaintDevice {
public:
    explicit DrawnTexts(QWidget& widget) : size_(widget.size()) { widget.render(this); }

    QStringList texts;

    [[nodiscard]] QPaintEngine* paintEngine() const override { return &engine_; }

protected:
    [[nodiscard]] int metric(PaintDeviceMetric metric) const override {
        switch (metric) {
        case PdmWidth: return size_.width();
        case PdmHeight: return size_.height();
        case PdmWidthMM: return size_.width() * 254 / 960;
        case PdmHeightMM: return size_.height() * 254 / 960;
        case PdmDepth: return 32;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return 96;
        default: return 256;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(QStringList& texts) : QPaintEngine(AllFeatures), texts_(texts) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF&, const QTextItem& item) override { texts_ << item.text(); }
        [[nodiscard]] Type type() const override { return User; }

    private:
        QStringList& texts_;
    };
    QSize size_;
    mutable Engine engine_{texts};
};

// WCAG's contrast ratio of two colours, 1 to 21.
double Contrast(const QColor& a, const QColor& b) {
    auto luminance = [](const QColor& c) {
        auto linear = [](double v) {
            return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
    };
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QPalette DarkPalette() {
    QPalette dark;
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        dark.setColor(group, QPalette::Window, QColor(53, 53, 53));
        dark.setColor(group, QPalette::Base, QColor(35, 35, 35));
        for (const auto role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
            dark.setColor(group, role, QColor(240, 240, 240));
        dark.setColor(group, QPalette::Button, QColor(53, 53, 53));
    }
    return dark;
}

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

    // Chooses the rows of the dialog's list, as Ctrl+clicks, and presses OK.
    static void ChoosePages(TCopyDialog& dialog, std::initializer_list<int> rows) {
        auto* list = dialog.findChild<QListWidget*>("ListBox1");
        list->clearSelection();
        for (const int row : rows)
            QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                              list->visualItemRect(list->item(row)).center());
        QTest::mouseClick(dialog.findChild<QPushButton*>("OKBtn"), Qt::LeftButton);
    }

    static SheetView* SheetOf(CompareWindow& compare, int column) {
        return compare.findChild<SheetView*>("Sheet" + QString::number(column));
    }

    // The cells of a sheet whose background shows the mark tint.
    static Cells MarkedCells(CompareWindow& compare, int column) {
        SheetView* view = SheetOf(compare, column);
        const QImage image = view->grab().toImage();
        const QRgb tint = MarkTint(view->palette()).rgb();
        const CellMetrics& m = kNormalMetrics;
        Cells marked;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (image.pixel(x, y) == tint) marked.insert({y / m.LineHeight, x / m.CharWidth});
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

    // The ratio cells of the gears from 1st to the last.
    static Cells Gears(int last) {
        Cells cells;
        for (int gear = 1; gear <= last; ++gear) cells.merge(Span(4 + gear, 53, 6));
        return cells;
    }

    // How many bars of each setup's colour the ladder draws: the runs of that colour along the
    // pixel row the bars cover most.
    static std::vector<int> LadderBars(CompareWindow& compare, int setups) {
        auto* chart = compare.findChild<GearLadderChart*>("GearLadder");
        const QImage image = chart->grab().toImage();
        std::vector<QRgb> colours;
        for (int s = 0; s < setups; ++s)
            colours.push_back(GearLadderChart::SeriesColour(s, chart->palette()).rgb());
        auto isBar = [&](int x, int y) { return std::ranges::count(colours, image.pixel(x, y)); };
        int bestRow = 0;
        int bestCover = -1;
        for (int y = 0; y < image.height(); ++y) {
            int cover = 0;
            for (int x = 0; x < image.width(); ++x) cover += static_cast<int>(isBar(x, y));
            if (cover > bestCover) bestRow = y, bestCover = cover;
        }
        std::vector<int> runs(colours.size());
        for (std::size_t s = 0; s < colours.size(); ++s)
            for (int x = 0; x < image.width(); ++x)
                runs[s] += image.pixel(x, bestRow) == colours[s] &&
                           (x == 0 || image.pixel(x - 1, bestRow) != colours[s]);
        return runs;
    }

    static QString Caption(CompareWindow& compare, int column) {
        return compare.findChild<QLabel*>("Caption" + QString::number(column))->text();
    }

    static SetupRecord Normalised(SetupRecord record) {
        Normalise(record, CurrentLimits{});
        return record;
    }
};

TEST_F(CompareTest, TintsMarkEveryValuePrintedOtherwiseAndTheListTheFieldsThatDiffer) {
    Open(SetupFile("page.lo3", Normalised(ImportTemplate())));
    SetupRecord other = Normalised(ImportTemplate());
    other.Set(field::DiffIndex, 87);         // every overall ratio prints otherwise
    other.Set(field::TyrePressureRR, 25.0f); // the partner stays: no edit made it
    other.Set(field::Fuel, 43.25f);          // printed as 43 all the same
    other.SetWord(field::Reserved04, 99);    // not printed
    CompareWindow* compare = CompareWithFile(SetupFile("other.br1", other));
    ASSERT_TRUE(compare);
    EXPECT_EQ(copyDialogCaptions, QStringList{"Compare With"});
    EXPECT_TRUE(compare->isVisible());
    EXPECT_EQ(compare->windowTitle(), "Compare page.lo3 with other.br1 (file)");
    EXPECT_EQ(Caption(*compare, 2), "other.br1 (file)");
    EXPECT_EQ(compare->DifferenceLines(),
              QStringList({"Gears: 4 -> 6", "Reserved04: 03000000 -> 63000000",
                           QString::fromStdString("Diff Ratio: " + FormatShortest(ExactRatio(89)) +
                                                  " -> " + FormatShortest(ExactRatio(87))),
                           "Diff Ratio index: 89 -> 87", "Tyre Pressure (psi) RR: 22 -> 25",
                           "Fuel (gallons): 43 -> 43.25"}));
    // The 5th and 6th gear show on the six-gear sheet only.
    EXPECT_EQ(MarkedCells(*compare, 1), Joined({Gears(4), Span(12, 56, 5), Span(17, 34, 2)}));
    EXPECT_EQ(MarkedCells(*compare, 2), Joined({Gears(6), Span(12, 56, 5), Span(17, 34, 2)}));
    EXPECT_EQ(LadderBars(*compare, 2), std::vector<int>({4, 6}));
}

TEST_F(CompareTest, AFileIsComparedAsOpenShowsItAndAnUnreadableOneIsReported) {
    // The example as stored holds ratios its indices give otherwise, which Open puts right.
    const std::string example = SetupFile("default.lo3");
    Open(example);
    CompareWindow* same = CompareWithFile(example);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->DifferenceLines(), QStringList{"No differences"});
    EXPECT_EQ(MarkedCells(*same, 1), Cells{});
    EXPECT_EQ(MarkedCells(*same, 2), Cells{});

    SetupRecord bad = ImportTemplate();
    bad.MutableBytes()[0] = 'X';
    EXPECT_FALSE(CompareWithFile(dir.File("gone.br1")));
    EXPECT_FALSE(CompareWithFile(SetupFile("notes.br1", bad)));
    ASSERT_EQ(platform.errors.size(), 2u);
    EXPECT_EQ(platform.errors[0].text, "Failed to open gone.br1.");
    EXPECT_EQ(platform.errors[1].text, "notes.br1: Invalid file type.");
}

TEST_F(CompareTest, TheChooserOffersTheOtherPagesWithTheFirstChosen) {
    for (const char* name : {"a.br1", "b.br1", "c.br1"}) Open(SetupFile(name));
    ShowActive();
    Window().move(40, 30);
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    // Enter takes the first page offered.
    CompareWindow* first = Compare([this](TCopyDialog& d) {
        auto* list = d.findChild<QListWidget*>("ListBox1");
        QStringList offered;
        for (int row = 0; row < list->count(); ++row) offered << list->item(row)->text();
        EXPECT_EQ(offered, QStringList({"a.br1", "c.br1"}));
        EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{list->item(0)});
        EXPECT_EQ(d.findChild<QPushButton*>("FileBtn")->text(), "&File...");
        EXPECT_EQ(d.frameGeometry().center(), Window().frameGeometry().center());
        QTest::keyClick(list, Qt::Key_Return);
    });
    ASSERT_TRUE(first);
    EXPECT_EQ(first->windowTitle(), "Compare b.br1 with a.br1");
    // Down goes to the second page; Shift+Up takes the first as well.
    CompareWindow* both = Compare([](TCopyDialog& d) {
        auto* list = d.findChild<QListWidget*>("ListBox1");
        QTest::keyClick(list, Qt::Key_Down);
        EXPECT_EQ(list->selectedItems(), QList<QListWidgetItem*>{list->item(1)});
        QTest::keyClick(list, Qt::Key_Up, Qt::ShiftModifier);
        QTest::keyClick(list, Qt::Key_Return);
    });
    ASSERT_TRUE(both);
    EXPECT_EQ(both->windowTitle(), "Compare b.br1 with a.br1 and c.br1");
}

TEST_F(CompareTest, TheWindowFollowsItsPagesAndTheirNamesAndCopiesTheList) {
    Open(SetupFile("q.fe2"));
    Open(SetupFile("p.fe2"));
    Open(SetupFile("r.fe2"));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    QPointer<CompareWindow> withP = Compare([](TCopyDialog& d) { ChoosePage(d, 0); });
    QPointer<CompareWindow> withR = Compare([](TCopyDialog& d) { ChoosePage(d, 1); });
    ASSERT_TRUE(withP && withR);
    EXPECT_EQ(withP->DifferenceLines(), QStringList{"No differences"});

    MarkChanged(0); // steering ratio 16 -> 17, not saved: the page is compared as it stands
    EXPECT_EQ(withP->DifferenceLines(), QStringList{"Steering Ratio: 17 -> 16"});
    EXPECT_EQ(MarkedCells(*withP, 1), Span(1, 59, 2));
    EXPECT_EQ(MarkedCells(*withP, 2), Span(1, 59, 2));
    QApplication::setActiveWindow(withP);
    ASSERT_TRUE(QTest::qWaitForWindowActive(withP));
    QTest::keyClick(withP, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(platform.clipboard, "Steering Ratio: 17 -> 16\r\n");

    // Saved under another name, the page is shown by it at once, with its new gear count.
    platform.saveAnswers.push_back(QString::fromStdString(dir.File("q3.br1")));
    Window().Save1Click();
    EXPECT_EQ(withP->windowTitle(), "Compare q3.br1 with p.fe2");
    EXPECT_EQ(Caption(*withP, 1), "q3.br1");
    EXPECT_TRUE(SheetOf(*withP, 1)->Lines()[10].contains("6th Gear"));
    EXPECT_EQ(LadderBars(*withP, 2), std::vector<int>({6, 5}));
    EXPECT_TRUE(DrawnTexts(*withP->findChild<GearLadderChart*>()).texts.contains("q3.br1"));

    // Closing page p closes the window that shows it, and only that one.
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(1).center());
    Action("Close1")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(withP);
    ASSERT_TRUE(withR);
    Action("Close1")->trigger(); // the first page comes to the front: q3.br1
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(withR);
}

TEST_F(CompareTest, TheWindowFitsTheScreenBesideItsMainWindow) {
    Open(SetupFile("a.br1"));
    Open(SetupFile("b.br1"));
    ShowActive();
    CompareWindow* compare = Compare([](TCopyDialog& d) { ChoosePage(d, 0); });
    ASSERT_TRUE(compare);
    const QRect area = Window().screen()->availableGeometry();
    EXPECT_TRUE(area.contains(compare->frameGeometry()))
        << compare->frameGeometry().width() << "x" << compare->frameGeometry().height();
    // Sheets keep their size and scroll in a window smaller than they are; it can be resized.
    const QSize sheet(67 * kNormalMetrics.CharWidth, 25 * kNormalMetrics.LineHeight);
    EXPECT_EQ(SheetOf(*compare, 1)->size(), sheet);
    EXPECT_LT(compare->minimumSize().width(), 2 * sheet.width());
    EXPECT_GT(compare->maximumSize().width(), compare->width());
    compare->resize(compare->minimumSize());
    EXPECT_EQ(SheetOf(*compare, 2)->size(), sheet);
}

TEST_F(CompareTest, TheLadderTellsEachUpshiftToATenthAndWhatItMeans) {
    Open(SetupFile("a.lo3"));
    SetupRecord shorter = Normalised(ImportTemplate());
    shorter.Set(field::GearIndex4, shorter.Get(field::GearIndex4) + 1);
    CompareWindow* compare = CompareWithFile(SetupFile("b.lo3", shorter));
    ASSERT_TRUE(compare);
    const QStringList texts = DrawnTexts(*compare->findChild<GearLadderChart*>()).texts;
    // As kvqsetup-cli gears prints the page's file normalised.
    for (const char* upshift : {"-30.3 %", "-18.1 %", "-14.2 %"})
        EXPECT_TRUE(texts.contains(upshift)) << upshift << " in " << texts.join('|').toStdString();
    EXPECT_TRUE(texts.filter("Upshift: engine speed").size() == 1) << texts.join('|').toStdString();
}

TEST_F(CompareTest, ValuesAndBarsKeepTheirContrastOnLightAndDarkPalettes) {
    Open(SetupFile("a.br1"));
    SetupRecord other = ImportTemplate();
    other.Set(field::SteeringRatio, 12.0f);
    const std::string otherFile = SetupFile("b.br1", other);
    const QPalette original = QApplication::palette();
    for (const QPalette& palette : {original, DarkPalette()}) {
        SCOPED_TRACE(palette.color(QPalette::Base).name().toStdString());
        QApplication::setPalette(palette);
        CompareWindow* compare = CompareWithFile(otherFile);
        ASSERT_TRUE(compare);
        SheetView* sheet = SheetOf(*compare, 2);
        ASSERT_EQ(MarkedCells(*compare, 2), Span(1, 59, 2));
        // The value's strokes against the tint behind them.
        const QImage image = sheet->grab().toImage();
        const QColor tint = MarkTint(sheet->palette());
        double best = 1;
        for (int y = kNormalMetrics.LineHeight; y < 2 * kNormalMetrics.LineHeight; ++y)
            for (int x = 59 * kNormalMetrics.CharWidth; x < 61 * kNormalMetrics.CharWidth; ++x)
                best = std::max(best, Contrast(image.pixelColor(x, y), tint));
        EXPECT_GE(best, 4.5);
        // Every setup's colour stands out from the chart's background.
        const QPalette& chart = compare->findChild<GearLadderChart*>()->palette();
        for (int s = 0; s < GearLadderChart::kMaxSeries; ++s)
            EXPECT_GE(
                Contrast(GearLadderChart::SeriesColour(s, chart), chart.color(QPalette::Base)), 3.0)
                << s;
        compare->close();
    }
    QApplication::setPalette(original);
}

TEST_F(CompareTest, SeveralSetupsAColumnEachAgainstTheFirstOrTheOneBefore) {
    Open(SetupFile("a.br1"));
    SetupRecord b = ImportTemplate();
    b.Set(field::Fuel, 30.0f);
    Open(SetupFile("b.br1", b));
    SetupRecord c = b;
    c.Set(field::SteeringRatio, 12.0f);
    Open(SetupFile("c.br1", c));
    QTest::mouseClick(Tabs(), Qt::LeftButton, {}, Tabs()->tabRect(0).center());
    CompareWindow* compare = Compare([](TCopyDialog& d) { ChoosePages(d, {0, 1}); });
    ASSERT_TRUE(compare);
    EXPECT_EQ(compare->windowTitle(), "Compare a.br1 with b.br1 and c.br1");
    const Cells fuel = Span(2, 49, 2);
    const Cells steering = Span(1, 59, 2);
    struct Row {
        bool againstPrevious;
        QStringList lines;
        std::array<Cells, 3> marked;
    };
    const Row rows[] = {
        {false,
         {"b.br1 against a.br1", "Fuel (gallons): 43 -> 30", "c.br1 against a.br1",
          "Fuel (gallons): 43 -> 30", "Steering Ratio: 16 -> 12"},
         {Joined({fuel, steering}), fuel, Joined({fuel, steering})}},
        {true,
         {"b.br1 against a.br1", "Fuel (gallons): 43 -> 30", "c.br1 against b.br1",
          "Steering Ratio: 16 -> 12"},
         {fuel, fuel, steering}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.againstPrevious);
        compare->findChild<QCheckBox*>("AgainstPrevious")->setChecked(row.againstPrevious);
        EXPECT_EQ(compare->DifferenceLines(), row.lines);
        for (int column = 1; column <= 3; ++column)
            EXPECT_EQ(MarkedCells(*compare, column), row.marked[column - 1]) << column;
    }
    EXPECT_EQ(LadderBars(*compare, 3), std::vector<int>({6, 6, 6}));

    // Setups the caller holds, under its captions: a ratio that is none is drawn as missing.
    SetupRecord odd = ImportTemplate();
    odd.Set(field::GearRatio3, std::numeric_limits<float>::quiet_NaN());
    TSetup held;
    held.Record = odd;
    held.GearboxKind = 6;
    CompareWindow* given =
        Window().CompareWithSetups({CompareWindow::NamedSetup{"from the library", held}});
    ASSERT_TRUE(given);
    EXPECT_EQ(given->windowTitle(), "Compare a.br1 with from the library");
    EXPECT_EQ(SheetOf(*given, 2)->Lines()[7].mid(53, 6), "   nan");
    EXPECT_EQ(LadderBars(*given, 2), std::vector<int>({6, 5}));
}

} // namespace
} // namespace kvq::test
