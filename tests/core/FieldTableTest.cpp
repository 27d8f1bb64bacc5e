#include "edit/FieldTable.h"

#include "edit/FieldNames.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace kvq {
namespace {

CurrentLimits FileLimits(std::string_view text = "") {
    CurrentLimits limits;
    limits.SetFileLimits(ParseLimits(text).Tables);
    limits.SelectFileLimits();
    return limits;
}

// x, y of the middle of a character cell.
int X(int column, const CellMetrics& m = kNormalMetrics) { return column * m.CharWidth + 1; }
int Y(int row, const CellMetrics& m = kNormalMetrics) { return row * m.LineHeight + 1; }

TEST(FieldAtTest, Table) {
    const CurrentLimits builtIn;
    const CurrentLimits file = FileLimits();
    struct Row {
        const char* name;
        int x, y, kind;
        const CurrentLimits* limits;
        int field;
    };
    const Row rows[] = {
        {"steering ratio", 413, 15, 6, &builtIn, 1},
        {"y 14 is still line 0", 413, 14, 6, &builtIn, 0},
        {"one column beyond the digits", 427, 15, 6, &builtIn, 1},
        {"two columns beyond", 434, 15, 6, &builtIn, 0},
        {"ramp pair while KVQ Default", X(57), Y(13), 6, &builtIn, 27},
        {"first ramp angle with file limits", X(57), Y(13), 6, &file, 44},
        {"ramp pair, last column", X(60), Y(13), 6, &builtIn, 27},
        {"second ramp angle with file limits", X(60), Y(13), 6, &file, 45},
        {"5th gear on a four-speed", X(53), Y(9), 4, &builtIn, 0},
        {"5th gear on a five-speed", X(53), Y(9), 5, &builtIn, 20},
        {"5th gear on a six-speed", X(53), Y(9), 6, &builtIn, 20},
        {"6th gear on a five-speed", X(53), Y(10), 5, &builtIn, 0},
        {"6th gear on a six-speed", X(53), Y(10), 6, &builtIn, 22},
        {"front roll bar beside 6th gear line", X(25), Y(10), 4, &builtIn, 21},
        {"label text", X(15), Y(2), 6, &builtIn, 0},
        {"empty line", X(5), Y(16), 6, &builtIn, 0},
        {"asymmetry letter", X(57), Y(22), 6, &builtIn, 43},
        {"rear bump rubber", X(33), Y(22), 6, &builtIn, 42},
        {"fuel", X(50), Y(2), 6, &builtIn, 4},
        {"left of the view", -3, Y(1), 6, &builtIn, 0},
        {"above the view", 413, -5, 6, &builtIn, 0},
        {"below the sheet", X(5), Y(40), 6, &builtIn, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FieldAt(row.x, row.y, row.kind, kNormalMetrics, *row.limits), row.field)
            << row.name;
}

TEST(FieldAtTest, LargeFontMetrics) {
    const CurrentLimits limits;
    EXPECT_EQ(FieldAt(59 * 9, 17, 6, kLargeMetrics, limits), 1);
    EXPECT_EQ(FieldAt(59 * 9, 16, 6, kLargeMetrics, limits), 0);
    EXPECT_EQ(FieldAt(X(6, kLargeMetrics), Y(4, kLargeMetrics), 6, kLargeMetrics, limits), 7);
}

// Every field's cell holds that field's printed value on the sheet: the table and the sheet
// agree on where each value stands.
TEST(FieldTableTest, CellsLieOverTheirPrintedValues) {
    SetupRecord record = ImportTemplate();
    Normalise(record, CurrentLimits{});
    const auto lines = SheetLines(record, 6);
    for (int field = 1; field <= kFieldCount; ++field) {
        const SheetCell cell = CellOfField(field, BuiltInLimits());
        const std::string& line = lines.at(static_cast<std::size_t>(cell.Row));
        ASSERT_LE(static_cast<std::size_t>(cell.Col + cell.Width), line.size()) << field;
        const std::string value =
            line.substr(static_cast<std::size_t>(cell.Col), static_cast<std::size_t>(cell.Width));
        EXPECT_NE(std::string(" /").find(line[static_cast<std::size_t>(cell.Col - 1)]),
                  std::string::npos)
            << field;
        const auto after = static_cast<std::size_t>(cell.Col + cell.Width);
        if (after < line.size()) {
            EXPECT_NE(std::string(" :/%").find(line[after]), std::string::npos) << field;
        }
        // Right-aligned values may start with blanks; the rest is the value itself.
        const std::string printed = value.substr(value.find_first_not_of(' ') == std::string::npos
                                                     ? value.size()
                                                     : value.find_first_not_of(' '));
        EXPECT_FALSE(printed.empty()) << field;
        EXPECT_EQ(printed.find_first_not_of("0123456789.-/YN"), std::string::npos)
            << "field " << field << " '" << value << "'";
        // The field's name is the label on its line, with its wheel (front or rear half, left
        // or right column) or axle.
        const std::string name(FieldName(field));
        const std::size_t space = name.rfind(' ');
        const std::string last = name.substr(space + 1);
        const bool wheel = last.size() == 2 && (last[0] == 'F' || last[0] == 'R') &&
                           (last[1] == 'L' || last[1] == 'R');
        if (wheel) {
            EXPECT_EQ(last[0] == 'F', cell.Row < 16) << name;
            EXPECT_EQ(last[1] == 'L', cell.Col < 30) << name;
        }
        const bool qualified =
            wheel || last == "Front" || last == "Rear" || last == "(first)" || last == "(second)";
        EXPECT_NE(line.find(qualified ? name.substr(0, space) : name), std::string::npos) << name;
    }
}

TEST(FieldTableTest, TheSheetPrintsEachValueInItsFieldsCell) {
    // Of each gearbox kind, every value printed stands in the cell of the field that edits it,
    // the ramp angles in theirs rather than the pair's; the gears a sheet leaves out print none.
    for (const int kind : {4, 5, 6}) {
        SCOPED_TRACE(kind);
        std::vector<SheetCell> fields;
        for (int field = 1; field <= kFieldCount; ++field) {
            if (field == kRampPairField || (field == kFifthGearField && kind < 5) ||
                (field == kSixthGearField && kind < 6))
                continue;
            fields.push_back(CellOfField(field, BuiltInLimits()));
        }
        std::ranges::sort(fields, {}, [](const SheetCell& c) { return std::pair(c.Row, c.Col); });
        EXPECT_EQ(PrintSheet(ImportTemplate(), kind).Values, fields);
    }
}

TEST(NormaliseTest, GearIndexWinsOverStoredRatio) {
    SetupRecord record = ImportTemplate();
    record.Set(field::GearIndex1, 12);
    record.Set(field::GearRatio2, 9.99f);
    Normalise(record, CurrentLimits{});
    EXPECT_EQ(record.Get(field::GearIndex1), 9);
    EXPECT_EQ(record.Get(field::GearRatio1), 16.0f / 7.0f);
    EXPECT_EQ(record.Get(field::GearRatio2), ExactRatio(record.Get(field::GearIndex2)));
}

TEST(NormaliseTest, RampAnglesSnapToPairsOnlyUnderBuiltInLimits) {
    struct Row {
        float angle1, angle2;
        float builtIn1, builtIn2;
        float file1, file2;
    };
    const Row rows[] = {
        {50, 75, 45, 85, 50, 75},
        {89, 30, 85, 30, 85, 30},
        {0, 0, 30, 30, 30, 30},
        {std::nanf(""), 200, 30, 85, 30, 85},
    };
    for (const Row& row : rows) {
        SetupRecord a = ImportTemplate();
        a.Set(field::RampAngle1, row.angle1);
        a.Set(field::RampAngle2, row.angle2);
        SetupRecord b = a;
        Normalise(a, CurrentLimits{});
        Normalise(b, FileLimits());
        EXPECT_EQ(a.Get(field::RampAngle1), row.builtIn1) << row.angle1;
        EXPECT_EQ(a.Get(field::RampAngle2), row.builtIn2) << row.angle2;
        EXPECT_EQ(b.Get(field::RampAngle1), row.file1) << row.angle1;
        EXPECT_EQ(b.Get(field::RampAngle2), row.file2) << row.angle2;
    }
}

TEST(NormaliseTest, ClampsIntegersAndRealsNotANumberToMinimum) {
    SetupRecord record = ImportTemplate();
    record.Set(field::BumpFL, 9);
    record.Set(field::FrontBrakeBias, -4);
    record.Set(field::CamberFL, -10.25f);
    record.Set(field::Fuel, std::nanf(""));
    record.Set(field::SteeringRatio, std::numeric_limits<float>::infinity());
    record.SetSymmetricFlag(7);
    Normalise(record, CurrentLimits{});
    EXPECT_EQ(record.Get(field::BumpFL), 5);
    EXPECT_EQ(record.Get(field::FrontBrakeBias), 0);
    EXPECT_EQ(record.Get(field::CamberFL), -5.0f);
    EXPECT_EQ(record.Get(field::Fuel), 1.0f);
    EXPECT_EQ(record.Get(field::SteeringRatio), 20.0f);
    EXPECT_EQ(record.SymmetricFlag(), 7);
}

TEST(NormaliseTest, FileListBoundsBeyondTheTableNeverIndexOutside) {
    const CurrentLimits limits = FileLimits("11,-5,120\n25,80,200\n");
    SetupRecord record = ImportTemplate();
    record.Set(field::GearIndex1, 100);
    record.Set(field::DiffIndex, 95);
    Normalise(record, limits);
    EXPECT_EQ(record.Get(field::GearIndex1), 89);
    EXPECT_EQ(record.Get(field::GearRatio1), ExactRatio(89));
    EXPECT_EQ(record.Get(field::DiffIndex), 89);
    record.Set(field::GearIndex1, -3);
    Normalise(record, limits);
    EXPECT_EQ(record.Get(field::GearIndex1), 0);
}

TEST(NormaliseTest, FileLimitsApply) {
    const CurrentLimits limits = FileLimits("4,1,40\n7,1,9\n");
    SetupRecord record = ImportTemplate();
    record.Set(field::BumpFL, 8);
    Normalise(record, limits);
    EXPECT_EQ(record.Get(field::Fuel), 40.0f);
    EXPECT_EQ(record.Get(field::BumpFL), 8);
}

} // namespace
} // namespace kvq

