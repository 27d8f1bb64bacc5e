#pragma once

#include "edit/FieldTable.h"

#include <string_view>
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

// Sets the record field of that name (in any case) from its text, as an edit of the field that
// shows it would, under the limits in force: GearIndex1..6 and DiffIndex take a table index; a
// ramp angle goes through the ramp angle pair list while the built-in limits are in force and is
// clamped on its own otherwise; SymmetricFlag takes 0 or 1. Returns true when the record changed.
// Throws KvqError, leaving the record as it was, for a name the record does not have, a field
// no edit reaches (the raw words, the magic, the ratios that follow their index) and a text
// that is not a number of the field's kind.
bool SetNamedField(SetupRecord& record, std::string_view name, std::string_view text,
                   const CurrentLimits& limits);

// The record fields SetNamedField takes, in file order.
[[nodiscard]] std::vector<std::string_view> SettableFieldNames();

} // namespace kvq
