#include "app/LibraryModel.h"

#include "base/Utils.h"

#include <QBrush>
#include <QDateTime>
#include <QPalette>

#include <algorithm>

namespace kvq {

namespace {

QString FromName(std::string_view name) {
    return QString::fromStdU16String(FileNameToUtf16(PrintableName(name)));
}

// Found once: sorting asks for a key value some hundred thousand times.
const EntryKey& KeyOf(KeyValue key) {
    static const std::vector<EntryKey> keys = [] {
        std::vector<EntryKey> found;
        for (const KeyValue value : kKeyValues)
            found.push_back(*EntryKey::Find(KeyValueName(value)));
        return found;
    }();
    return keys[static_cast<std::size_t>(key)];
}

QVariant KeyCell(const LibraryEntry& entry, KeyValue key, int role) {
    if (!entry.IsSetup()) return {};
    if (role == LibraryModel::SortRole) return KeyOf(key).Number(entry).value_or(0);
    return QString::fromStdString(KeyValueText(entry, key));
}

} // namespace

void LibraryModel::SetEntries(std::vector<LibraryEntry> entries) {
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void LibraryModel::RemarkDuplicates() {
    MarkDuplicates(entries_);
    if (!entries_.empty())
        emit dataChanged(index(0, 0),
                         index(static_cast<int>(entries_.size()) - 1, ColumnCount - 1));
}

void LibraryModel::UpdateEntry(LibraryEntry entry) {
    const auto at = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const LibraryEntry& e) { return e.Path == entry.Path; });
    if (at != entries_.end()) {
        *at = std::move(entry);
    } else {
        const int row = static_cast<int>(entries_.size());
        beginInsertRows({}, row, row);
        entries_.push_back(std::move(entry));
        endInsertRows();
    }
    RemarkDuplicates();
}

void LibraryModel::RemoveEntry(const std::string& path) {
    const auto at = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const LibraryEntry& e) { return e.Path == path; });
    if (at == entries_.end()) return;
    const int row = static_cast<int>(at - entries_.begin());
    beginRemoveRows({}, row, row);
    entries_.erase(at);
    endRemoveRows();
    RemarkDuplicates();
}

int LibraryModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

int LibraryModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant LibraryModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const LibraryEntry& entry = entries_[static_cast<std::size_t>(index.row())];
    if (role == Qt::ToolTipRole)
        return entry.IsSetup() ? FromName(entry.Path) : FromName(entry.ProblemMessage());
    if (role == Qt::ForegroundRole && !entry.IsSetup())
        return QPalette().brush(QPalette::Disabled, QPalette::Text);
    if (role == Qt::TextAlignmentRole && index.column() >= Gears && index.column() <= TopGear)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != SortRole) return {};
    switch (index.column()) {
    case Track: return FromName(entry.Track);
    case Car: return QString::fromStdString(std::string(entry.Make));
    case Name: return FromName(FileNameOf(entry.Path));
    case Modified:
        if (role == SortRole) return static_cast<qlonglong>(entry.ModifiedNs);
        return QDateTime::fromMSecsSinceEpoch(entry.ModifiedNs / 1'000'000)
            .toString(QStringLiteral("yyyy-MM-dd hh:mm"));
    case Gears: return entry.Gears;
    case Fuel: return KeyCell(entry, KeyValue::Fuel, role);
    case Steering: return KeyCell(entry, KeyValue::SteeringRatio, role);
    case BrakeBias: return KeyCell(entry, KeyValue::FrontBrakeBias, role);
    case Diff: return KeyCell(entry, KeyValue::DiffRatio, role);
    case TopGear: return KeyCell(entry, KeyValue::TopGear, role);
    case Normalised:
        if (!entry.IsSetup())
            return QString::fromStdString(std::string(ProblemText(entry.Problem)));
        return entry.Normalised ? tr("yes") : tr("no");
    default: return {};
    }
}

QVariant LibraryModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
    static const char* const kTitles[ColumnCount] = {
        "Track",          "Car",        "Name",       "Modified", "Gears",     "Fuel",
        "Steering ratio", "Brake bias", "Diff ratio", "Top gear", "Normalised"};
    return section >= 0 && section < ColumnCount ? tr(kTitles[section]) : QVariant();
}

LibraryProxy::LibraryProxy(LibraryModel* model, QObject* parent)
    : QSortFilterProxyModel(parent), model_(model) {
    setSourceModel(model);
    setSortRole(LibraryModel::SortRole);
    setSortCaseSensitivity(Qt::CaseInsensitive);
}

void LibraryProxy::SetFilterExpression(const QString& expression) {
    LibraryFilter filter(FileNameFromUtf16(expression.toStdU16String()));
    filter_ = std::move(filter);
    invalidateFilter();
}

bool LibraryProxy::filterAcceptsRow(int row, const QModelIndex&) const {
    return filter_.Matches(model_->Entries()[static_cast<std::size_t>(row)]);
}

bool LibraryProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const {
    // Each cell's value asked once: a sort of 10,000 rows asks some hundred thousand times.
    const QVariant a = left.data(LibraryModel::SortRole);
    const QVariant b = right.data(LibraryModel::SortRole);
    int order = 0;
    if (!a.isValid() || !b.isValid()) {
        order = int(!a.isValid()) - int(!b.isValid()); // a cell without a value after the others
    } else if (a.userType() == QMetaType::QString) {
        order = QString::compare(a.toString(), b.toString(), Qt::CaseInsensitive);
    } else {
        const QPartialOrdering o = QVariant::compare(a, b);
        order = o == QPartialOrdering::Less ? -1 : o == QPartialOrdering::Greater ? 1 : 0;
    }
    return order != 0 ? order < 0 : left.row() < right.row();
}

} // namespace kvq
