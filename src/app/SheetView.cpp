#include "app/SheetView.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

namespace kvq {

SheetView::SheetView(QWidget* parent) : QWidget(parent) {
    setObjectName("Memo1");
    setMouseTracking(true);
    setFocusPolicy(Qt::NoFocus);
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
