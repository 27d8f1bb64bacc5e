#pragma once

#include <QPoint>
#include <QSize>
#include <QStringList>

#include <functional>

class QColor;
class QFont;
class QPainter;
class QPrinter;

namespace kvq {

class TSetup;

// The lines of a setup's printout: its file name shortened to 80 characters, an empty line, the
// sheet, an empty line, and the program's name, version and copyright notice.
[[nodiscard]] QStringList PrintoutLines(const TSetup& setup);

// Draws text line by line from the top-left of a page, in the painter's font, as a line printer
// would: a line wider than the page breaks at the last character that fits.
class TextStream {
public:
    // page: the size of the drawable area in the painter's units. newPage: ends the full page and
    // starts the next one. A page break waits until more text comes, so a printout that ends at
    // the bottom of a page leaves no blank page behind.
    TextStream(QPainter& painter, QSize page, std::function<void()> newPage);

    // Draws the text at the current position, breaking it into as many lines as it needs.
    void Write(const QString& text);
    // Moves to the start of the next line: down by the height of the text on this line plus 2,
    // or by the font's height when nothing is on it, and to a new page when the page is full.
    void EndLine();

    // Where the next text goes.
    [[nodiscard]] QPoint Position() const { return {x_, y_}; }

private:
    QPainter& painter_;
    QSize page_;
    std::function<void()> newPage_;
    int x_ = 0;
    int y_ = 0;
    int lineHeight_ = 0;
    int pendingPages_ = 0;
};

// Prints the setup's printout on the printer as the document "Print Setup", in the font and colour
// given, from the top-left of the printable area. Throws KvqError when the printer cannot start or
// fails on the way. What was drawn before a failure on the way goes to the print system as it
// stands: Qt's PDF and CUPS printing cannot withdraw a job once it has begun.
void PrintSetup(QPrinter& printer, const TSetup& setup, const QFont& font, const QColor& colour);

} // namespace kvq
