#include "edit/FieldEdit.h"

#include "base/Utils.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

namespace kvq {
namespace {

using namespace field;

CurrentLimits FileLimits(std::string_view text) {
    CurrentLimits limits;
    limits.SetFileLimits(ParseLimits(text).Tables);
    limits.SelectFileLimits();
    return limits;
}

// The example setup within the built-in limits: both sides' cambers differ, the sides are coupled.
SetupRecord Base(std::uint8_t symmetricFlag = 1) {
    SetupRecord record = ImportTemplate();
    Normalise(record, CurrentLimits{});
    record.SetSymmetricFlag(symmetricFlag);
    return record;
}

std::string_view NameOfSlot(int slot) {
    for (const LayoutEntry& entry : RecordLayout())
        if (entry.width == 4 && entry.Slot() == slot) return entry.name;
    ADD_FAILURE() << "no field at slot " << slot;
    return {};
}

TEST(SetNamedFieldTest, StoresAsAnEditDoes) {
    const CurrentLimits builtIn;
    const CurrentLimits file = FileLimits("");
    const CurrentLimits bumpFixed = FileLimits("7,3,3\n");
    const CurrentLimits fuelTo40 = FileLimits("4,1,40\n");
    const CurrentLimits wideThird = FileLimits("17,-10,150\n");
    const CurrentLimits firstGearFixed = FileLimits("11,4,4\n");
    struct Row {
        const char* what;
        const char* name;
        const char* text;
        std::uint8_t flag;
        const CurrentLimits* limits;
        std::function<void(SetupRecord&)> expect; // what changes in the base record
    };
    const Row rows[] = {
        {"integer clamped, partner follows", "BumpFL", "9", 1, &builtIn,
         [](SetupRecord& r) { r.Set(BumpFL, 5), r.Set(BumpFR, 5); }},
        {"partner stays while asymmetric", "BumpFL", "9", 0, &builtIn,
         [](SetupRecord& r) { r.Set(BumpFL, 5); }},
        {"a flag of 2 couples nothing", "ReboundRR", "1", 2, &builtIn,
         [](SetupRecord& r) { r.Set(ReboundRR, 1); }},
        {"partner brought in line by its own value", "CamberFL", "-0.75", 1, &builtIn,
         [](SetupRecord& r) { r.Set(CamberFR, -0.75f); }},
        {"the same value changes nothing", "Fuel", "43", 1, &builtIn, [](SetupRecord&) {}},
        {"real clamped to the minimum", "TyrePressureRR", "3", 0, &builtIn,
         [](SetupRecord& r) { r.Set(TyrePressureRR, 16.0f); }},
        {"name in any case, value as given", "fUEL", " 20.7 ", 1, &builtIn,
         [](SetupRecord& r) { r.Set(Fuel, 20.7f); }},
        {"beyond single range", "Fuel", "1e300", 1, &builtIn,
         [](SetupRecord& r) { r.Set(Fuel, 46.0f); }},
        {"negative zero is stored as zero", "RollBarRear", "-0", 1, &builtIn,
         [](SetupRecord& r) { r.Set(RollBarRear, 0.0f); }},
        {"gear index within its range, exact ratio", "GearIndex1", "12", 1, &builtIn,
         [](SetupRecord& r) { r.Set(GearIndex1, 9), r.Set(GearRatio1, ExactRatio(9)); }},
        {"differential index", "DiffIndex", "0", 1, &builtIn,
         [](SetupRecord& r) { r.Set(DiffIndex, 86), r.Set(DiffRatio, ExactRatio(86)); }},
        {"ramp angle goes to its pair", "RampAngle1", "50", 1, &builtIn,
         [](SetupRecord& r) { r.Set(RampAngle1, 45.0f); }},
        {"ramp angle 75 counts as 85", "RampAngle2", "75", 1, &builtIn,
         [](SetupRecord& r) { r.Set(RampAngle2, 85.0f); }},
        {"ramp angle alone under file limits", "RampAngle1", "50", 1, &file,
         [](SetupRecord& r) { r.Set(RampAngle1, 50.0f); }},
        {"ramp angle clamped under file limits", "RampAngle2", "100", 1, &file,
         [](SetupRecord& r) { r.Set(RampAngle2, 85.0f); }},
        {"file limits clamp", "Fuel", "45", 1, &fuelTo40,
         [](SetupRecord& r) { r.Set(Fuel, 40.0f); }},
        {"equal limits keep their one value", "BumpFL", "9", 0, &bumpFixed,
         [](SetupRecord& r) { r.Set(BumpFL, 3); }},
        {"list bounds beyond the table", "GearIndex3", "200", 1, &wideThird,
         [](SetupRecord& r) { r.Set(GearIndex3, 89), r.Set(GearRatio3, ExactRatio(89)); }},
        {"one-entry list keeps its entry", "GearIndex1", "40", 1, &firstGearFixed,
         [](SetupRecord& r) { r.Set(GearIndex1, 4), r.Set(GearRatio1, ExactRatio(4)); }},
        {"one-entry list keeps its entry from below", "GearIndex1", "-3", 1, &firstGearFixed,
         [](SetupRecord& r) { r.Set(GearIndex1, 4), r.Set(GearRatio1, ExactRatio(4)); }},
        {"symmetric flag off", "SymmetricFlag", "0", 1, &builtIn,
         [](SetupRecord& r) { r.SetSymmetricFlag(0); }},
        {"symmetric flag beyond 1 is 1", "SymmetricFlag", "7", 2, &builtIn,
         [](SetupRecord& r) { r.SetSymmetricFlag(1); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetupRecord record = Base(row.flag);
        SetupRecord expected = record;
        row.expect(expected);
        const bool changed = SetNamedField(record, row.name, row.text, *row.limits).Changed;
        EXPECT_EQ(record, expected);
        EXPECT_EQ(changed, expected != Base(row.flag));
    }
}

TEST(SetNamedFieldTest, AnUnchangedIndexLeavesEvenADisagreeingRatio) {
    SetupRecord record = Base();
    record.Set(GearRatio2, 2.0f);
    const SetupRecord before = record;
    EXPECT_FALSE(
        SetNamedField(record, "GearIndex2", std::to_string(record.Get(GearIndex2)), {}).Changed);
    EXPECT_EQ(record, before);
}

TEST(SetNamedFieldTest, RefusesAndLeavesTheRecord) {
    struct Row {
        const char* name;
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"Foo", "1", "Foo: no such field"},
        {"Fuel ", "1", "Fuel : no such field"},
        {"Reserved04", "1", "Reserved04: not a field an edit changes"},
        {"Magic", "PGTS", "Magic: not a field an edit changes"},
        {"Reserved261", "0", "Reserved261: not a field an edit changes"},
        {"GearRatio1", "2.5", "GearRatio1: follows GearIndex1, set that instead"},
        {"diffratio", "3.1", "DiffRatio: follows DiffIndex, set that instead"},
        {"BumpFL", "3.5", "BumpFL: \"3.5\" is not an integer"},
        {"GearIndex1", "", "GearIndex1: \"\" is not an integer"},
        {"FrontBrakeBias", "99999999999", "FrontBrakeBias: \"99999999999\" is not an integer"},
        {"SymmetricFlag", "yes", "SymmetricFlag: \"yes\" is not an integer"},
        {"Fuel", "lots", "Fuel: \"lots\" is not a number"},
        {"Fuel", "nan", "Fuel: \"nan\" is not a number"},
        {"RampAngle1", "0x1e", "RampAngle1: \"0x1e\" is not a number"},
    };
    for (const Row& row : rows) {
        SetupRecord record = Base();
        try {
            SetNamedField(record, row.name, row.text, {});
            ADD_FAILURE() << row.message << ": no error";
        } catch (const KvqError& e) {
            EXPECT_STREQ(e.what(), row.message);
        }
        EXPECT_EQ(record, Base()) << row.message;
    }
}

// Whatever the table says a field edits, its record name reaches: each integer and real value
// goes to its maximum and minimum, each list index to its bounds with the exact ratio.
TEST(SetNamedFieldTest, EveryFieldOfTheTableIsReachedByItsName) {
    const CurrentLimits limits = FileLimits(""); // the ramp angles on their own
    const LimitTables& tables = limits.Tables();
    for (int field = 1; field <= kFieldCount; ++field) {
        SCOPED_TRACE(field);
        SetupRecord record = Base(0);
        const FieldEntry& entry = FieldTableEntry(field);
        if (entry.Kind == FieldKind::IntegerField) {
            const IntegerLimit& row = tables.IntegerRow(entry.Index);
            SetNamedField(record, NameOfSlot(row.Slot), "1000000", limits);
            EXPECT_EQ(record.Int(row.Slot), row.MaxValue);
            SetNamedField(record, NameOfSlot(row.Slot), "-1000000", limits);
            EXPECT_EQ(record.Int(row.Slot), row.MinValue);
        } else if (entry.Kind == FieldKind::RealField) {
            const RealLimit& row = tables.RealRow(entry.Index);
            SetNamedField(record, NameOfSlot(row.Slot), "1e6", limits);
            EXPECT_EQ(record.Float(row.Slot), row.MaxValue);
            SetNamedField(record, NameOfSlot(row.Slot), "-1e6", limits);
            EXPECT_EQ(record.Float(row.Slot), row.MinValue);
        } else if (entry.Kind == FieldKind::ListField && field != kRampPairField) {
            const ListLimit& row = tables.ListRow(entry.Index);
            for (const auto& [text, index] :
                 {std::pair{"1000", row.MaxIndex}, {"-1000", row.MinIndex}}) {
                SetNamedField(record, NameOfSlot(row.IndexSlot), text, limits);
                EXPECT_EQ(record.Int(row.IndexSlot), index);
                EXPECT_EQ(record.Float(row.ValueSlot), ExactRatio(index));
            }
        }
    }
}

TEST(StoreEditTest, RampPairListWritesBothAnglesWithinTheTable) {
    const LimitTables& tables = BuiltInLimits();
    SetupRecord record = Base();
    EXPECT_TRUE(StoreEdit(record, kRampPairField, 16, tables));
    EXPECT_EQ((RampPair{record.Get(RampAngle1), record.Get(RampAngle2)}), (RampPair{85.0f, 85.0f}));
    EXPECT_FALSE(StoreEdit(record, kRampPairField, 16, tables));
    EXPECT_TRUE(StoreEdit(record, kRampPairField, -4, tables));
    EXPECT_EQ((RampPair{record.Get(RampAngle1), record.Get(RampAngle2)}), (RampPair{30.0f, 30.0f}));
}

TEST(ListIndexBoundsTest, BoundsStayWithinTheirTable) {
    const ListLimit gear{5, 53, 6, ListKind::GearList, -5, 120, 6, 15};
    const ListLimit pairs{13, 56, 5, ListKind::RampPairList, 0, 20, 23, 22};
    EXPECT_EQ(ListIndexBounds(gear), (std::pair{0, 89}));
    EXPECT_EQ(ListIndexBounds(pairs), (std::pair{1, 16}));
    EXPECT_EQ(ListIndexBounds(BuiltInLimits().ListRow(2)), (std::pair{10, 24}));
}

// The editor a double click opens: where it stands, what it allows and what it starts with.
TEST(EditorTest, DescribesEachKindOfField) {
    using enum FieldKind;
    const SetupRecord record = Base();
    const LimitTables fileTables = FileLimits("44,30,85,5\n").Tables();
    struct Row {
        const char* what;
        int field;
        const LimitTables* tables;
        EditorDescription expected;
    };
    // clang-format off
    const Row rows[] = {
        {"a real", 1, &BuiltInLimits(), {RealField, {1, 59, 2}, 7, 20, 1, 0, 16}},
        {"a real with decimals", 12, &BuiltInLimits(), {RealField, {6, 3, 5}, -5, 2, 0.25, 2, -0.75}},
        {"an integer", 7, &BuiltInLimits(), {IntegerField, {4, 6, 1}, 1, 5, 1, 0, 2}},
        {"a gear list", 11, &BuiltInLimits(), {ListField, {5, 53, 6}, 0, 9, 1, 0, 6, ListKind::GearList}},
        {"the differential list", 25, &BuiltInLimits(),
         {ListField, {12, 56, 5}, 86, 89, 1, 0, 89, ListKind::DiffList}},
        {"the ramp pair list", 27, &BuiltInLimits(),
         {ListField, {13, 56, 5}, 1, 16, 1, 0, 4, ListKind::RampPairList}},
        {"a ramp angle stepping by 15", 44, &BuiltInLimits(),
         {RealField, {13, 56, 2}, 30, 85, 15, 0, 85, ListKind::GearList, true}},
        {"a ramp angle with another step", 44, &fileTables, {RealField, {13, 56, 2}, 30, 85, 5, 0, 85}},
        {"the toggle", 43, &BuiltInLimits(), {ToggleField, {22, 57, 1}}},
    };
    // clang-format on
    for (const Row& row : rows)
        EXPECT_EQ(DescribeEditor(row.field, record, *row.tables), row.expected) << row.what;
}

TEST(EditorTest, ListTextsAreTheSheetsAndRampAnglesStepOverTheGaps) {
    const SetupRecord record = Base();
    EXPECT_EQ(ListItemText(ListKind::GearList, 6, record), " 7.853") << "times the differential";
    EXPECT_EQ(ListItemText(ListKind::DiffList, 89, record), "3.100");
    EXPECT_EQ(ListItemText(ListKind::RampPairList, 4, record), "85/30");
    EXPECT_EQ(ListItemText(ListKind::RampPairList, 5, record), "30/45");

    const std::pair<RampAngleStop, RampAngleStop> steps[] = {
        {{75, 15}, {85, 25}}, {{35, 25}, {45, 15}}, {{70, 25}, {60, 25}},
        {{60, 15}, {60, 15}}, {{85, 25}, {85, 25}}, {{30, 15}, {30, 15}},
    };
    for (const auto& [from, to] : steps)
        EXPECT_EQ(RampAngleStep(from.Value, from.Increment), to) << from.Value;
}

TEST(SettableFieldNamesTest, EveryEditedFieldInFileOrder) {
    const std::set<std::string_view> noEdit = {
        "Magic",         "Reserved04",    "Reserved08",  "GearboxData12",
        "GearboxData16", "GearRatio1",    "GearRatio2",  "GearRatio3",
        "GearRatio4",    "GearRatio5",    "GearRatio6",  "DiffRatio",
        "GearboxData48", "GearboxData52", "Reserved172", "Reserved261"};
    std::vector<std::string_view> expected;
    for (const LayoutEntry& entry : RecordLayout())
        if (!noEdit.contains(entry.name)) expected.push_back(entry.name);
    EXPECT_EQ(SettableFieldNames(), expected);
    EXPECT_EQ(expected.size(), 44u);
}

// What an editor's tip says of its range, for each kind of value.
TEST(RangeTextTest, TellsTheRangeAndStepInForce) {
    const SetupRecord record = Base();
    struct Row {
        int field;
        const char* limits;
        const char* text;
    };
    const Row rows[] = {
        {4, "", "Fuel: 1 to 46 gallons, step 1"},
        {12, "", "Camber FL: -5.00 to 2.00 deg, step 0.25"},
        {7, "", "Bump FL: 1 to 5, step 1"},
        {24, "", "Front Brake Bias: 0 to 100%, step 1"},
        {11, "", "1st Gear: 10.969:1 to 7.086:1, 10 ratios"},
        {27, "", "Ramp Angles: 30/30 to 85/85, 16 pairs"},
        {43, "", "Asymmetrical: Y or N"},
        {1, "", "Steering Ratio: 7:1 to 20:1, step 1"},
        {4, "4,40,40", "Fuel: always 40 gallons"},
    };
    for (const Row& row : rows) {
        const CurrentLimits limits = *row.limits ? FileLimits(row.limits) : CurrentLimits{};
        EXPECT_EQ(RangeText(row.field, record, limits.Tables()), row.text);
    }
}

// A value beyond its limits is told where it went; one within them, or a ramp angle moved to
// its pair, is not.
TEST(SetNamedFieldTest, TellsAValueClampedToItsLimits) {
    struct Row {
        const char* name;
        const char* text;
        std::optional<std::string> notice;
    };
    const Row rows[] = {
        {"Fuel", "50", "Fuel: 50 is above the limit, set to 46"},
        {"tyrepressurefl", "9", "TyrePressureFL: 9 is below the limit, set to 16"},
        {"GearIndex1", "50", "GearIndex1: 50 is above the limit, set to 9"},
        {"SymmetricFlag", "7", "SymmetricFlag: 7 is above the limit, set to 1"},
        {"RampAngle1", "200", "RampAngle1: 200 is above the limit, set to 85"},
        {"RampAngle1", "50", std::nullopt},
        {"Fuel", "46", std::nullopt},
    };
    for (const Row& row : rows) {
        SetupRecord record = Base();
        EXPECT_EQ(SetNamedField(record, row.name, row.text, {}).Clamped, row.notice) << row.text;
    }
}

} // namespace
} // namespace kvq
