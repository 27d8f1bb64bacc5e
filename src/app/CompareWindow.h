#pragma once

#include "edit/FieldTable.h"
#include "setup/SetupDocument.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QListWidget;

namespace kvq {

class GearLadderChart;
class Platform;
class SheetView;

// Two setups side by side: their sheets with every differing value marked on both, their gear
// ladders overlaid, and the list of differences as kvqsetup-cli diff prints it. One window a
// comparison, not modal; Escape closes it, Ctrl+C copies the list.
class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // A compared setup with its caption: an open page's, which the window follows, or one read
    // from a file.
    struct Side {
        QString Caption;
        const TSetup* Setup;
    };

    // fileSetup is the setup a side read from a file, now the window's own; it may be null.
    CompareWindow(Side a, Side b, std::unique_ptr<TSetup> fileSetup, Platform& platform,
                  const CellMetrics& metrics, const CurrentLimits& limits, QWidget* parent);
    ~CompareWindow() override;

    // The list as shown: a line a difference, "LABEL: A's value -> B's value", or "No differences".
    [[nodiscard]] QStringList DifferenceLines() const;

    // A page's record changed: shown anew when it is one of the two.
    void SetupChanged(const TSetup* setup);
    // A page goes: the window closes when it shows that page.
    void SetupClosing(const TSetup* setup);
    // The list onto the clipboard, each line ended by CR LF as Copy ends the sheet's.
    void Copy1Click();

private:
    void Refresh();

    std::array<Side, 2> sides_;
    std::unique_ptr<TSetup> fileSetup_;
    Platform& platform_;
    const CurrentLimits& limits_;

    std::array<SheetView*, 2> sheets_{};
    GearLadderChart* ladder_ = nullptr;
    QListWidget* differences_ = nullptr;
};

} // namespace kvq
