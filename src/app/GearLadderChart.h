#pragma once

#include "setup/Comparison.h"

#include <QColor>
#include <QString>
#include <QWidget>

#include <array>
#include <vector>

namespace kvq {

// The gear ladders of two setups overlaid, drawn with QPainter: for each forward gear a bar of
// each setup's overall ratio in that setup's colour with its figure above it, a legend, and below
// the gears the engine speed change at each upshift in percent. A gear whose ratio is no finite
// number is drawn as missing: its text ("nan") stands where its bar would.
class GearLadderChart : public QWidget {
    Q_OBJECT
public:
    // One setup's ladder and the caption the legend gives it.
    struct Series {
        QString Caption;
        std::vector<GearStep> Steps;
    };

    explicit GearLadderChart(QWidget* parent = nullptr);

    void SetSeries(std::array<Series, 2> series);

    // The colour of setup A (0) and setup B (1).
    [[nodiscard]] static QColor SeriesColour(int series);

    [[nodiscard]] QSize sizeHint() const override;
    [[nodiscard]] QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::array<Series, 2> series_;
};

} // namespace kvq
