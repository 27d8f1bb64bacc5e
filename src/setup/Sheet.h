#pragma once

#include "setup/SetupDocument.h"

#include <string>
#include <vector>

namespace kvq {

inline constexpr int kSheetLineCount = 25;

// The setup sheet: 25 lines of fixed-pitch text, each value in its row and column. Gearbox kind
// 4 leaves out the 5th and 6th gear lines' values, kind 5 the 6th.
[[nodiscard]] std::vector<std::string> SheetLines(const SetupRecord& record, int gearboxKind);
[[nodiscard]] inline std::vector<std::string> SheetLines(const TSetup& setup) {
    return SheetLines(setup.Record, setup.GearboxKind);
}

// The fuel figure of the sheet: rounded to the nearest whole number, ties to even, held within
// the 32-bit integer range.
[[nodiscard]] std::int32_t SheetFuel(float fuel);

// The overall ratio of a gear, gear ratio times differential ratio, multiplied in double.
[[nodiscard]] double OverallRatio(float gearRatio, float diffRatio);

// The sheet's texts of the values the list editor offers, which shows them alike: a gear's
// overall ratio, the differential ratio and the ramp angle pair.
[[nodiscard]] std::string GearText(float gearRatio, float diffRatio);
[[nodiscard]] std::string DiffText(float diffRatio);
[[nodiscard]] std::string RampAnglesText(float angle1, float angle2);

} // namespace kvq
