#pragma once

#include "setup/SetupDocument.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

inline constexpr int kSheetLineCount = 25;

// Where a value stands on the sheet: line, first column and printed width.
struct SheetCell {
    std::int32_t Row, Col, Width;
    friend bool operator==(const SheetCell&, const SheetCell&) = default;
};

// The sheet's lines and where each value printed on them stands, line by line, left to right
// (the two ramp angles are two values; a value wider than its field moves the ones after it).
struct PrintedSheet {
    std::vector<std::string> Lines;
    std::vector<SheetCell> Values;

    // The characters of a printed value.
    [[nodiscard]] std::string_view TextOf(const SheetCell& value) const {
        return std::string_view(Lines[static_cast<std::size_t>(value.Row)])
            .substr(static_cast<std::size_t>(value.Col), static_cast<std::size_t>(value.Width));
    }
};

// The setup sheet: 25 lines of fixed-pitch text, each value in its row and column. Gearbox kind
// 4 leaves out the 5th and 6th gear lines' values, kind 5 the 6th.
[[nodiscard]] PrintedSheet PrintSheet(const SetupRecord& record, int gearboxKind);
[[nodiscard]] inline PrintedSheet PrintSheet(const TSetup& setup) {
    return PrintSheet(setup.Record, setup.GearboxKind);
}
[[nodiscard]] inline std::vector<std::string> SheetLines(const SetupRecord& record,
                                                         int gearboxKind) {
    return PrintSheet(record, gearboxKind).Lines;
}
[[nodiscard]] inline std::vector<std::string> SheetLines(const TSetup& setup) {
    return SheetLines(setup.Record, setup.GearboxKind);
}

// The values of sheet printed otherwise on other: in other text, or not at all, at the same
// place (the same line, the same place among that line's values).
[[nodiscard]] std::vector<SheetCell> ValuesPrintedOtherwise(const PrintedSheet& sheet,
                                                            const PrintedSheet& other);

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
