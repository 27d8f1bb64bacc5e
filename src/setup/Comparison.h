#pragma once

#include "setup/SetupRecord.h"

#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// A named field whose bytes differ between two records: its label and both values as stored
// (FieldLabel, StoredValueText).
struct FieldDifference {
    LayoutEntry Field;
    std::string_view Label;
    std::string TextA;
    std::string TextB;
};

// The fields in which the records differ byte for byte, in file order.
[[nodiscard]] std::vector<FieldDifference> CompareRecords(const SetupRecord& a,
                                                          const SetupRecord& b);

// "LABEL: A's value -> B's value".
[[nodiscard]] std::string DifferenceLine(const FieldDifference& difference);

inline constexpr int kMaxGears = 6;

// One forward gear of a setup's gear ladder.
struct GearStep {
    int Gear; // 1..6
    // The gear's ratio times the differential ratio, as the sheet prints it; no finite number
    // when the record holds a ratio that is none.
    double OverallRatio;
    // The engine speed at the upshift into this gear against the gear before, in percent less
    // 100: this gear's overall ratio / the one before's, 0.78 giving -22. None for 1st gear and
    // where either ratio gives no finite figure.
    std::optional<double> UpshiftPercent;

    // A ratio that can be drawn: a finite number.
    [[nodiscard]] bool Drawable() const { return std::isfinite(OverallRatio); }
};

// The ladder of the forward gears a gearbox of that kind shows (4, 5 or 6), 1st gear first.
[[nodiscard]] std::vector<GearStep> GearLadder(const SetupRecord& record, int gearboxKind);

} // namespace kvq
