#pragma once

#include "setup/Comparison.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <vector>

namespace kvq {

// The gear ladders of up to six setups overlaid, drawn with QPainter: for each forward gear a bar
// of each setup's overall ratio in that setup's colour with its figure above it where it fits, a
// legend, below the gears each setup's engine speed change at each upshift in percent, and a line
// that says what that figure is. A gear whose ratio is no finite number is drawn as missing: its
// text ("nan") stands where its bar would.
class GearLadderChart : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMaxSeries = 6;

    // One setup's ladder and the caption the legend gives it.
    struct Series {
        QString Caption;
        std::vector<GearStep> Steps;
    };

    explicit GearLadderChart(QWidget* parent = nullptr);

    // The first kMaxSeries are drawn.
    void SetSeries(std::vector<Series> series);

    // The colour of the setup in that place (0 the first) on the palette's background: colours
    // told apart with the common colour-vision deficiencies, lighter ones on a dark background.
    [[nodiscard]] static QColor SeriesColour(int series, const QPalette& palette);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Where the legend's entries stand at that width, a row of them right-aligned clear of the
    // title, more rows below when they do not fit.
    struct Legend {
        std::vector<QRect> Entries;
        int Rows;
    };
    [[nodiscard]] Legend LegendLayout(int width) const;
    // The height for a plot of that many pixels.
    [[nodiscard]] int HeightFor(int plotHeight, int width) const;

    std::vector<Series> series_;
};

} // namespace kvq
