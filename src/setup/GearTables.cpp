#include "setup/GearTables.h"

#include "base/Utils.h"

#include <cmath>

namespace kvq {

namespace {

// index: p/q (displayed ratio)
// clang-format off
constexpr std::array<GearRatioEntry, kGearRatioCount> kGearRatios = {{
    // 0..9, 1st gear
    {46, 13, 3.538f}, {23, 7, 3.286f},  {45, 14, 3.214f}, {35, 12, 2.917f}, {35, 13, 2.692f},
    {21, 8, 2.625f},  {38, 15, 2.533f}, {17, 7, 2.429f},  {33, 14, 2.357f}, {16, 7, 2.286f},
    // 10..24, 2nd gear
    {21, 8, 2.625f},  {38, 15, 2.533f}, {17, 7, 2.429f},  {41, 17, 2.412f}, {33, 14, 2.357f},
    {16, 7, 2.286f},  {11, 5, 2.200f},  {35, 16, 2.188f}, {32, 15, 2.133f}, {31, 15, 2.067f},
    {2, 1, 2.000f},   {15, 8, 1.875f},  {31, 17, 1.824f}, {30, 17, 1.765f}, {29, 17, 1.706f},
    // 25..85, 3rd to 6th gear
    {17, 7, 2.429f},  {41, 17, 2.412f}, {33, 14, 2.357f}, {16, 7, 2.286f},  {11, 5, 2.200f},
    {32, 15, 2.133f}, {31, 15, 2.067f}, {2, 1, 2.000f},   {31, 16, 1.938f}, {19, 10, 1.900f},
    {15, 8, 1.875f},  {31, 17, 1.824f}, {30, 17, 1.765f}, {29, 17, 1.706f}, {17, 10, 1.700f},
    {5, 3, 1.667f},   {29, 18, 1.611f}, {14, 9, 1.556f},  {29, 19, 1.526f}, {32, 21, 1.524f},
    {28, 19, 1.474f}, {13, 9, 1.444f},  {27, 19, 1.421f}, {17, 12, 1.417f}, {7, 5, 1.400f},
    {29, 21, 1.381f}, {11, 8, 1.375f},  {34, 25, 1.360f}, {27, 20, 1.350f}, {4, 3, 1.333f},
    {33, 25, 1.320f}, {25, 19, 1.316f}, {30, 23, 1.304f}, {9, 7, 1.286f},   {32, 25, 1.280f},
    {33, 26, 1.269f}, {24, 19, 1.263f}, {29, 23, 1.261f}, {31, 25, 1.240f}, {26, 21, 1.238f},
    {16, 13, 1.231f}, {23, 19, 1.211f}, {29, 24, 1.208f}, {32, 27, 1.185f}, {13, 11, 1.182f},
    {29, 25, 1.160f}, {22, 19, 1.158f}, {31, 27, 1.148f}, {8, 7, 1.143f},   {25, 22, 1.136f},
    {28, 25, 1.120f}, {10, 9, 1.111f},  {31, 28, 1.107f}, {32, 29, 1.103f}, {12, 11, 1.091f},
    {13, 12, 1.083f}, {27, 25, 1.080f}, {24, 23, 1.043f}, {1, 1, 1.000f},   {24, 25, 0.960f},
    {12, 13, 0.923f},
    // 86..89, differential
    {31, 7, 4.429f},  {31, 8, 3.875f},  {31, 9, 3.444f},  {31, 10, 3.100f},
}};
// clang-format on

constexpr std::array<float, 4> kRampAngles = {30.0f, 45.0f, 60.0f, 85.0f};

} // namespace

const std::array<GearRatioEntry, kGearRatioCount>& GearRatioTable() { return kGearRatios; }

int ClampGearIndex(int index) { return ClampInt(index, 0, kGearRatioCount - 1); }

float ExactRatio(int index) {
    const auto& e = kGearRatios[static_cast<std::size_t>(ClampGearIndex(index))];
    // A quotient of small integers never lies near enough a single-precision midpoint for the
    // rounding through double to differ from rounding p/q directly.
    return static_cast<float>(static_cast<double>(e.p) / e.q);
}

float DisplayedRatio(int index) {
    return kGearRatios[static_cast<std::size_t>(ClampGearIndex(index))].displayed;
}

RampPair RampAnglePair(int k) {
    const int i = ClampInt(k, 1, kRampPairCount) - 1;
    return {kRampAngles[static_cast<std::size_t>(i % 4)],
            kRampAngles[static_cast<std::size_t>(i / 4)]};
}

namespace {

// 2..5: the group of 15 degrees that the rounded, clamped angle falls into.
int RampGroup(float angle) {
    const float clamped = ClampFloat(std::nearbyint(angle), 30.0f, 89.0f);
    return static_cast<int>(clamped) / 15;
}

} // namespace

int RampPairIndex(float angle1, float angle2) {
    return (RampGroup(angle2) - 2) * 4 + (RampGroup(angle1) - 1);
}

} // namespace kvq
