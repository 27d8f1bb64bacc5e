#include "app/CompareWindow.h"

#include "app/GearLadderChart.h"
#include "app/Platform.h"
#include "app/SheetView.h"
#include "setup/Comparison.h"
#include "setup/Sheet.h"

#include <QAction>
#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QScreen>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace kvq {

namespace {

// Wide enough for the sheet's longest line and the column after it.
constexpr int kSheetColumns = 67;
constexpr int kDifferenceRows = 8;
constexpr int kFewestDifferenceRows = 3;

// The sheets at their natural size: the area asks for all of them, and scrolls when the window
// is smaller.
class SheetArea : public QScrollArea {
public:
    using QScrollArea::QScrollArea;

    [[nodiscard]] QSize sizeHint() const override {
        const int frame = 2 * frameWidth();
        return widget()->sizeHint() + QSize(frame, frame);
    }
};

} // namespace

CompareWindow::CompareWindow(std::vector<Column> columns, PageCaption pageCaption,
                             Platform& platform, const CellMetrics& metrics, QWidget* parent)
    : QWidget(parent, Qt::Window), columns_(std::move(columns)),
      pageCaption_(std::move(pageCaption)), platform_(platform) {
    setObjectName("CompareWindow");
    // The sheet's font comes from the main window.
    setAttribute(Qt::WA_WindowPropagation);
    setAttribute(Qt::WA_DeleteOnClose);

    auto* layout = new QVBoxLayout(this);
    if (columns_.size() > 2) {
        againstPrevious_ = new QCheckBox("Compare each setup with the one &before it", this);
        againstPrevious_->setObjectName("AgainstPrevious");
        againstPrevious_->setFocusPolicy(Qt::TabFocus);
        connect(againstPrevious_, &QCheckBox::toggled, this, [this] { Refresh(); });
        layout->addWidget(againstPrevious_);
    }

    auto* area = new SheetArea(this);
    area->setObjectName("Sheets");
    area->setFocusPolicy(Qt::NoFocus);
    auto* sheets = new QWidget(area);
    auto* grid = new QGridLayout(sheets);
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const QString name = QString::number(c + 1);
        auto* caption = new QLabel(sheets);
        caption->setObjectName("Caption" + name);
        caption->setTextFormat(Qt::PlainText);
        auto* sheet = new SheetView(sheets);
        sheet->setObjectName("Sheet" + name);
        sheet->SetMetrics(metrics);
        sheet->setFixedSize(kSheetColumns * metrics.CharWidth,
                            kSheetLineCount * metrics.LineHeight);
        captions_.push_back(caption);
        sheets_.push_back(sheet);
        grid->addWidget(caption, 0, static_cast<int>(c));
        grid->addWidget(sheet, 1, static_cast<int>(c));
    }
    area->setWidget(sheets);
    area->setMinimumSize(
        area->sizeHint().boundedTo(QSize(40 * metrics.CharWidth, 8 * metrics.LineHeight)));
    layout->addWidget(area, 3);

    ladder_ = new GearLadderChart(this);
    layout->addWidget(ladder_, 2);
    differences_ = new QListWidget(this);
    differences_->setObjectName("Differences");
    // The window's keys stay the window's: Ctrl+C copies the whole list.
    differences_->setFocusPolicy(Qt::NoFocus);
    differences_->setSelectionMode(QAbstractItemView::NoSelection);
    auto rowsHigh = [this](int rows) {
        return rows * fontMetrics().lineSpacing() + 2 * differences_->frameWidth();
    };
    differences_->setMinimumHeight(rowsHigh(kFewestDifferenceRows));
    differences_->setMaximumHeight(rowsHigh(kDifferenceRows * 2));
    layout->addWidget(differences_, 1);

    auto* copy = new QAction(this);
    copy->setShortcut(QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, [this] { Copy1Click(); });
    auto* escape = new QAction(this);
    escape->setShortcut(Qt::Key_Escape);
    connect(escape, &QAction::triggered, this, &QWidget::close);
    addActions({copy, escape});

    Refresh();
    resize(sizeHint());
}

CompareWindow::~CompareWindow() = default;

const TSetup& CompareWindow::SetupOf(std::size_t column) const {
    const Column& shown = columns_[column];
    if (const auto* page = std::get_if<const TSetup*>(&shown)) return **page;
    return std::get<NamedSetup>(shown).Setup;
}

QString CompareWindow::CaptionOf(std::size_t column) const {
    const Column& shown = columns_[column];
    if (const auto* page = std::get_if<const TSetup*>(&shown)) return pageCaption_(**page);
    return std::get<NamedSetup>(shown).Caption;
}

bool CompareWindow::Shows(const TSetup* setup) const {
    return setup && std::ranges::any_of(columns_, [setup](const Column& shown) {
               const auto* page = std::get_if<const TSetup*>(&shown);
               return page && *page == setup;
           });
}

std::size_t CompareWindow::ReferenceOf(std::size_t column) const {
    return againstPrevious_ && againstPrevious_->isChecked() ? column - 1 : 0;
}

