#include "setup/Comparison.h"

#include "setup/FieldText.h"
#include "setup/Sheet.h"

#include <algorithm>

namespace kvq {

std::vector<FieldDifference> CompareRecords(const SetupRecord& a, const SetupRecord& b) {
    std::vector<FieldDifference> differences;
    for (const LayoutEntry& entry : RecordLayout()) {
        if (std::ranges::equal(FieldBytes(a, entry), FieldBytes(b, entry))) continue;
        differences.push_back(
            {entry, FieldLabel(entry), StoredValueText(a, entry), StoredValueText(b, entry)});
    }
    return differences;
}

std::string DifferenceLine(const FieldDifference& difference) {
    return std::string(difference.Label) + ": " + difference.TextA + " -> " + difference.TextB;
}

std::vector<GearStep> GearLadder(const SetupRecord& record, int gearboxKind) {
    const float diff = record.Get(field::DiffRatio);
    std::vector<GearStep> ladder;
    for (int gear = 1; gear <= std::min(gearboxKind, kMaxGears); ++gear) {
        const double overall = OverallRatio(record.Float(field::GearRatio1.slot + gear - 1), diff);
        GearStep step{gear, overall, std::nullopt};
        if (!ladder.empty() && step.Drawable() && ladder.back().Drawable()) {
            const double percent = (overall / ladder.back().OverallRatio - 1.0) * 100.0;
            // A gear before of ratio 0 gives none.
            if (std::isfinite(percent)) step.UpshiftPercent = percent;
        }
        ladder.push_back(step);
    }
    return ladder;
}

} // namespace kvq
