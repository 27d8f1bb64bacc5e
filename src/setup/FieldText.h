#pragma once

#include "setup/SetupRecord.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kvq {

// The bytes of a named field of the record.
[[nodiscard]] std::span<const std::uint8_t> FieldBytes(const SetupRecord& record,
                                                       const LayoutEntry& entry);

// The sheet's label of a field with the wheel or axle it belongs to ("Tyre Pressure (psi) FL",
// "1st Gear index"); fields the sheet does not show, or shows in another sense (the asymmetry
// letter), go by their name.
[[nodiscard]] std::string_view FieldLabel(const LayoutEntry& entry);

// The value as stored: numbers in decimal, floats as the shortest text that reads back exactly
// ("2.533", "nan"), the magic as its characters, the raw bytes in file order as two hex digits
// each.
[[nodiscard]] std::string StoredValueText(const SetupRecord& record, const LayoutEntry& entry);

} // namespace kvq
