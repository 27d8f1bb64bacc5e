#pragma once

#include <string_view>

namespace kvq {

// What the user calls field 1..45: its label on the sheet, with the wheel or axle where the sheet
// shows one value a side ("Steering Ratio", "Bump FL", "Toe-in Rear", "1st Gear").
[[nodiscard]] std::string_view FieldName(int field);

// The unit the sheet prints after field 1..45's value: " gallons", " psi", ":1", "%", or nothing.
[[nodiscard]] std::string_view FieldUnit(int field);

} // namespace kvq
