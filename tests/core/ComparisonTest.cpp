#include "setup/Comparison.h"

#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <limits>
#include <optional>

namespace kvq {
namespace {

using namespace field;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

TEST(ComparisonTest, DifferencesAreTheDifferingFieldsWithLabelsAndStoredValues) {
    struct Row {
        const char* what;
        std::function<void(SetupRecord&)> change; // of B
        std::vector<std::string> lines;
    };
    const Row rows[] = {
        {"nothing, a NaN in both", [](SetupRecord&) {}, {}},
        {"a value with its unit and wheel",
         [](SetupRecord& r) { r.Set(CamberRR, -1.25f); },
         {"Camber (deg) RR: 0.25 -> -1.25"}},
        {"an axle",
         [](SetupRecord& r) { r.Set(ToeInFront, 0.1f); },
         {"Toe-in (in) Front: -0.025 -> 0.1"}},
        {"gears that four-gear sheets hide, in file order",
         [](SetupRecord& r) { r.Set(GearIndex6, 70), r.Set(GearRatio5, kNaN); },
         {"5th Gear ratio: 1.083 -> nan", "6th Gear index: 83 -> 70"}},
        {"fields the sheet does not show, by their names",
         [](SetupRecord& r) {
             r.MutableBytes()[3] = 's', r.MutableBytes()[8] = 1, r.SetSymmetricFlag(0);
         },
         {"Magic: PGTS -> PGTs", "Reserved08: f9000000 -> 01000000", "SymmetricFlag: 1 -> 0"}},
        {"a NaN against a number",
         [](SetupRecord& r) { r.Set(ToeInRear, 0.125f); },
         {"Toe-in (in) Rear: nan -> 0.125"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        // Records compare by their bytes: the same NaN on both sides is no difference.
        SetupRecord a = ImportTemplate();
        a.Set(ToeInRear, kNaN);
        SetupRecord b = a;
        row.change(b);
        std::vector<std::string> lines;
        for (const FieldDifference& difference : CompareRecords(a, b))
            lines.push_back(DifferenceLine(difference));
        EXPECT_EQ(lines, row.lines);
    }
}

TEST(ComparisonTest, ValuesPrintedOtherwiseAreThoseWhoseTextDiffers) {
    using Cells = std::vector<SheetCell>;
    struct Row {
        const char* what;
        int kindA, kindB;
        std::function<void(SetupRecord&)> change; // of B
        Cells a, b;
    };
    const Cells gearsAndDiff = {{5, 53, 6}, {6, 53, 6}, {7, 53, 6},
                                {8, 53, 6}, {9, 53, 6}, {12, 56, 5}};
    const Row rows[] = {
        {"nothing", 5, 5, [](SetupRecord&) {}, {}, {}},
        {"the differential: every overall ratio too", 5, 5,
         [](SetupRecord& r) { r.Set(DiffRatio, 4.25f); }, gearsAndDiff, gearsAndDiff},
        {"a stored difference printed alike",
         5,
         5,
         [](SetupRecord& r) { r.Set(Fuel, 43.25f); },
         {},
         {}},
        {"gears only one sheet prints", 4, 6, [](SetupRecord&) {}, {}, {{9, 53, 6}, {10, 53, 6}}},
        {"one ramp angle of the two",
         5,
         5,
         [](SetupRecord& r) { r.Set(RampAngle2, 60.0f); },
         {{13, 59, 2}},
         {{13, 59, 2}}},
        {"a value wider than its field moves the others, which print alike",
         5,
         5,
         [](SetupRecord& r) { r.Set(TyrePressureFL, 100.0f); },
         {{2, 5, 2}},
         {{2, 5, 3}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const SetupRecord a = ImportTemplate();
        SetupRecord b = a;
        row.change(b);
        const PrintedSheet sheetA = PrintSheet(a, row.kindA);
        const PrintedSheet sheetB = PrintSheet(b, row.kindB);
        EXPECT_EQ(ValuesPrintedOtherwise(sheetA, sheetB), row.a);
        EXPECT_EQ(ValuesPrintedOtherwise(sheetB, sheetA), row.b);
    }
}

TEST(ComparisonTest, GearLadderOfTheGearsShown) {
    struct Row {
        const char* what;
        int gearboxKind;
        std::array<float, kMaxGears> gears;
        float diff;
        std::vector<double> overall;
        std::vector<std::optional<double>> upshift;
    };
    constexpr std::array<float, kMaxGears> kGears = {4.0f, 3.0f, 2.4f, 2.0f, 1.8f, 1.5f};
    constexpr double kThird = -100.0 / 6; // 4.8 after 6, 3 after 3.6
    const Row rows[] = {
        {"four gears", 4, kGears, 2.0f, {8, 6, 4.8, 4}, {{}, -25, -20, kThird}},
        {"five gears", 5, kGears, 2.0f, {8, 6, 4.8, 4, 3.6}, {{}, -25, -20, kThird, -10}},
        {"six gears", 6, kGears, 2.0f, {8, 6, 4.8, 4, 3.6, 3}, {{}, -25, -20, kThird, -10, kThird}},
        {"a NaN and an infinite ratio have no upshift either side",
         6,
         {4.0f, kNaN, 2.4f, kInf, 1.8f, 1.5f},
         2.0f,
         {8, kNaN, 4.8, kInf, 3.6, 3},
         {{}, {}, {}, {}, {}, kThird}},
        {"a ratio of 0 before a gear",
         4,
         {0.0f, 3.0f, 0.0f, 2.0f},
         2.0f,
         {0, 6, 0, 4},
         {{}, {}, -100, {}}},
        {"a NaN differential", 4, kGears, kNaN, {kNaN, kNaN, kNaN, kNaN}, {{}, {}, {}, {}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetupRecord record = ImportTemplate();
        for (int gear = 1; gear <= kMaxGears; ++gear)
            record.SetFloat(GearRatio1.slot + gear - 1,
                            row.gears[static_cast<std::size_t>(gear - 1)]);
        record.Set(DiffRatio, row.diff);
        const std::vector<GearStep> ladder = GearLadder(record, row.gearboxKind);
        ASSERT_EQ(ladder.size(), row.overall.size());
        for (std::size_t i = 0; i < ladder.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(ladder[i].Gear, static_cast<int>(i + 1));
            const double overall = row.overall[i];
            if (!std::isfinite(overall)) {
                EXPECT_EQ(std::isnan(ladder[i].OverallRatio), std::isnan(overall));
                EXPECT_FALSE(std::isfinite(ladder[i].OverallRatio));
            } else {
                EXPECT_NEAR(ladder[i].OverallRatio, overall, 1e-5);
            }
            EXPECT_EQ(ladder[i].Drawable(), std::isfinite(overall));
            ASSERT_EQ(ladder[i].UpshiftPercent.has_value(), row.upshift[i].has_value());
            if (row.upshift[i]) {
                EXPECT_NEAR(*ladder[i].UpshiftPercent, *row.upshift[i], 1e-4);
            }
        }
    }
}

} // namespace
} // namespace kvq
