#pragma once

#include "FuzzInput.h"
#include "edit/FieldTable.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"

#include <array>
#include <bit>
#include <string_view>
#include <utility>

namespace kvq::fuzz {

// The bytes outside the slots the limit tables name are the same in both records.
inline void RequireOnlyEditableSlotsDiffer(const SetupRecord& a, const SetupRecord& b,
                                           const LimitTables& tables) {
    std::array<bool, SetupRecord::kSlotCount + 1> editable{};
    for (const IntegerLimit& r : tables.Integer) editable.at(r.Slot) = true;
    for (const RealLimit& r : tables.Real) editable.at(r.Slot) = true;
    for (const ListLimit& r : tables.List)
        editable.at(r.ValueSlot) = editable.at(r.IndexSlot) = true;
    for (std::size_t i = 0; i < SetupRecord::kSize; ++i)
        if (!editable[i / 4 + 1])
            Require(a.ToBytes()[i] == b.ToBytes()[i], "bytes of no editable field stay");
}

// What Normalise promises for any record under any limits: only the slots of editable fields
// change; every value whose limits are in order lies within them; every gear and differential
// index lies in the table with the exact ratio it names; under the built-in limits the ramp
// angles are a pair of the table.
inline void RequireNormalised(const SetupRecord& before, const SetupRecord& after,
                              const CurrentLimits& limits) {
    const LimitTables& tables = limits.Tables();
    for (const IntegerLimit& r : tables.Integer) {
        const std::int32_t v = after.Int(r.Slot);
        if (r.MinValue <= r.MaxValue)
            Require(v >= r.MinValue && v <= r.MaxValue, "integer value within its limits");
    }
    for (const RealLimit& r : tables.Real) {
        const float v = after.Float(r.Slot);
        if (r.MinValue <= r.MaxValue)
            Require(v >= r.MinValue && v <= r.MaxValue, "real value within its limits");
    }
    for (const ListLimit& r : tables.List) {
        if (r.Kind == ListKind::RampPairList) {
            if (limits.BuiltInInForce()) {
                const RampPair pair{after.Float(r.ValueSlot), after.Float(r.IndexSlot)};
                Require(RampAnglePair(RampPairIndex(pair.angle1, pair.angle2)) == pair,
                        "ramp angles are a pair of the table");
            }
            continue;
        }
        const std::int32_t index = after.Int(r.IndexSlot);
        const int low = ClampGearIndex(r.MinIndex);
        const int high = ClampGearIndex(r.MaxIndex);
        Require(index >= 0 && index < kGearRatioCount, "gear index within the table");
        if (low <= high) Require(index >= low && index <= high, "gear index within its limits");
        Require(after.Word(r.ValueSlot) == std::bit_cast<std::uint32_t>(ExactRatio(index)),
                "ratio is the exact ratio of its index");
    }
    RequireOnlyEditableSlotsDiffer(before, after, tables);
}

// Runs check under the built-in limits, then under the file limits the text gives.
template <typename Check> void UnderBothLimits(std::string_view limitsText, Check check) {
    CurrentLimits limits;
    limits.SetFileLimits(ParseLimits(limitsText).Tables);
    limits.SelectLimitTables();
    check(std::as_const(limits));
    limits.SelectFileLimits();
    check(std::as_const(limits));
}

} // namespace kvq::fuzz
