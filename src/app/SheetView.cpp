#include "app/SheetView.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>
#include <QRegion>

#include <utility>

namespace kvq {

SheetView::SheetView(QWidget* parent) : QWidget(parent), cursorObject_(new QObject(this)) {
    setObjectName("Memo1");
    setAccessibleName("Setup sheet");
    cursorObject_->setObjectName("FieldCursor");
    setMouseTracking(true);
    // Reached with Tab from the page strip; a click leaves the focus where it is, so the arrow
    // keys of a mouse user keep changing the page.
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::ArrowCursor);
}

bool IsDarkPalette(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() < 128;
}

QColor MarkTint(const QPalette& palette) {
    // Light yellow under dark text, dark amber under light text: the values keep their contrast.
    return IsDarkPalette(palette) ? QColor(100, 76, 0) : QColor(255, 217, 102);
}

void SheetView::SetMetrics(const CellMetrics& metrics) {
    metrics_ = metrics;
    update();
}

void SheetView::SetLines(const std::vector<std::string>& lines) {
    lines_.clear();
    lines_.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) lines_.push_back(QString::fromStdString(line));
    update();
}

void SheetView::Clear() {
    lines_.clear();
    update();
}

QString SheetView::Text() const {
    QString text;
    for (const QString& line : lines_) text += line + "\r\n";
    return text;
}

void SheetView::SetMarkedCells(std::vector<SheetCell> cells) {
    marked_ = std::move(cells);
    update();
}

void SheetView::SetFieldCursor(std::optional<SheetCell> cell, const QString& name,
                               const QString& description) {
    const bool moved = cell != cursorCell_;
    const bool renamed = name != cursorName_;
    if (moved && cursorCell_) update(CellRect(*cursorCell_));
    cursorCell_ = cell;
    cursorName_ = name;
    cursorDescription_ = description;
    if (moved && cursorCell_) update(CellRect(*cursorCell_));
    if (moved && cursorCell_ && hasFocus()) {
        QAccessibleEvent focus(cursorObject_, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    } else if (renamed) {
        QAccessibleEvent changed(cursorObject_, QAccessible::NameChanged);
        QAccessible::updateAccessibility(&changed);
    }
}

QRect SheetView::CellRect(const SheetCell& cell) const {
    return {cell.Col * metrics_.CharWidth, cell.Row * metrics_.LineHeight,
            cell.Width * metrics_.CharWidth, metrics_.LineHeight};
}

void SheetView::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    if (!cursorCell_) return;
    update(CellRect(*cursorCell_));
    QAccessibleEvent focus(cursorObject_, QAccessible::Focus);
    QAccessible::updateAccessibility(&focus);
}

void SheetView::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    if (cursorCell_) update(CellRect(*cursorCell_));
}

void SheetView::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const int cw = metrics_.CharWidth;
    const int lh = metrics_.LineHeight;
    // The palette of the moment: a theme may change while the view is shown.
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    const QColor tint = MarkTint(palette());
    for (const SheetCell& cell : marked_)
        painter.fillRect(cell.Col * cw, cell.Row * lh, cell.Width * cw, lh, tint);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::Text));
    const QRect dirty = event->rect();
    const int firstRow = std::max(0, dirty.top() / lh);
    const int lastRow = std::min<int>(static_cast<int>(lines_.size()) - 1, dirty.bottom() / lh);
    for (int row = firstRow; row <= lastRow; ++row) {
        const QString& line = lines_[row];
        const int visible = std::min<int>(static_cast<int>(line.size()), width() / cw + 1);
        for (int column = 0; column < visible; ++column) {
            const QChar ch = line[column];
            if (ch == ' ') continue;
            // Centred in its own cell and clipped to it: the grid holds whatever the font.
            painter.drawText(QRect(column * cw, row * lh, cw, lh), Qt::AlignCenter, QString(ch));
        }
    }
    // The focus frame lies on the value's own cells, its line just inside them. It is filled,
    // not stroked: on a scaled screen a pen's line reaches beyond the cells, where repainting
    // them when the cursor moves on would not erase it.
    if (cursorCell_ && hasFocus()) {
        const QRect cells = CellRect(*cursorCell_);
        for (const QRect& edge : QRegion(cells).subtracted(cells.adjusted(1, 1, -1, -1)))
            painter.fillRect(edge, palette().color(QPalette::Highlight));
    }
}

void SheetView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) emit Clicked();
    QWidget::mousePressEvent(event);
}

void SheetView::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt's default would deliver the second press as a click too, ending the edit just begun.
    if (event->button() == Qt::LeftButton) emit DoubleClicked(event->position().toPoint());
    event->accept();
}

void SheetView::mouseMoveEvent(QMouseEvent* event) {
    emit MouseMoved(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

} // namespace kvq
