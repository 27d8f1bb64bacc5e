#include "setup/Sheet.h"

#include "edit/FieldTable.h"
#include "setup/ImportTemplate.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace kvq {
namespace {

// The example setup normalised, as a six-gear sheet.
const std::vector<std::string> kSixGearSheet = {
    "                  Front",
    "    Left                        Right      Steering Ratio: 16:1",
    "     18    Tyre Pressure (psi)    18       Fuel: 43 gallons",
    "     80    Wheel Rate (lbs/in)    80",
    "      2           Bump             2       Transmission Ratios",
    "      3          Rebound           3       1st Gear:  7.853:1",
    "   -0.75      Camber (deg)      -0.25      2nd Gear:  5.471:1",
    "    1.50    Bump Rubber (in)     1.50      3rd Gear:  4.478:1",
    "                                           4th Gear:  3.844:1",
    "    Toe-in:             -0.025 in          5th Gear:  3.358:1",
    "    Roll Bar Stiffness:   90 lbs/in        6th Gear:  3.100:1",
    "    Static Ride Height:  2.50 in",
    "    Front Brake Bias:    57%               Diff Ratio:  3.100:1",
    "    Toe-in:              0.125 in          Ramp Angles: 85/30",
    "    Roll Bar Stiffness:   70 lb/in         Clutches:    1",
    "    Static Ride Height:  2.75 in",
    "",
    "     22    Tyre Pressure (psi)    22",
    "    100    Wheel Rate (lbs/in)   100",
    "      2           Bump             2",
    "      4          Rebound           4",
    "   -0.50      Camber (deg)       0.25",
    "    1.50    Bump Rubber (in)     1.50      Asymmetrical: N",
    "",
    "                   Back",
};

std::vector<std::string> ExpectedSheet(int kind) {
    auto lines = kSixGearSheet;
    if (kind < 6) lines[10] = "    Roll Bar Stiffness:   90 lbs/in";
    if (kind < 5) lines[9] = "    Toe-in:             -0.025 in";
    return lines;
}

SetupRecord NormalisedTemplate() {
    SetupRecord record = ImportTemplate();
    Normalise(record, CurrentLimits{});
    return record;
}

// Compares line by line, so a failure names the line that differs.
void ExpectSheet(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i)
        EXPECT_EQ(actual[i], expected[i]) << "line " << i;
}

TEST(SheetTest, ExampleSetupForEachGearboxKind) {
    for (int kind : {6, 5, 4}) {
        SCOPED_TRACE(kind);
        ExpectSheet(SheetLines(NormalisedTemplate(), kind), ExpectedSheet(kind));
    }
}

TEST(SheetTest, IgnoresACommaLocale) {
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is missing; ./test.sh generates it";
    ASSERT_EQ(std::string(std::localeconv()->decimal_point), ",");
    const auto lines = SheetLines(NormalisedTemplate(), 6);
    std::setlocale(LC_ALL, before.c_str());
    ExpectSheet(lines, ExpectedSheet(6));
}

TEST(SheetTest, FuelRoundsHalfToEvenAndSaturates) {
    struct Row {
        float fuel;
        std::int32_t shown;
    };
    // clang-format off
    const Row rows[] = {
        {22.5f, 22}, {23.5f, 24}, {43.4f, 43}, {42.6f, 43}, {-0.5f, 0}, {1e20f, INT32_MAX},
        {-1e20f, INT32_MIN}, {std::numeric_limits<float>::infinity(), INT32_MAX}, {std::nanf(""), 0},
    };
    // clang-format on
    for (const Row& row : rows) EXPECT_EQ(SheetFuel(row.fuel), row.shown) << row.fuel;

    SetupRecord record = NormalisedTemplate();
    record.Set(field::Fuel, 22.5f);
    EXPECT_EQ(SheetLines(record, 6)[2],
              "     18    Tyre Pressure (psi)    18       Fuel: 22 gallons");
}

TEST(SheetTest, GearLinePrintsTheOverallRatioOfWhatIsStored) {
    SetupRecord record = NormalisedTemplate();
    record.Set(field::GearRatio1, 2.533f);
    record.Set(field::DiffRatio, 3.1f);
    EXPECT_EQ(SheetLines(record, 6)[5],
              "      3          Rebound           3       1st Gear:  7.852:1");
    EXPECT_EQ(SheetLines(NormalisedTemplate(), 6)[5],
              "      3          Rebound           3       1st Gear:  7.853:1");
}

TEST(SheetTest, AsymmetryLetter) {
    SetupRecord record = NormalisedTemplate();
    const std::pair<std::uint8_t, char> rows[] = {{0, 'Y'}, {1, 'N'}, {2, 'N'}, {255, 'N'}};
    for (auto [flag, letter] : rows) {
        record.SetSymmetricFlag(flag);
        EXPECT_EQ(SheetLines(record, 6)[22].back(), letter) << int(flag);
    }
}

TEST(SheetTest, WideValueMovesTheRestOfItsLine) {
    SetupRecord record = NormalisedTemplate();
    record.Set(field::CamberFL, -10.25f);
    EXPECT_EQ(SheetLines(record, 6)[6],
              "   -10.25      Camber (deg)      -0.25      2nd Gear:  5.471:1");
}

} // namespace
} // namespace kvq
