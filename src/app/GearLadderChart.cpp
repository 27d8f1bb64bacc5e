#include "app/GearLadderChart.h"

#include "app/SheetView.h"
#include "base/TextFormat.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <utility>

namespace kvq {

namespace {

constexpr int kTicks = 4; // about as many steps up the ratio axis
constexpr int kPlotHeight = 150;
constexpr int kPlotWidth = 420;
constexpr int kFigureColumns = 7; // a figure above its bar and the room beside it

const char* const kGearNames[kMaxGears] = {"1st", "2nd", "3rd", "4th", "5th", "6th"};
const char* const kTitle = "Overall ratio (gear x diff)";
const char* const kUpshift = "Upshift";
const char* const kUpshiftMeaning = "Upshift: engine speed after shifting up into the gear, "
                                    "change in % of the speed before";

// A step of the ratio axis near span / kTicks: 1, 2 or 5 times a power of ten.
double AxisStep(double span) {
    const double rough = span / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double nice : {1.0, 2.0, 5.0})
        if (rough <= nice * power) return nice * power;
    return 10.0 * power;
}

// The colour part of the way from one colour to another.
QColor Mixed(const QColor& from, const QColor& to, double part) {
    auto mix = [&](int a, int b) { return static_cast<int>(std::lround(a + (b - a) * part)); };
    return {mix(from.red(), to.red()), mix(from.green(), to.green()), mix(from.blue(), to.blue())};
}

} // namespace

GearLadderChart::GearLadderChart(QWidget* parent) : QWidget(parent) { setObjectName("GearLadder"); }

void GearLadderChart::SetSeries(std::vector<Series> series) {
    if (series.size() > kMaxSeries) series.resize(kMaxSeries);
    series_ = std::move(series);
    updateGeometry();
    update();
}

QColor GearLadderChart::SeriesColour(int series, const QPalette& palette) {
    // Okabe and Ito's palette; on a light background its orange darkened and grey for its sky
    // blue, which are too pale there.
    static constexpr QRgb kOnLight[kMaxSeries] = {0x0072b2, 0xd55e00, 0x009e73,
                                                  0xcc79a7, 0x9a6a00, 0x7f7f7f};
    static constexpr QRgb kOnDark[kMaxSeries] = {0x56b4e9, 0xe69f00, 0x009e73,
                                                 0xcc79a7, 0xf0e442, 0xd55e00};
    const auto index = static_cast<std::size_t>(series % kMaxSeries);
    return QColor(IsDarkPalette(palette) ? kOnDark[index] : kOnLight[index]);
}

GearLadderChart::Legend GearLadderChart::LegendLayout(int width) const {
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int pad = fm.averageCharWidth();
    const int box = line - 4;
    const int titleEnd = pad + fm.horizontalAdvance(kTitle) + 2 * pad;
    // Entries in reading order, as many to a row as fit; each row then right-aligned.
    std::vector<QRect> entries;
    std::size_t rowStart = 0;
    int rowWidth = 0;
    int rows = 1;
    auto closeRow = [&](std::size_t end) {
        int x = width - pad - rowWidth;
        for (std::size_t e = rowStart; e < end; ++e) {
            entries[e].moveLeft(x);
            x += entries[e].width() + 2 * pad;
        }
    };
    for (const Series& series : series_) {
        const int entryWidth = box + pad + fm.horizontalAdvance(series.Caption);
        const int room = rows == 1 ? width - pad - titleEnd : width - 2 * pad;
        if (rowWidth > 0 && rowWidth + 2 * pad + entryWidth > room) {
            closeRow(entries.size());
            rowStart = entries.size();
            rowWidth = 0;
            ++rows;
        }
        rowWidth += (rowWidth > 0 ? 2 * pad : 0) + entryWidth;
        entries.emplace_back(0, pad + (rows - 1) * line, entryWidth, line);
    }
    closeRow(entries.size());
    return {std::move(entries), rows};
}

int GearLadderChart::HeightFor(int plotHeight, int width) const {
    const QFontMetrics fm(font());
    const int rows = LegendLayout(width).Rows;
    // The legend, a line for the highest figure, the plot, the gears, a line of upshifts for
    // each setup and the line that explains them.
    const int textLines = rows + 1 + 1 + static_cast<int>(series_.size()) + 1;
    return plotHeight + textLines * fm.height() + 2 * fm.averageCharWidth();
}

QSize GearLadderChart::sizeHint() const {
    const QFontMetrics fm(font());
    const int series = std::max<int>(2, static_cast<int>(series_.size()));
    const int width =
        std::max(kPlotWidth, kMaxGears * series * kFigureColumns * fm.averageCharWidth()) +
        12 * fm.averageCharWidth();
    return {width, HeightFor(kPlotHeight, width)};
}

QSize GearLadderChart::minimumSizeHint() const {
    const int width = kPlotWidth;
    return {width, HeightFor(kPlotHeight / 2, width)};
}

void GearLadderChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QPalette& colours = palette();
    painter.fillRect(rect(), colours.color(QPalette::Base));
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int pad = fm.averageCharWidth();
    const QColor ink = colours.color(QPalette::Text);
    const QColor grid = Mixed(colours.color(QPalette::Base), ink, 0.2);
    const int count = static_cast<int>(series_.size());

    // The ratio axis from 0 to a whole step above the highest ratio drawn.
    double highest = 0;
    std::size_t gears = 0;
    for (const Series& series : series_) {
        gears = std::max(gears, series.Steps.size());
        for (const GearStep& step : series.Steps)
            if (step.Drawable()) highest = std::max(highest, step.OverallRatio);
    }
    const double axisStep = highest > 0 ? AxisStep(highest) : 1.0;
    const int steps = highest > 0 ? static_cast<int>(std::ceil(highest / axisStep)) : kTicks;
    const double top = axisStep * steps;

    int margin = fm.horizontalAdvance(kUpshift);
    for (int k = 0; k <= steps; ++k)
        margin = std::max(margin, fm.horizontalAdvance(QString::number(axisStep * k, 'g', 6)));
    const Legend legend = LegendLayout(width());
    const int plotTop = pad + (legend.Rows + 1) * line;
    const int plotBottom = height() - pad - (2 + count) * line - pad / 2;
    const QRect plot(QPoint(2 * pad + margin, plotTop),
                     QPoint(width() - pad - 1, std::max(plotTop, plotBottom)));
    auto yOf = [&](double value) {
        return plot.bottom() - static_cast<int>(std::clamp(value / top, 0.0, 1.0) * plot.height());
    };

    // Title of the ratio axis, the legend and what the upshift figures are.
    painter.setPen(ink);
    painter.drawText(QRect(pad, pad, width(), line), Qt::AlignLeft | Qt::AlignVCenter, kTitle);
    const int box = line - 4;
    for (int s = 0; s < count; ++s) {
        const QRect& entry = legend.Entries[static_cast<std::size_t>(s)];
        painter.fillRect(entry.left(), entry.top() + 2, box, box, SeriesColour(s, colours));
        painter.drawText(entry.adjusted(box + pad, 0, 0, 0), Qt::AlignVCenter,
                         series_[static_cast<std::size_t>(s)].Caption);
    }
    painter.drawText(QRect(pad, height() - pad - line, width() - 2 * pad, line),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     fm.elidedText(kUpshiftMeaning, Qt::ElideRight, width() - 2 * pad));

    // Grid, ticks and axes.
    for (int k = 0; k <= steps; ++k) {
        const int y = yOf(axisStep * k);
        painter.setPen(grid);
        if (k > 0) painter.drawLine(plot.left(), y, plot.right(), y);
        painter.setPen(ink);
        painter.drawText(QRect(pad, y - line / 2, margin, line), Qt::AlignRight | Qt::AlignVCenter,
                         QString::number(axisStep * k, 'g', 6));
    }
    painter.drawLine(plot.bottomLeft(), plot.bottomRight());
    painter.drawLine(plot.bottomLeft(), plot.topLeft());
    if (gears == 0) return;

    // Per gear a bar of each setup, side by side; the gear's name below, and below that on the
    // boundary between two gears each setup's change of engine speed at that upshift.
    const int groupWidth = plot.width() / static_cast<int>(gears);
    const int barWidth = groupWidth * 3 / (5 * std::max(count, 1));
    const int barsWidth = count * barWidth + (count - 1) * pad;
    // A figure over its bar has the room from one bar's middle to the next one's.
    const int labelWidth = count > 1 ? barWidth + pad : groupWidth;
    const int below = plot.bottom() + pad / 2;
    painter.drawText(QRect(pad, below, margin, line), Qt::AlignRight | Qt::AlignVCenter, "Gear");
    painter.drawText(QRect(pad, below + line, margin, line), Qt::AlignRight | Qt::AlignVCenter,
                     kUpshift);
    for (std::size_t gear = 0; gear < gears; ++gear) {
        const int left = plot.left() + static_cast<int>(gear) * groupWidth;
        painter.setPen(ink);
        painter.drawText(QRect(left, below, groupWidth, line), Qt::AlignCenter, kGearNames[gear]);
        for (int s = 0; s < count; ++s) {
            const auto& ladder = series_[static_cast<std::size_t>(s)].Steps;
            if (gear >= ladder.size()) continue;
            const GearStep& step = ladder[gear];
            const QColor colour = SeriesColour(s, colours);
            const int x = left + (groupWidth - barsWidth) / 2 + s * (barWidth + pad);
            const QString figure = QString::fromStdString(FormatFixed(step.OverallRatio, 3));
            // The figure is centred over the bar when it fits between its neighbours' with a
            // gap to read them apart.
            const QRect label(x + barWidth / 2 - labelWidth / 2, 0, labelWidth, line);
            const bool figureFits = fm.horizontalAdvance(figure) + pad / 2 <= labelWidth;
            if (step.Drawable()) {
                const int y = yOf(step.OverallRatio);
                painter.fillRect(x, y, barWidth, plot.bottom() - y, colour);
                painter.setPen(colour);
                if (figureFits)
                    painter.drawText(label.translated(0, y - line), Qt::AlignCenter, figure);
            } else {
                painter.setPen(ink);
                painter.drawText(label.translated(0, plot.bottom() - line), Qt::AlignCenter,
                                 figure);
            }
            if (step.UpshiftPercent) {
                painter.setPen(colour);
                painter.drawText(
                    QRect(left - groupWidth / 2, below + (s + 1) * line, groupWidth, line),
                    Qt::AlignCenter,
                    QString::fromStdString(Format("%.1f %%", {*step.UpshiftPercent})));
            }
        }
    }
}

} // namespace kvq
