#include "app/Printing.h"

#include "base/Utils.h"
#include "setup/Sheet.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>

namespace kvq {

namespace {

constexpr std::size_t kPrintedPathLength = 80;

std::string CannotPrint(const QPrinter& printer) {
    const QString target =
        printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    if (target.isEmpty()) return "There is no printer to print to";
    return "Cannot print to " + target.toStdString();
}

} // namespace

QStringList PrintoutLines(const TSetup& setup) {
    const std::string path = ShortenPath(setup.FileName, kPrintedPathLength);
    QStringList lines{"FileName: " + QFile::decodeName(QByteArray::fromStdString(path)), QString()};
    for (const std::string& line : SheetLines(setup)) lines << QString::fromStdString(line);
    lines << QString() << QString::fromStdString(ProgramCaption()) + " " + kCopyrightNotice;
    return lines;
}

TextStream::TextStream(QPainter& painter, QSize page, std::function<void()> newPage)
    : painter_(painter), page_(page), newPage_(std::move(newPage)) {}

void TextStream::Write(const QString& text) {
    const QFontMetrics metrics = painter_.fontMetrics();
    QString rest = text;
    while (!rest.isEmpty()) {
        for (; pendingPages_ > 0; --pendingPages_) newPage_();
        qsizetype count = rest.size();
        int width = metrics.horizontalAdvance(rest);
        // A line takes at least one character however narrow the page, or the text never ends.
        const qsizetype least = x_ == 0 ? 1 : 0;
        while (count > least && width > page_.width() - x_)
            width = metrics.horizontalAdvance(rest.left(--count));
        if (metrics.height() > lineHeight_) lineHeight_ = metrics.height() + 2;
        painter_.drawText(x_, y_ + metrics.ascent(), rest.left(count));
        rest.remove(0, count);
        if (rest.isEmpty())
            x_ += width;
        else
            EndLine();
    }
}

void TextStream::EndLine() {
    x_ = 0;
    y_ += lineHeight_ == 0 ? painter_.fontMetrics().height() : lineHeight_;
    if (y_ > page_.height() - 2 * lineHeight_) {
        y_ = 0;
        ++pendingPages_;
    }
    lineHeight_ = 0;
}

void PrintSetup(QPrinter& printer, const TSetup& setup, const QFont& font, const QColor& colour) {
    printer.setDocName("Print Setup");
    // The painter's origin is the corner of the printable area the printer reports.
    printer.setFullPage(false);
    QPainter painter;
    if (!painter.begin(&printer)) throw KvqError(CannotPrint(printer));
    painter.setFont(font);
    painter.setPen(colour);
    TextStream stream(painter, QSize(printer.width(), printer.height()), [&printer] {
        if (!printer.newPage()) throw KvqError(CannotPrint(printer));
    });
    for (const QString& line : PrintoutLines(setup)) {
        stream.Write(line);
        stream.EndLine();
    }
    if (!painter.end()) throw KvqError(CannotPrint(printer));
}

} // namespace kvq
