#pragma once

#include "edit/FieldTable.h"
#include "setup/SetupDocument.h"

#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>
#include <variant>
#include <vector>

class QCheckBox;
class QLabel;
class QListWidget;

namespace kvq {

class GearLadderChart;
class Platform;
class SheetView;

// Two or more setups side by side, one column each: their sheets with every value printed
// otherwise than on the column compared with tinted, their gear ladders overlaid, and the list of
// differences as kvqsetup-cli diff prints it. Every column is compared with the first, or with the
// one before it when the switch says so (offered from three setups on). One window a comparison,
// not modal; Escape closes it, Ctrl+C copies the list.
class CompareWindow : public QWidget {
    Q_OBJECT
public:
    // A setup the window holds itself (one read from a file, say) with the caption it shows.
    struct NamedSetup {
        QString Caption;
        TSetup Setup;
    };
    // A compared setup: an open page's, which the window follows, or one of its own.
    using Column = std::variant<const TSetup*, NamedSetup>;
    // The caption of the page whose setup that is, as its tab shows it now.
    using PageCaption = std::function<QString(const TSetup&)>;

    static constexpr int kMaxColumns = 6;

    CompareWindow(std::vector<Column> columns, PageCaption pageCaption, Platform& platform,
                  const CellMetrics& metrics, QWidget* parent);
    ~CompareWindow() override;

    // The list as shown: a line a difference, "LABEL: A's value -> B's value", or "No
    // differences"; from three setups on, each column's part headed by "B against A".
    [[nodiscard]] QStringList DifferenceLines() const;

    // Compares each column with the one before it rather than with the first.
    void SetAgainstPrevious(bool againstPrevious);

    // Puts the window beside its main window where the screen has room, else over it, and never
    // beyond the screen's available area; as large as it wants to be where that fits.
    void PlaceBesideParent();

    // A page's setup changed (its record, or its name and gear count by Save): shown anew when
    // the window shows it.
    void SetupChanged(const TSetup* setup);
    // A page goes: the window closes when it shows that page.
    void SetupClosing(const TSetup* setup);
    // The list onto the clipboard, each line ended by CR LF as Copy ends the sheet's.
    void Copy1Click();

private:
    [[nodiscard]] const TSetup& SetupOf(std::size_t column) const;
    [[nodiscard]] QString CaptionOf(std::size_t column) const;
    [[nodiscard]] bool Shows(const TSetup* setup) const;
    // The column that column (from 1 on) is compared with.
    [[nodiscard]] std::size_t ReferenceOf(std::size_t column) const;
    void Refresh();

    std::vector<Column> columns_;
    PageCaption pageCaption_;
    Platform& platform_;

    QCheckBox* againstPrevious_ = nullptr;
    std::vector<QLabel*> captions_;
    std::vector<SheetView*> sheets_;
    GearLadderChart* ladder_ = nullptr;
    QListWidget* differences_ = nullptr;
};

} // namespace kvq