void CompareWindow::SetAgainstPrevious(bool againstPrevious) {
    if (againstPrevious_) againstPrevious_->setChecked(againstPrevious);
}

void CompareWindow::Refresh() {
    QStringList captions;
    std::vector<PrintedSheet> printed;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        captions << CaptionOf(c);
        printed.push_back(PrintSheet(SetupOf(c)));
    }
    setWindowTitle("Compare " + captions.front() + " with " +
                   (captions.size() == 2 ? captions.back()
                                         : captions.mid(1, captions.size() - 2).join(", ") +
                                               " and " + captions.back()));

    // Each column from the second on is marked where it prints a value otherwise than the column
    // it is compared with, and that column where it prints one otherwise than this one; the
    // first column thus shows against every column compared with it.
    std::vector<std::vector<SheetCell>> marked(columns_.size());
    auto mark = [&](std::size_t column, const std::vector<SheetCell>& cells) {
        for (const SheetCell& cell : cells)
            if (std::ranges::find(marked[column], cell) == marked[column].end())
                marked[column].push_back(cell);
    };
    differences_->clear();
    for (std::size_t c = 1; c < columns_.size(); ++c) {
        const std::size_t reference = ReferenceOf(c);
        mark(c, ValuesPrintedOtherwise(printed[c], printed[reference]));
        if (reference == 0) mark(reference, ValuesPrintedOtherwise(printed[reference], printed[c]));
        if (columns_.size() > 2) {
            auto* heading = new QListWidgetItem(captions[static_cast<qsizetype>(c)] + " against " +
                                                    captions[static_cast<qsizetype>(reference)],
                                                differences_);
            QFont bold = heading->font();
            bold.setBold(true);
            heading->setFont(bold);
        }
        // The same record read with another gear count prints other gears: that is a difference
        // too, named before the fields.
        const int gears = SetupOf(c).GearboxKind, referenceGears = SetupOf(reference).GearboxKind;
        if (gears != referenceGears)
            differences_->addItem(QString("Gears: %1 -> %2").arg(referenceGears).arg(gears));
        const std::vector<FieldDifference> differences =
            CompareRecords(SetupOf(reference).Record, SetupOf(c).Record);
        for (const FieldDifference& difference : differences)
            differences_->addItem(QString::fromStdString(DifferenceLine(difference)));
        if (differences.empty() && gears == referenceGears) differences_->addItem("No differences");
    }

    std::vector<GearLadderChart::Series> ladders;
    for (std::size_t c = 0; c < columns_.size(); ++c) {
        const TSetup& setup = SetupOf(c);
        captions_[c]->setText(captions[static_cast<qsizetype>(c)]);
        sheets_[c]->SetLines(printed[c].Lines);
        sheets_[c]->SetMarkedCells(std::move(marked[c]));
        ladders.push_back(
            {captions[static_cast<qsizetype>(c)], GearLadder(setup.Record, setup.GearboxKind)});
    }
    ladder_->SetSeries(std::move(ladders));
}

void CompareWindow::PlaceBesideParent() {
    const QWidget* main = parentWidget();
    const QRect area = main->screen()->availableGeometry();
    // The window system's frame, as the main window has it.
    const QRect mainFrame = main->frameGeometry();
    const QSize frame = mainFrame.size() - main->geometry().size();
    const QPoint inset = main->geometry().topLeft() - mainFrame.topLeft();
    resize(sizeHint().boundedTo(area.size() - frame).expandedTo(minimumSizeHint()));
    const QSize outer = size() + frame;

    QPoint at;
    if (mainFrame.right() + outer.width() <= area.right())
        at = {mainFrame.right() + 1, mainFrame.top()};
    else if (mainFrame.left() - outer.width() >= area.left())
        at = {mainFrame.left() - outer.width(), mainFrame.top()};
    else
        at = mainFrame.center() - QPoint(outer.width() / 2, outer.height() / 2);
    at.setX(
        std::clamp(at.x(), area.left(), std::max(area.left(), area.right() + 1 - outer.width())));
    at.setY(
        std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() + 1 - outer.height())));
    // Placed by its client area, whose place in the frame the main window tells.
    setGeometry(QRect(at + inset, size()));
}

QStringList CompareWindow::DifferenceLines() const {
    QStringList lines;
    for (int row = 0; row < differences_->count(); ++row) lines << differences_->item(row)->text();
    return lines;
}

void CompareWindow::SetupChanged(const TSetup* setup) {
    if (Shows(setup)) Refresh();
}

void CompareWindow::SetupClosing(const TSetup* setup) {
    if (!Shows(setup)) return;
    // The window goes later, the page now: nothing may reach a page's setup any more.
    for (Column& shown : columns_)
        if (auto* page = std::get_if<const TSetup*>(&shown)) *page = nullptr;
    close();
}

void CompareWindow::Copy1Click() {
    QString text;
    for (const QString& line : DifferenceLines()) text += line + "\r\n";
    platform_.SetClipboardText(text);
}

} // namespace kvq
