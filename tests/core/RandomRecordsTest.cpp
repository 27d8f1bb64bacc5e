// Many generated records, in and out of limits, through reading, normalising and the sheet.

#include "TestFiles.h"
#include "edit/FieldTable.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"
#include "setup/SetupDocument.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <random>
#include <set>

namespace kvq {
namespace {

// Slots that Normalise may write: every editable value's slot, partner and index slots.
std::set<int> EditableSlots() {
    std::set<int> slots;
    const LimitTables& t = BuiltInLimits();
    for (const auto& r : t.Integer) slots.insert(r.Slot);
    for (const auto& r : t.Real) slots.insert(r.Slot);
    for (const auto& r : t.List) slots.insert({r.ValueSlot, r.IndexSlot});
    return slots;
}

// A record with magic and a mix of plausible values, values far out of limits, NaN and noise.
SetupRecord RandomRecord(std::mt19937& rng) {
    SetupRecord record = ImportTemplate();
    std::uniform_int_distribution<int> byte(0, 255), pick(0, 5);
    for (std::size_t i = 4; i < SetupRecord::kSize; ++i)
        if (pick(rng) == 0) record.MutableBytes()[i] = static_cast<std::uint8_t>(byte(rng));
    std::uniform_real_distribution<float> wide(-500.0f, 500.0f);
    for (int slot : EditableSlots()) {
        switch (pick(rng)) {
        case 0: record.SetFloat(slot, wide(rng)); break;
        case 1: record.SetFloat(slot, std::nanf("")); break;
        case 2: record.SetInt(slot, std::uniform_int_distribution<int>(-200, 200)(rng)); break;
        case 3: record.SetWord(slot, static_cast<std::uint32_t>(rng())); break;
        default: break;
        }
    }
    return record;
}

void ExpectWithinLimits(const SetupRecord& r, const CurrentLimits& limits) {
    const LimitTables& t = limits.Tables();
    for (const auto& row : t.Integer) {
        EXPECT_GE(r.Int(row.Slot), row.MinValue);
        EXPECT_LE(r.Int(row.Slot), row.MaxValue);
    }
    for (const auto& row : t.Real) {
        EXPECT_GE(r.Float(row.Slot), row.MinValue) << row.Slot;
        EXPECT_LE(r.Float(row.Slot), row.MaxValue) << row.Slot;
    }
    for (const auto& row : t.List) {
        if (row.Kind == ListKind::RampPairList) continue;
        const int index = r.Int(row.IndexSlot);
        EXPECT_GE(index, row.MinIndex);
        EXPECT_LE(index, row.MaxIndex);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(r.Float(row.ValueSlot)),
                  std::bit_cast<std::uint32_t>(ExactRatio(index)));
    }
    if (limits.BuiltInInForce()) {
        const RampPair pair{r.Get(field::RampAngle1), r.Get(field::RampAngle2)};
        EXPECT_EQ(RampAnglePair(RampPairIndex(pair.angle1, pair.angle2)), pair);
    }
}

TEST(RandomRecordsTest, NormaliseHoldsItsPropertiesUnderBothLimitSets) {
    std::mt19937 rng(20261208);
    const CurrentLimits builtIn;
    CurrentLimits fileLimits;
    fileLimits.SetFileLimits(ParseLimits("2,10,40,2\n4,1,60\n11,2,7\n44,20,90,5\n").Tables);
    fileLimits.SelectFileLimits();
    const std::set<int> editable = EditableSlots();
    for (int i = 0; i < 500; ++i) {
        const SetupRecord original = RandomRecord(rng);
        for (const CurrentLimits* limits :
             std::array<const CurrentLimits*, 2>{&builtIn, &fileLimits}) {
            SetupRecord record = original;
            Normalise(record, *limits);
            ExpectWithinLimits(record, *limits);
            for (int slot = 1; slot <= SetupRecord::kSlotCount; ++slot)
                if (!editable.contains(slot)) {
                    EXPECT_EQ(record.Word(slot), original.Word(slot)) << slot;
                }
            SetupRecord again = record;
            Normalise(again, *limits);
            EXPECT_EQ(again, record) << "normalising twice changes nothing";
            EXPECT_EQ(SheetLines(record, 4 + i % 3).size(), 25u);
        }
        if (HasFailure()) break;
    }
}

TEST(RandomRecordsTest, FilesOfAnyLengthAndNameReadNormaliseAndWriteBack) {
    std::mt19937 rng(7);
    test::TempDir dir;
    const char* names[] = {"a.br1", "a.fe2",     "a.lo3", "a.BR1",
                           "noext", "a.b.c.mu3", "a.",    "x.br13"};
    for (int i = 0; i < 300; ++i) {
        const SetupRecord source = RandomRecord(rng);
        const auto& all = source.ToBytes();
        const std::size_t length = std::uniform_int_distribution<std::size_t>(4, 320)(rng);
        std::vector<std::uint8_t> bytes(all.begin(), all.begin() + std::min(length, all.size()));
        bytes.resize(length, 0x5A);
        const std::string path = dir.File(names[i % std::size(names)]);
        test::WriteBytes(path, bytes);

        TSetup setup;
        ASSERT_TRUE(LoadSetup(setup, path));
        EXPECT_EQ(setup.GearboxKind, GearboxKindFromFileName(path));
        Normalise(setup.Record, CurrentLimits{});
        EXPECT_FALSE(setup.Changed);
        EXPECT_EQ(SheetLines(setup).size(), 25u);

        // A normalised record read back and normalised again is written back unchanged.
        WriteSetupFile(path, setup.Record);
        TSetup reread;
        ASSERT_TRUE(LoadSetup(reread, path));
        Normalise(reread.Record, CurrentLimits{});
        EXPECT_EQ(reread.Record, setup.Record);
        const auto written = test::ReadBytes(path);
        EXPECT_EQ(written.size(), SetupRecord::kSize);
        if (HasFailure()) break;
    }
}

} // namespace
} // namespace kvq
