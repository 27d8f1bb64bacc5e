#pragma once

#include "base/Utils.h"
#include "edit/FieldTable.h"

#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace kvq {

// The indexes a list field's editor offers: the row's bounds brought within the table the index
// addresses (gear ratio entries 0..89, ramp angle pairs 1..16), so no bound from a limits file
// leads outside it.
[[nodiscard]] std::pair<int, int> ListIndexBounds(const ListLimit& row);

// Stores the value of an edit of field 1..45 as committing an in-place edit does. The value is
// the number for an integer or real field, the index for a list field and 0 or 1 for the toggle.
// It is first brought within the field's limits in force as normalising does (equal limits leave
// the one value they allow; a list index stays within its table as well). Integer
// and real values go to the field's slot and, while SymmetricFlag is exactly 1, to its partner;
// a gear or differential index that differs goes with the exact table ratio; a ramp angle pair
// writes both angles. Returns true when the record changed.
bool StoreEdit(SetupRecord& record, int field, double value, const LimitTables& tables);

// The editors' own clamp: equal limits switch it off, so the editor holds any value.
template <typename T> [[nodiscard]] constexpr T EditorClamp(T value, T low, T high) {
    if (low == high) return value;
    if constexpr (std::is_floating_point_v<T>)
        return ClampFloat(value, low, high);
    else
        return ClampInt(value, low, high);
}

// What the editor of a field shows when it opens on a record: its kind, the cell it covers, its
// limits (the first and last index for a list), step and decimals, and the value or index it
// starts with.
struct EditorDescription {
    FieldKind Kind;
    SheetCell Cell;
    double MinValue = 0, MaxValue = 0, Increment = 1;
    int Precision = 0;
    double Value = 0;
    ListKind List = ListKind::GearList;
    // A single ramp angle whose step is 15 walks 30, 45, 60 and 85 (RampAngleStep).
    bool RampAngleSteps = false;
    friend bool operator==(const EditorDescription&, const EditorDescription&) = default;
};
[[nodiscard]] EditorDescription DescribeEditor(int field, const SetupRecord& record,
                                               const LimitTables& tables);

// The range and step in force for an edit of field 1..45, as its editor's tip gives them:
// "Fuel: 1 to 46 gallons, step 1", "1st Gear: 7.853:1 to 5.005:1, 10 ratios", "Fuel: always
// 43 gallons" where the limits are equal, "Asymmetrical: Y or N".
[[nodiscard]] std::string RangeText(int field, const SetupRecord& record,
                                    const LimitTables& tables);

// The list editor's text of entry index, as the sheet shows that value: a gear's overall ratio
// with the record's differential ratio, a differential ratio, or a ramp angle pair.
[[nodiscard]] std::string ListItemText(ListKind kind, int index, const SetupRecord& record);

// Where a step of the ramp angle editor lands: 75 becomes 85 with the step 25, 35 becomes 45
// with the step 15 again, 70 becomes 60; any other value stays. With the built-in limits 30..85
// and step 15 the editor so walks 30, 45, 60, 85 and back.
struct RampAngleStop {
    float Value;
    float Increment;
    friend bool operator==(const RampAngleStop&, const RampAngleStop&) = default;
};
[[nodiscard]] RampAngleStop RampAngleStep(float value, float increment);

// What setting a named field did: whether the record changed and, when the value given lay
// beyond the field's limits, the notice that says where it went ("Fuel: 50 is above the limit,
// set to 46").
struct FieldSetting {
    bool Changed = false;
    std::optional<std::string> Clamped;
};

// Sets the record field of that name (in any case) from its text, as an edit of the field that
// shows it would, under the limits in force: GearIndex1..6 and DiffIndex take a table index; a
// ramp angle goes through the ramp angle pair list while the built-in limits are in force and is
// clamped on its own otherwise; SymmetricFlag takes 0 or 1.
// Throws KvqError, leaving the record as it was, for a name the record does not have, a field
// no edit reaches (the raw words, the magic, the ratios that follow their index) and a text
// that is not a number of the field's kind.
FieldSetting SetNamedField(SetupRecord& record, std::string_view name, std::string_view text,
                           const CurrentLimits& limits);

// The record fields SetNamedField takes, in file order.
[[nodiscard]] std::vector<std::string_view> SettableFieldNames();

} // namespace kvq
