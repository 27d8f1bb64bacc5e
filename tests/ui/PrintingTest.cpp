// The printout: its lines read back from a PDF printer, and the text stream's placing of lines
// and pages on an image.

#include "app/Printing.h"
#include "../core/TestFiles.h"
#include "QtPrinters.h"
#include "base/Utils.h"
#include "edit/FieldTable.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <QImage>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace kvq::test {
namespace {

const char* const kVersionLine = "KVQ Setup V2.3 (C) 2026 KVQ Setup authors";

// The window's font.
QFont SheetFont() {
    QFont font("Courier New");
    font.setStyleHint(QFont::TypeWriter);
    font.setPointSize(9);
    return font;
}

TSetup ExampleSetup(const std::string& fileName) {
    TSetup setup;
    setup.FileName = fileName;
    setup.Record = ImportTemplate();
    Normalise(setup.Record, CurrentLimits{});
    return setup;
}

QString ToolOutput(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    EXPECT_TRUE(process.waitForFinished()) << program.toStdString();
    EXPECT_EQ(process.exitCode(), 0) << program.toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// Prints setups to a PDF file and reads the file back.
class PdfPrintout {
public:
    // size: of the paper in points; the default is A4.
    explicit PdfPrintout(QSizeF size = {595, 842}) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(path));
        printer.setPageSize(QPageSize(size, QPageSize::Point));
    }

    // The printer's margins, around the printable area, in points.
    QMarginsF Margins() const { return printer.pageLayout().margins(QPageLayout::Point); }

    void Print(const TSetup& setup, const QFont& font = SheetFont()) {
        PrintSetup(printer, setup, font, Qt::black);
    }

    // The text of each page, a line an entry, without trailing blanks.
    std::vector<QStringList> Pages() {
        std::vector<QStringList> pages;
        for (const QString& page : ToolOutput("pdftotext", {"-layout", pdf(), "-"}).split('\f')) {
            QStringList lines = page.split('\n');
            for (QString& line : lines) line.remove(QRegularExpression("\\s+$"));
            while (!lines.isEmpty() && lines.back().isEmpty()) lines.removeLast();
            pages.push_back(lines);
        }
        while (!pages.empty() && pages.back().isEmpty()) pages.pop_back();
        return pages;
    }
    QStringList Lines() {
        QStringList all;
        for (const QStringList& page : Pages()) all << page;
        return all;
    }

    // The words with the top-left corners of their boxes, in points from their page's corner.
    struct Word {
        int page;
        QString text;
        QPointF corner;
    };
    std::vector<Word> Words() {
        std::vector<Word> words;
        int page = -1;
        static const QRegularExpression tag(
            "<page|<word xMin=\"(-?[\\d.]+)\" yMin=\"(-?[\\d.]+)\"[^>]*>([^<]*)<");
        for (auto match = tag.globalMatch(ToolOutput("pdftotext", {"-bbox", pdf(), "-"}));
             match.hasNext();) {
            const auto found = match.next();
            if (found.captured(3).isNull())
                ++page;
            else
                words.push_back({page,
                                 found.captured(3),
                                 {found.captured(1).toDouble(), found.captured(2).toDouble()}});
        }
        return words;
    }
    // The first word of each page.
    std::vector<QPointF> PageStarts() {
        std::vector<QPointF> starts;
        int page = -1;
        for (const Word& word : Words()) {
            if (word.page == page) continue;
            page = word.page;
            starts.push_back(word.corner);
        }
        return starts;
    }

    QString Info() { return ToolOutput("pdfinfo", {pdf()}); }

    TempDir dir;
    std::string path = dir.File("printout.pdf");
    QPrinter printer{QPrinter::HighResolution};

private:
    QString pdf() const { return QString::fromStdString(path); }
};

// pdftotext moves columns a little and drops the indent that all lines of a page share, so lines
// are compared with their blanks collapsed.
QStringList Simplified(const QStringList& lines) {
    QStringList list;
    for (const QString& line : lines) list << line.simplified();
    return list;
}

// Lines as one text, for a readable difference.
std::string Text(const QStringList& lines) { return lines.join('\n').toStdString(); }

