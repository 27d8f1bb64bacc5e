#include "setup/GearTables.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kvq {
namespace {

TEST(GearRatioTableTest, DisplayedRatioIsTheRatioToThreeDecimals) {
    for (int i = 0; i < kGearRatioCount; ++i) {
        const auto& e = GearRatioTable()[static_cast<std::size_t>(i)];
        const double rounded = std::round(1000.0 * e.p / e.q) / 1000.0;
        EXPECT_EQ(DisplayedRatio(i), static_cast<float>(rounded)) << i;
        EXPECT_EQ(ExactRatio(i), static_cast<float>(static_cast<double>(e.p) / e.q)) << i;
    }
}

TEST(GearRatioTableTest, EachRangeFallsStrictly) {
    // The text import finds a ratio by the first entry not above it, so each range must fall.
    const std::pair<int, int> ranges[] = {{0, 9}, {10, 24}, {25, 85}, {86, 89}};
    for (auto [first, last] : ranges)
        for (int i = first; i < last; ++i) EXPECT_GT(DisplayedRatio(i), DisplayedRatio(i + 1)) << i;
}

TEST(GearRatioTableTest, SpotChecks) {
    EXPECT_EQ(ExactRatio(9), 16.0f / 7.0f);
    EXPECT_EQ(ExactRatio(89), 3.1f);
    EXPECT_EQ(DisplayedRatio(6), 2.533f);
    EXPECT_EQ(ExactRatio(-4), ExactRatio(0));
    EXPECT_EQ(ExactRatio(500), ExactRatio(89));
}

TEST(RampPairTest, EntriesRunFirstAngleFastest) {
    EXPECT_EQ(RampAnglePair(1), (RampPair{30, 30}));
    EXPECT_EQ(RampAnglePair(2), (RampPair{45, 30}));
    EXPECT_EQ(RampAnglePair(5), (RampPair{30, 45}));
    EXPECT_EQ(RampAnglePair(16), (RampPair{85, 85}));
    for (int k = 1; k <= kRampPairCount; ++k) {
        const RampPair pair = RampAnglePair(k);
        EXPECT_EQ(RampPairIndex(pair.angle1, pair.angle2), k);
    }
}

TEST(RampPairTest, AnglesFallIntoTheirGroup) {
    struct Row {
        float angle;
        float becomes;
    };
    // clang-format off
    const Row rows[] = {
        {50, 45},   {75, 85},   {89, 85},   {44, 30},  {44.5f, 30}, {45.5f, 45},
        {59.5f, 60}, {0, 30},   {-20, 30},  {90, 85},  {1e30f, 85}, {std::nanf(""), 30},
    };
    // clang-format on
    for (const Row& row : rows) {
        const RampPair pair = RampAnglePair(RampPairIndex(row.angle, 30));
        EXPECT_EQ(pair.angle1, row.becomes) << row.angle;
        EXPECT_EQ(RampAnglePair(RampPairIndex(60, row.angle)).angle2, row.becomes) << row.angle;
    }
}

} // namespace
} // namespace kvq
