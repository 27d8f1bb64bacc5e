#pragma once

#include <array>

namespace kvq {

// One entry of the gear ratio table: the ratio p/q and its three-decimal display.
struct GearRatioEntry {
    int p;
    int q;
    float displayed;
};

inline constexpr int kGearRatioCount = 90;

// The 90 built-in ratios: 0..9 serve 1st gear, 10..24 2nd, 25..85 3rd to 6th, 86..89 the
// differential.
[[nodiscard]] const std::array<GearRatioEntry, kGearRatioCount>& GearRatioTable();

// Clamps a table index into 0..89, so that no lookup leaves the table.
[[nodiscard]] int ClampGearIndex(int index);

// p/q rounded to single precision; the value a normalised record holds.
[[nodiscard]] float ExactRatio(int index);

// p/q rounded to three decimals, in single precision.
[[nodiscard]] float DisplayedRatio(int index);

// A pair of differential ramp angles in degrees, as RampAngle1 and RampAngle2 hold them.
struct RampPair {
    float angle1;
    float angle2;
    friend bool operator==(const RampPair&, const RampPair&) = default;
};

inline constexpr int kRampPairCount = 16;

// Entry k, 1..16, of the ramp angle pair table: (A[(k-1) mod 4], A[(k-1) div 4]) with
// A = 30, 45, 60, 85. The entry is clamped into 1..16.
[[nodiscard]] RampPair RampAnglePair(int k);

// The entry the two angles fall into: each angle is rounded (ties to even) and brought into
// 30..89 (NaN counts as 30), then 30..44 counts as 30, 45..59 as 45, 60..74 as 60, 75..89 as 85.
[[nodiscard]] int RampPairIndex(float angle1, float angle2);

} // namespace kvq
