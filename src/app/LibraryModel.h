#pragma once

#include "library/LibraryFilter.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

#include <vector>

namespace kvq {

// The setup library as a table: one row an entry, setups and the files that hold none (greyed,
// their reason as the tip).
class LibraryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        Track,
        Car,
        Name,
        Modified,
        Gears,
        Fuel,
        Steering,
        BrakeBias,
        Diff,
        TopGear,
        Normalised,
        ColumnCount
    };
    // What a column sorts by: numbers as numbers, names as text.
    static constexpr int SortRole = Qt::UserRole;

    using QAbstractTableModel::QAbstractTableModel;

    void SetEntries(std::vector<LibraryEntry> entries);
    // The entry read anew from its file: its row changes, or a row comes or goes.
    void UpdateEntry(LibraryEntry entry);
    void RemoveEntry(const std::string& path);
    [[nodiscard]] const std::vector<LibraryEntry>& Entries() const { return entries_; }

    [[nodiscard]] int rowCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] int columnCount(const QModelIndex& parent = {}) const override;
    [[nodiscard]] QVariant data(const QModelIndex& index, int role) const override;
    [[nodiscard]] QVariant headerData(int section, Qt::Orientation orientation,
                                      int role) const override;

private:
    void RemarkDuplicates();
    std::vector<LibraryEntry> entries_;
};

// The rows the filter language lets through, sorted by SortRole.
class LibraryProxy : public QSortFilterProxyModel {
    Q_OBJECT
public:
    explicit LibraryProxy(LibraryModel* model, QObject* parent = nullptr);
    // Throws FilterError, and then the rows shown stay as they were.
    void SetFilterExpression(const QString& expression);

protected:
    [[nodiscard]] bool filterAcceptsRow(int row, const QModelIndex& parent) const override;
    // Rows alike in the column sorted by keep the model's order (by path), also those that a
    // filter lets through again.
    [[nodiscard]] bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;

private:
    LibraryModel* model_;
    LibraryFilter filter_;
};

} // namespace kvq