namespace kvq {
namespace {

// The field cursor on a five-gear sheet under the built-in limits, and where a limits file frees
// the ramp angles and a four-gear sheet leaves out the 5th gear.
TEST(FieldCursorTest, MovesToTheNearestValueThatWay) {
    const CurrentLimits builtIn;
    CurrentLimits file;
    file.SetFileLimits(BuiltInLimits());
    file.SelectFileLimits();
    struct Row {
        int from;
        FieldMove move;
        int gearboxKind;
        const CurrentLimits* limits;
        int to;
    };
    const Row rows[] = {
        {1, FieldMove::Down, 5, &builtIn, 4},    // steering ratio to fuel, below it
        {4, FieldMove::Up, 5, &builtIn, 1},      // and back
        {4, FieldMove::Left, 5, &builtIn, 3},    // fuel to the right tyre pressure
        {3, FieldMove::Right, 5, &builtIn, 4},   //
        {1, FieldMove::Right, 5, &builtIn, 1},   // nothing right of the steering ratio
        {1, FieldMove::Up, 5, &builtIn, 1},      // nor above it
        {18, FieldMove::Down, 5, &builtIn, 20},  // 4th gear to 5th
        {18, FieldMove::Down, 4, &builtIn, 19},  // no 5th gear: the toe-in on its line
        {20, FieldMove::Down, 4, &builtIn, 1},   // a field the sheet lacks starts on the first
        {25, FieldMove::Down, 5, &builtIn, 27},  // diff ratio to the ramp angle pair
        {25, FieldMove::Down, 5, &file, 44},     // or to the first angle of its own
        {44, FieldMove::Right, 5, &file, 45},    //
        {12, FieldMove::First, 5, &builtIn, 1},  //
        {12, FieldMove::Last, 5, &builtIn, 43},  // the Y/N ends the sheet
        {42, FieldMove::Up, 5, &builtIn, 40},    //
        {42, FieldMove::Right, 5, &builtIn, 43}, //
    };
    for (const Row& row : rows)
        EXPECT_EQ(MoveFieldCursor(row.from, row.move, row.gearboxKind, *row.limits), row.to)
            << row.from << " move " << static_cast<int>(row.move);
    EXPECT_EQ(FieldsOnSheet(6, builtIn).size(), 43u); // 45 less the two angles of the pair
}

} // namespace
} // namespace kvq