QStringList ExpectedPrintout(const TSetup& setup) {
    QStringList lines{QString::fromStdString("FileName: " + setup.FileName), ""};
    for (const std::string& line : SheetLines(setup)) lines << QString::fromStdString(line);
    return Simplified(lines << "" << kVersionLine);
}

TEST(PrintingTest, PrintoutHoldsFileNameSheetAndVersionInOrder) {
    const TSetup setup = ExampleSetup("/home/racer/kvq/monza.lo3");
    PdfPrintout printout;
    printout.Print(setup);
    EXPECT_EQ(Text(Simplified(printout.Lines())), Text(ExpectedPrintout(setup)));
    const QString info = printout.Info();
    EXPECT_TRUE(info.contains(QRegularExpression("Title: +Print Setup\n"))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("Pages: +1\n"))) << info.toStdString();
    const QString fonts = ToolOutput("pdffonts", {QString::fromStdString(printout.path)});
    EXPECT_TRUE(fonts.contains("LiberationMono")) << fonts.toStdString();
}

TEST(PrintingTest, FileNameLineShortensLongPaths) {
    struct Row {
        const char* name;
        std::string fileName;
        QString line;
    };
    const std::string eighty = "/kvq/" + std::string(67, 'f') + "/car.lo3";
    const Row rows[] = {
        {"eighty characters stay whole", eighty, QString::fromStdString("FileName: " + eighty)},
        {"folders give way from the left",
         "/home/racer/setups/seasons/nineteen-sixty-seven/historic/lotus/monza/qualifying/car.lo3",
         "FileName: "
         "/.../setups/seasons/nineteen-sixty-seven/historic/lotus/monza/qualifying/car.lo3"},
        {"a name too long for any folder stands alone",
         "/kvq/setups/" + std::string(90, 'n') + ".lo3",
         QString::fromStdString("FileName: " + std::string(90, 'n') + ".lo3")},
        {"a pasted page has no name", "", "FileName:"},
    };
    for (const Row& row : rows) {
        // Wide paper, so that no line breaks.
        PdfPrintout printout({1200, 842});
        printout.Print(ExampleSetup(row.fileName));
        EXPECT_EQ(printout.Lines().value(0).toStdString(), row.line.toStdString()) << row.name;
    }
}

TEST(PrintingTest, PrintoutStartsAtTheTopLeftOfThePageInTheGivenFont) {
    PdfPrintout printout;
    QFont font = SheetFont();
    font.setPointSize(20);
    printout.Print(ExampleSetup("/kvq/car.lo3"), font);
    const auto words = printout.Words();
    auto corner = [&words](const char* text) {
        for (const auto& word : words)
            if (word.text == text) return word.corner;
        ADD_FAILURE() << text << " not printed";
        return QPointF();
    };
    // The printable area starts inside the printer's margins.
    const QMarginsF margins = printout.Margins();
    ASSERT_GT(margins.left(), 1.0);
    EXPECT_NEAR(corner("FileName:").x(), margins.left(), 1.0);
    EXPECT_NEAR(corner("FileName:").y(), margins.top(), 3.0);
    // A line of text and an empty line above "Front"; the painter's metrics on the printer may
    // round a unit or so differently from these.
    const int height = QFontMetrics(font, &printout.printer).height();
    const qreal pointsPerUnit = 72.0 / printout.printer.resolution();
    EXPECT_NEAR(corner("Front").y() - corner("FileName:").y(), (2 * height + 2) * pointsPerUnit,
                3 * pointsPerUnit);
}

TEST(PrintingTest, SheetLongerThanAPageContinuesAtTheTopOfTheNext) {
    const TSetup setup = ExampleSetup("/kvq/car.lo3");
    // Room for about a dozen lines of 9 points inside margins of 10.
    PdfPrintout printout({595, 150});
    ASSERT_EQ(printout.Margins().top() + printout.Margins().bottom(), 20);
    printout.Print(setup);
    const std::vector<QStringList> pages = printout.Pages();
    ASSERT_EQ(pages.size(), 3u);
    QStringList all;
    for (const QStringList& page : pages) {
        EXPECT_GT(page.size(), 5);
        EXPECT_LT(page.size(), 15);
        all << page;
    }
    EXPECT_EQ(Text(Simplified(all)), Text(ExpectedPrintout(setup)));
    for (const QPointF& start : printout.PageStarts())
        EXPECT_NEAR(start.y(), printout.Margins().top(), 3.0);
}

