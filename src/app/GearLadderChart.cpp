#include "app/GearLadderChart.h"

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

const char* const kGearNames[kMaxGears] = {"1st", "2nd", "3rd", "4th", "5th", "6th"};

// A step of the ratio axis near span / kTicks: 1, 2 or 5 times a power of ten.
double AxisStep(double span) {
    const double rough = span / kTicks;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double nice : {1.0, 2.0, 5.0})
        if (rough <= nice * power) return nice * power;
    return 10.0 * power;
}

} // namespace

GearLadderChart::GearLadderChart(QWidget* parent) : QWidget(parent) {
    setObjectName("GearLadder");
    setAutoFillBackground(true);
    QPalette p = palette();
    p.setColor(QPalette::Window, p.color(QPalette::Base));
    setPalette(p);
}

void GearLadderChart::SetSeries(std::array<Series, 2> series) {
    series_ = std::move(series);
    update();
}

QColor GearLadderChart::SeriesColour(int series) {
    return series == 0 ? QColor(31, 95, 191) : QColor(217, 72, 15);
}

QSize GearLadderChart::sizeHint() const {
    const QFontMetrics fm(font());
    return {kPlotWidth + 12 * fm.averageCharWidth(), kPlotHeight + 5 * fm.height() + 40};
}

void GearLadderChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setFont(font());
    const QFontMetrics fm(font());
    const int line = fm.height();
    const int pad = fm.averageCharWidth();
    const QColor ink = palette().color(QPalette::Text);

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

    const QString upshift = "Upshift";
    int margin = fm.horizontalAdvance(upshift);
    for (int k = 0; k <= steps; ++k)
        margin = std::max(margin, fm.horizontalAdvance(QString::number(axisStep * k, 'g', 6)));
    const QRect plot(2 * pad + margin, 2 * line + pad, width() - 3 * pad - margin,
                     height() - 5 * line - 2 * pad);
    auto yOf = [&](double value) {
        return plot.bottom() - static_cast<int>(std::clamp(value / top, 0.0, 1.0) * plot.height());
    };

    // Title of the ratio axis and the legend.
    painter.setPen(ink);
    painter.drawText(QRect(pad, pad, width(), line), Qt::AlignLeft | Qt::AlignVCenter,
                     "Overall ratio (gear x diff)");
    int legendRight = width() - pad;
    for (int s = 1; s >= 0; --s) {
        const QString& caption = series_[static_cast<std::size_t>(s)].Caption;
        const int textWidth = fm.horizontalAdvance(caption);
        painter.setPen(ink);
        painter.drawText(QRect(legendRight - textWidth, pad, textWidth, line), Qt::AlignVCenter,
                         caption);
        const int box = line - 4;
        painter.fillRect(legendRight - textWidth - pad - box, pad + 2, box, box, SeriesColour(s));
        legendRight -= textWidth + 3 * pad + box;
    }

    // Grid, ticks and axes.
    for (int k = 0; k <= steps; ++k) {
        const int y = yOf(axisStep * k);
        painter.setPen(QColor(220, 220, 220));
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
    const int barWidth = groupWidth * 3 / 10;
    const int below = plot.bottom() + pad / 2;
    painter.drawText(QRect(pad, below, margin, line), Qt::AlignRight | Qt::AlignVCenter, "Gear");
    painter.drawText(QRect(pad, below + line, margin, line), Qt::AlignRight | Qt::AlignVCenter,
                     upshift);
    for (std::size_t gear = 0; gear < gears; ++gear) {
        const int left = plot.left() + static_cast<int>(gear) * groupWidth;
        painter.setPen(ink);
        painter.drawText(QRect(left, below, groupWidth, line), Qt::AlignCenter, kGearNames[gear]);
        for (int s = 0; s < 2; ++s) {
            const auto& ladder = series_[static_cast<std::size_t>(s)].Steps;
            if (gear >= ladder.size()) continue;
            const GearStep& step = ladder[gear];
            const int x = left + groupWidth / 2 + (s == 0 ? -barWidth - pad / 2 : pad / 2);
            const QString figure = QString::fromStdString(FormatFixed(step.OverallRatio, 3));
            // The figure may be wider than the bar: it gets half the group, centred over it.
            const QRect label(x + barWidth / 2 - groupWidth / 4, 0, groupWidth / 2, line);
            if (step.Drawable()) {
                const int y = yOf(step.OverallRatio);
                painter.fillRect(x, y, barWidth, plot.bottom() - y, SeriesColour(s));
                painter.setPen(SeriesColour(s));
                painter.drawText(label.translated(0, y - line), Qt::AlignCenter, figure);
            } else {
                painter.setPen(ink);
                painter.drawText(label.translated(0, plot.bottom() - line), Qt::AlignCenter,
                                 figure);
            }
            if (step.UpshiftPercent) {
                painter.setPen(SeriesColour(s));
                painter.drawText(
                    QRect(left - groupWidth / 2, below + (s + 1) * line, groupWidth, line),
                    Qt::AlignCenter,
                    QString::fromStdString(Format("%.0f %%", {*step.UpshiftPercent})));
            }
        }
    }
}

} // namespace kvq
