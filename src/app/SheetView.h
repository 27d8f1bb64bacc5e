#pragma once

#include "edit/FieldTable.h"

#include <QColor>
#include <QPalette>
#include <QStringList>
#include <QWidget>

#include <optional>
#include <string>
#include <vector>

namespace kvq {

// A palette whose text is drawn on a dark ground.
[[nodiscard]] bool IsDarkPalette(const QPalette& palette);
// The background of a marked cell under the palette's text.
[[nodiscard]] QColor MarkTint(const QPalette& palette);

// The sheet view `Memo1`: read-only lines of fixed-pitch text on an exact character grid. The
// glyph at row r, column c is drawn in the cell starting at (c * CharWidth, r * LineHeight), so
// what the user sees lines up with the hit test and the editors whatever font the system gives.
class SheetView : public QWidget {
    Q_OBJECT
public:
    explicit SheetView(QWidget* parent = nullptr);

    void SetMetrics(const CellMetrics& metrics);

    // Replaces every line at once; the view repaints once.
    void SetLines(const std::vector<std::string>& lines);
    void Clear();
    [[nodiscard]] const QStringList& Lines() const { return lines_; }

    // The whole text as the clipboard takes it: every line ended by CR LF.
    [[nodiscard]] QString Text() const;

    // Cells drawn on the mark tint, behind their characters: the values a comparison found to
    // differ.
    void SetMarkedCells(std::vector<SheetCell> cells);

    // The field cursor: the cells of the value the keyboard is on, framed while the view has the
    // focus, with what assistive technology reads of it (its label and value, and the range in
    // force). Nothing while the view shows no values.
    void SetFieldCursor(std::optional<SheetCell> cell, const QString& name = {},
                        const QString& description = {});
    [[nodiscard]] std::optional<SheetCell> FieldCursor() const { return cursorCell_; }
    [[nodiscard]] QRect CellRect(const SheetCell& cell) const;
    // The object that stands for the value under the field cursor to assistive technology.
    [[nodiscard]] QObject* FieldCursorObject() const { return cursorObject_; }
    [[nodiscard]] const QString& FieldCursorName() const { return cursorName_; }
    [[nodiscard]] const QString& FieldCursorDescription() const { return cursorDescription_; }

signals:
    void Clicked();
    void DoubleClicked(QPoint position);
    void MouseMoved(QPoint position);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    QStringList lines_;
    std::vector<SheetCell> marked_;
    CellMetrics metrics_ = kNormalMetrics;
    std::optional<SheetCell> cursorCell_;
    QString cursorName_;
    QString cursorDescription_;
    QObject* cursorObject_;
};

} // namespace kvq