TEST(PrintingTest, LineWiderThanThePageBreaksAtTheLastCharacterThatFits) {
    PdfPrintout printout;
    const qreal advance = QFontMetricsF(SheetFont(), &printout.printer).horizontalAdvance('x');
    constexpr int kFits = 30;
    // Paper for thirty and a half characters between the margins, in points.
    const qreal width = (kFits + 0.5) * advance * 72 / printout.printer.resolution() +
                        printout.Margins().left() + printout.Margins().right();
    printout.printer.setPageSize(QPageSize(QSizeF(width, 842), QPageSize::Point));
    const std::string name = "/kvq/abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHIJKLMNOPQRST.lo3";
    printout.Print(ExampleSetup(name));
    const QString line = QString::fromStdString("FileName: " + name);
    const QStringList lines = printout.Lines();
    EXPECT_EQ(Text(lines.mid(0, 4)),
              Text({line.left(kFits), line.mid(kFits, kFits), line.mid(2 * kFits), ""}));
}

TEST(PrintingTest, PrinterThatCannotPrintIsReported) {
    struct Row {
        const char* name;
        QString file;
        QSizeF paper;
        std::string message;
    };
    const Row rows[] = {
        {"no printer", "", {595, 842}, "There is no printer to print to"},
        {"a file that cannot be made",
         "/nonexistent/printout.pdf",
         {595, 842},
         "Cannot print to /nonexistent/printout.pdf"},
        // A character a page, so that the pages outgrow the output's buffer.
        {"output failing on the way", "/dev/full", {4, 4}, "Cannot print to /dev/full"},
    };
    for (const Row& row : rows) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(row.file);
        printer.setPageSize(QPageSize(row.paper, QPageSize::Point));
        try {
            PrintSetup(printer, ExampleSetup("/kvq/car.lo3"), SheetFont(), Qt::black);
            ADD_FAILURE() << row.name << ": no error";
        } catch (const KvqError& e) {
            EXPECT_EQ(e.what(), row.message) << row.name;
        }
    }
}

// The text stream on an image, with a font of whole-pixel advance.
class TextStreamTest : public ::testing::Test {
protected:
    TextStreamTest() : image(600, 480, QImage::Format_RGB32), painter(&image) {
        image.fill(Qt::white);
        QFont font("Courier New");
        font.setStyleHint(QFont::TypeWriter);
        font.setPixelSize(12);
        font.setHintingPreference(QFont::PreferFullHinting);
        painter.setFont(font);
        painter.setPen(Qt::black);
        const QFontMetrics metrics = painter.fontMetrics();
        height = metrics.height();
        advance = metrics.horizontalAdvance('M');
    }

    void SetUp() override {
        ASSERT_EQ(painter.fontMetrics().horizontalAdvance(QString(20, 'M')), 20 * advance);
    }

    // A stream that records before which line each new page begins.
    TextStream Stream(QSize page) {
        return TextStream(painter, page, [this] { breaks.push_back(line); });
    }
    void WriteLines(TextStream& stream, const QStringList& lines) {
        for (line = 0; line < lines.size(); ++line) {
            stream.Write(lines[line]);
            stream.EndLine();
        }
    }

    bool InkIn(QRect area) const {
        area &= image.rect();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (image.pixel(x, y) != QColor(Qt::white).rgb()) return true;
        return false;
    }

    QImage image;
    QPainter painter;
    int height = 0;
    int advance = 0;
    qsizetype line = 0;
    std::vector<qsizetype> breaks;
};

