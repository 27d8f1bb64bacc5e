#include "app/CompareWindow.h"

#include "app/GearLadderChart.h"
#include "app/Platform.h"
#include "app/SheetView.h"
#include "setup/Comparison.h"
#include "setup/Sheet.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include <utility>

namespace kvq {

namespace {

// Wide enough for the sheet's longest line and the column after it.
constexpr int kSheetColumns = 67;
constexpr int kDifferenceRows = 8;

} // namespace

CompareWindow::CompareWindow(Side a, Side b, std::unique_ptr<TSetup> fileSetup, Platform& platform,
                             const CellMetrics& metrics, const CurrentLimits& limits,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), sides_{std::move(a), std::move(b)},
      fileSetup_(std::move(fileSetup)), platform_(platform), limits_(limits) {
    setObjectName("CompareWindow");
    // The sheet's font comes from the main window.
    setAttribute(Qt::WA_WindowPropagation);
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle("Compare " + sides_[0].Caption + " with " + sides_[1].Caption);

    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize);
    for (int s = 0; s < 2; ++s) {
        const char* const names[] = {"A", "B"};
        auto* caption = new QLabel(sides_[static_cast<std::size_t>(s)].Caption, this);
        caption->setObjectName(QString("Caption") + names[s]);
        caption->setTextFormat(Qt::PlainText);
        auto* sheet = new SheetView(this);
        sheet->setObjectName(QString("Sheet") + names[s]);
        sheet->SetMetrics(metrics);
        sheet->setFixedSize(kSheetColumns * metrics.CharWidth,
                            kSheetLineCount * metrics.LineHeight);
        sheets_[static_cast<std::size_t>(s)] = sheet;
        grid->addWidget(caption, 0, s);
        grid->addWidget(sheet, 1, s);
    }
    ladder_ = new GearLadderChart(this);
    grid->addWidget(ladder_, 2, 0, 1, 2);
    differences_ = new QListWidget(this);
    differences_->setObjectName("Differences");
    // The window's keys stay the window's: Ctrl+C copies the whole list.
    differences_->setFocusPolicy(Qt::NoFocus);
    differences_->setSelectionMode(QAbstractItemView::NoSelection);
    differences_->setFixedHeight(kDifferenceRows * fontMetrics().lineSpacing() +
                                 2 * differences_->frameWidth());
    grid->addWidget(differences_, 3, 0, 1, 2);

    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { Copy1Click(); });
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addActions({copy, escape});

    Refresh();
}

CompareWindow::~CompareWindow() = default;

void CompareWindow::Refresh() {
    const TSetup& a = *sides_[0].Setup;
    const TSetup& b = *sides_[1].Setup;
    const std::vector<FieldDifference> differences = CompareRecords(a.Record, b.Record);
    differences_->clear();
    for (const FieldDifference& difference : differences)
        differences_->addItem(QString::fromStdString(DifferenceLine(difference)));
    if (differences.empty()) differences_->addItem("No differences");

    std::array<GearLadderChart::Series, 2> ladders;
    for (std::size_t s = 0; s < 2; ++s) {
        const TSetup& setup = *sides_[s].Setup;
        std::vector<SheetCell> marked;
        for (const FieldDifference& difference : differences) {
            const auto cells = CellsShowing(difference.Field, setup.GearboxKind, limits_.Tables());
            marked.insert(marked.end(), cells.begin(), cells.end());
        }
        sheets_[s]->SetLines(SheetLines(setup));
        sheets_[s]->SetMarkedCells(std::move(marked));
        ladders[s] = {sides_[s].Caption, GearLadder(setup.Record, setup.GearboxKind)};
    }
    ladder_->SetSeries(std::move(ladders));
}

QStringList CompareWindow::DifferenceLines() const {
    QStringList lines;
    for (int row = 0; row < differences_->count(); ++row) lines << differences_->item(row)->text();
    return lines;
}

void CompareWindow::SetupChanged(const TSetup* setup) {
    if (setup == sides_[0].Setup || setup == sides_[1].Setup) Refresh();
}

void CompareWindow::SetupClosing(const TSetup* setup) {
    if (setup != sides_[0].Setup && setup != sides_[1].Setup) return;
    // The window goes later, the page now: nothing may reach the page's setup any more.
    sides_[0].Setup = sides_[1].Setup = nullptr;
    close();
}

void CompareWindow::Copy1Click() {
    QString text;
    for (const QString& line : DifferenceLines()) text += line + "\r\n";
    platform_.SetClipboardText(text);
}

} // namespace kvq
