#pragma once

#include "setup/SetupRecord.h"
#include "setup/Sheet.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace kvq {

enum class FieldKind : std::uint8_t {
    IntegerField = 0,
    RealField = 1,
    ListField = 2,
    ToggleField = 3
};
enum class ListKind : std::uint8_t { GearList = 0, DiffList = 1, RampPairList = 2 };

// One entry of the editable field table: the field's kind and its 1-based row in that kind's
// limit table (0 for the toggle).
struct FieldEntry {
    FieldKind Kind;
    std::int32_t Index;
};

struct IntegerLimit {
    std::int32_t Row, Col, Width;
    std::int32_t MinValue, MaxValue, Increment;
    std::int32_t Slot, PartnerSlot;
    friend bool operator==(const IntegerLimit&, const IntegerLimit&) = default;
};

struct RealLimit {
    std::int32_t Row, Col, Width;
    float MinValue, MaxValue, Increment;
    std::int32_t Precision;
    std::int32_t Slot, PartnerSlot;
    friend bool operator==(const RealLimit&, const RealLimit&) = default;
};

struct ListLimit {
    std::int32_t Row, Col, Width;
    ListKind Kind;
    std::int32_t MinIndex, MaxIndex;
    std::int32_t ValueSlot, IndexSlot;
    friend bool operator==(const ListLimit&, const ListLimit&) = default;
};

inline constexpr int kFieldCount = 45;
inline constexpr int kIntegerLimitRows = 10;
inline constexpr int kRealLimitRows = 26;
inline constexpr int kListLimitRows = 8;

// Field numbers that the program treats specially.
inline constexpr int kFifthGearField = 20;
inline constexpr int kSixthGearField = 22;
inline constexpr int kRampPairField = 27;
inline constexpr int kToggleField = 43;
inline constexpr int kRampAngle1Field = 44;
inline constexpr int kRampAngle2Field = 45;

inline constexpr SheetCell kToggleCell{22, 57, 1};

// The three limit tables; rows are numbered from 1.
struct LimitTables {
    std::array<IntegerLimit, kIntegerLimitRows> Integer;
    std::array<RealLimit, kRealLimitRows> Real;
    std::array<ListLimit, kListLimitRows> List;

    friend bool operator==(const LimitTables&, const LimitTables&) = default;

    [[nodiscard]] const IntegerLimit& IntegerRow(int row) const { return Integer.at(Ix(row)); }
    [[nodiscard]] const RealLimit& RealRow(int row) const { return Real.at(Ix(row)); }
    [[nodiscard]] const ListLimit& ListRow(int row) const { return List.at(Ix(row)); }
    IntegerLimit& IntegerRow(int row) { return Integer.at(Ix(row)); }
    RealLimit& RealRow(int row) { return Real.at(Ix(row)); }
    ListLimit& ListRow(int row) { return List.at(Ix(row)); }

private:
    static std::size_t Ix(int row) { return static_cast<std::size_t>(row - 1); }
};

// Field 1..45 of the editable field table.
[[nodiscard]] const FieldEntry& FieldTableEntry(int field);

// What a visit of the toggle field gets: it has no row in the limit tables.
struct ToggleRow {};

// The one dispatch on a field's kind: calls visit with the field's row of the tables, an
// IntegerLimit, RealLimit or ListLimit (modifiable where the tables are), or a ToggleRow.
template <typename Tables, typename Visitor>
decltype(auto) VisitField(int field, Tables& tables, Visitor&& visit) {
    const FieldEntry& entry = FieldTableEntry(field);
    switch (entry.Kind) {
    case FieldKind::IntegerField: return visit(tables.IntegerRow(entry.Index));
    case FieldKind::RealField: return visit(tables.RealRow(entry.Index));
    case FieldKind::ListField: return visit(tables.ListRow(entry.Index));
    case FieldKind::ToggleField: break;
    }
    return visit(ToggleRow{});
}

// Lambdas joined into one visitor, each taking the rows it names.
template <typename... F> struct Overloaded : F... { using F::operator()...; };
template <typename... F> Overloaded(F...) -> Overloaded<F...>;

// The limits built into the program; they never change.
[[nodiscard]] const LimitTables& BuiltInLimits();

// The limits in force: the built-in ones or, once a limits file has given them, the file limits.
// The built-in limits being in force is what the checked "KVQ Default" item means.
class CurrentLimits {
public:
    // Points the current limits at the built-in tables.
    void SelectLimitTables() { builtInInForce_ = true; }
    // Points them at the file limits; without file limits the built-in ones stay in force.
    void SelectFileLimits() { builtInInForce_ = !fileLimits_; }
    void SetFileLimits(const LimitTables& limits) { fileLimits_ = limits; }
    [[nodiscard]] bool HasFileLimits() const { return fileLimits_.has_value(); }
    [[nodiscard]] bool BuiltInInForce() const { return builtInInForce_; }
    [[nodiscard]] const LimitTables& Tables() const {
        return builtInInForce_ ? BuiltInLimits() : *fileLimits_;
    }

private:
    std::optional<LimitTables> fileLimits_;
    bool builtInInForce_ = true;
};

// Pixel metrics of the sheet's character cells and of the editors placed over them.
struct CellMetrics {
    int LineHeight;
    int EditorTopOffset;
    int CharWidth;
    int EditorLeftOffset;
};
inline constexpr CellMetrics kNormalMetrics{15, 28, 7, 2};
inline constexpr CellMetrics kLargeMetrics{17, 32, 9, 3};

// Where field 1..45 stands on the sheet under the given limit tables.
[[nodiscard]] SheetCell CellOfField(int field, const LimitTables& tables);

// The field under the pointer at (x, y) of the sheet view, or 0. The column range of a value
// includes the character after it. The ramp angle pair (27) is offered only while the built-in
// limits are in force; 5th and 6th gear only when the gearbox has them.
[[nodiscard]] int FieldAt(int x, int y, int gearboxKind, const CellMetrics& metrics,
                          const CurrentLimits& limits);

// The values the hit test offers on a sheet of that gearbox kind, in reading order (line by
// line, left to right): each field the hit test finds at its own first character.
[[nodiscard]] std::vector<int> FieldsOnSheet(int gearboxKind, const CurrentLimits& limits);

// Where the field cursor goes from a field: up or down to the nearest value on the nearest line
// that has one, left or right to the nearest value on the same line, to the first or last value.
// It stays where nothing lies that way, and starts on the first value when the field is none of
// the sheet's; 0 when the sheet has no values.
enum class FieldMove : std::uint8_t { Up, Down, Left, Right, First, Last };
[[nodiscard]] int MoveFieldCursor(int from, FieldMove move, int gearboxKind,
                                  const CurrentLimits& limits);

// Brings every editable value of the record within the limits in force and derives the gear and
// differential ratios from their indices. The asymmetry flag and every other byte stay.
void Normalise(SetupRecord& record, const CurrentLimits& limits);

} // namespace kvq