TEST_F(TextStreamTest, TextLinesTakeTheTextHeightPlusTwoAndEmptyLinesTheFontHeight) {
    TextStream stream = Stream({600, 480});
    const QStringList lines{"A", "", "B", "", "", "C"};
    int y = 0;
    for (const QString& text : lines) {
        ASSERT_EQ(stream.Position(), QPoint(0, y)) << text.toStdString();
        stream.Write(text);
        stream.EndLine();
        EXPECT_EQ(InkIn({0, y, 600, height}), !text.isEmpty()) << "line at " << y;
        y += text.isEmpty() ? height : height + 2;
    }
    EXPECT_EQ(stream.Position(), QPoint(0, 3 * (height + 2) + 3 * height));
    EXPECT_FALSE(InkIn({0, y, 600, 480 - y}));
    EXPECT_TRUE(breaks.empty());
}

TEST_F(TextStreamTest, WritesWithoutAnEndContinueTheLine) {
    TextStream stream = Stream({5 * advance + advance / 2, 480});
    stream.Write("ab");
    EXPECT_EQ(stream.Position(), QPoint(2 * advance, 0));
    stream.Write("cdefgh");
    // "cde" fills the line; "fgh" goes on the next.
    EXPECT_EQ(stream.Position(), QPoint(3 * advance, height + 2));
    EXPECT_TRUE(InkIn({4 * advance, 0, advance, height}));
    EXPECT_TRUE(InkIn({2 * advance, height + 2, advance, height}));
    EXPECT_FALSE(InkIn({3 * advance, height + 2, advance, height}));
}

TEST_F(TextStreamTest, WideLineBreaksAtTheLastCharacterThatFits) {
    struct Row {
        const char* name;
        int pageWidth;
        int fits;
    };
    const Row rows[] = {
        {"half a character to spare", 10 * advance + advance / 2, 10},
        {"exactly ten characters wide", 10 * advance, 10},
        {"one unit short of ten", 10 * advance - 1, 9},
        {"narrower than a character", 1, 1},
    };
    const QString text = "MMMMMMMMMMMMMMMMMMMMMMMMM"; // 25
    for (const Row& row : rows) {
        image.fill(Qt::white);
        TextStream stream = Stream({row.pageWidth, 10000});
        stream.Write(text);
        stream.EndLine();
        const int lineCount = (25 + row.fits - 1) / row.fits;
        EXPECT_EQ(stream.Position(), QPoint(0, lineCount * (height + 2))) << row.name;
        // The first line ends in the last cell that fits; the last line holds what is left.
        const int lastCell = (25 - 1) % row.fits;
        EXPECT_TRUE(InkIn({(row.fits - 1) * advance, 0, advance, height})) << row.name;
        EXPECT_FALSE(InkIn({row.fits * advance, 0, 600, height})) << row.name;
        const int lastTop = (lineCount - 1) * (height + 2);
        EXPECT_TRUE(InkIn({lastCell * advance, lastTop, advance, height})) << row.name;
        EXPECT_FALSE(InkIn({(lastCell + 1) * advance, lastTop, 600, height})) << row.name;
    }
}

TEST_F(TextStreamTest, NewPageWhenLessThanTwoLinesAreLeft) {
    struct Row {
        const char* name;
        int pageHeight;
        QStringList lines;
        std::vector<qsizetype> breaks;
    };
    const int text = height + 2;
    const QStringList nine(9, "X");
    const Row rows[] = {
        {"four lines on a page five lines high", 5 * text, nine, {4, 8}},
        {"one unit lower holds three", 5 * text - 1, nine, {3, 6}},
        {"empty lines fill the page to its bottom", 3 * height, {"", "", "", "X"}, {}},
        {"an empty line past the bottom breaks", 3 * height, {"", "", "", "", "X"}, {4}},
        {"no blank page after the last line", 5 * text, QStringList(4, "X"), {}},
        {"a page of nothing but empty lines still comes out", height, {"X", "", "", "X"}, {3, 3}},
    };
    for (const Row& row : rows) {
        breaks.clear();
        TextStream stream = Stream({600, row.pageHeight});
        WriteLines(stream, row.lines);
        EXPECT_EQ(breaks, row.breaks) << row.name;
    }
}

} // namespace
} // namespace kvq::test
