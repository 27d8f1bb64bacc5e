#include "setup/SetupRecord.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace kvq {
namespace {

TEST(SetupRecordTest, SlotsAreLittleEndianWords) {
    SetupRecord record;
    record.SetInt(15, 0x01020304);
    EXPECT_EQ(record.ToBytes()[56], 0x04);
    EXPECT_EQ(record.ToBytes()[59], 0x01);
    record.SetFloat(field::DiffRatio.slot, 3.1f);
    EXPECT_EQ(record.ToBytes()[44], 0x66);
    EXPECT_EQ(record.ToBytes()[47], 0x40);
    EXPECT_EQ(record.Get(field::DiffRatio), 3.1f);
    record.SetInt(66, -1);
    EXPECT_EQ(record.SymmetricFlag(), 0xFF);
    EXPECT_EQ(record.Int(66), -1);
}

TEST(SetupRecordTest, FromBytesZeroPadsAndIgnoresTheRest) {
    std::vector<std::uint8_t> data(300, 0xAB);
    const SetupRecord full = SetupRecord::FromBytes(data);
    EXPECT_EQ(full.ToBytes().back(), 0xAB);
    const SetupRecord shortRecord = SetupRecord::FromBytes(std::span(data.data(), 10));
    EXPECT_EQ(shortRecord.ToBytes()[9], 0xAB);
    EXPECT_EQ(shortRecord.ToBytes()[10], 0);
    EXPECT_EQ(shortRecord.ToBytes()[263], 0);
}

TEST(SetupRecordTest, MagicIsExactlyPGTS) {
    struct Row {
        std::string start;
        bool valid;
    };
    const Row rows[] = {{"PGTS", true}, {"pgts", false}, {"PGTs", false}, {"QGTS", false},
                        {"PGT", false}, {"", false},     {"PGTSX", true}};
    for (const Row& row : rows) {
        std::vector<std::uint8_t> data(row.start.begin(), row.start.end());
        EXPECT_EQ(SetupRecord::FromBytes(data).HasMagic(), row.valid) << row.start;
    }
}

TEST(SetupRecordTest, GearboxKindFromFileName) {
    struct Row {
        const char* name;
        int kind;
    };
    // clang-format off
    const Row rows[] = {
        {"x.lo3", 4},  {"x.br1", 6},      {"x.br3", 4},        {"x.fe2", 5},
        {"x.BR1", 5},  {"x.br", 5},       {"x", 5},            {"x.br13", 6},
        {"x.ab3x", 4}, {"/a.br1/x", 5},   {"/setups/x.br1", 6}, {"x.b", 5},
        {".br1", 6},   {"x.tar.fe3", 4},  {"", 5},             {"x.", 5},
    };
    // clang-format on
    for (const Row& row : rows) EXPECT_EQ(GearboxKindFromFileName(row.name), row.kind) << row.name;
}

TEST(RecordLayoutTest, CoversEveryByteOnceInOrder) {
    std::size_t next = 0;
    for (const LayoutEntry& entry : RecordLayout()) {
        EXPECT_EQ(entry.offset, next) << entry.name;
        next = entry.offset + entry.width;
    }
    EXPECT_EQ(next, SetupRecord::kSize);
}

TEST(RecordLayoutTest, NamedSlotsMatchTheLayout) {
    std::map<std::string, std::size_t> offsets;
    for (const LayoutEntry& entry : RecordLayout()) offsets[std::string(entry.name)] = entry.offset;
    auto offsetOf = [](int slot) { return static_cast<std::size_t>(slot - 1) * 4; };
    using namespace field;
    EXPECT_EQ(offsets["GearRatio1"], offsetOf(GearRatio1.slot));
    EXPECT_EQ(offsets["DiffIndex"], offsetOf(DiffIndex.slot));
    EXPECT_EQ(offsets["RampAngle2"], offsetOf(RampAngle2.slot));
    EXPECT_EQ(offsets["RampAngle1"], offsetOf(RampAngle1.slot));
    EXPECT_EQ(offsets["CamberRR"], offsetOf(CamberRR.slot));
    EXPECT_EQ(offsets["BumpRubberFL"], offsetOf(BumpRubberFL.slot));
    EXPECT_EQ(offsets["Clutches"], offsetOf(Clutches.slot));
    EXPECT_EQ(offsets["Fuel"], offsetOf(Fuel.slot));
    EXPECT_EQ(offsets["SteeringRatio"], offsetOf(SteeringRatio.slot));
    EXPECT_EQ(offsets["FrontBrakeBias"], offsetOf(FrontBrakeBias.slot));
    EXPECT_EQ(offsets["SymmetricFlag"], SymmetricFlagOffset);
}

TEST(FieldGroupsTest, GroupsAreDisjointAndLeaveTheUninterpretedBytesAlone) {
    std::vector<int> owner(SetupRecord::kSize, 0);
    for (const ByteRange& r : GearboxGroup())
        for (std::size_t i = r.first; i <= r.last; ++i) owner[i] += 1;
    for (const ByteRange& r : ChassisGroup())
        for (std::size_t i = r.first; i <= r.last; ++i) owner[i] += 2;
    for (std::size_t i = 0; i < SetupRecord::kSize; ++i) {
        const bool inNeither = i < 12 || (i >= 172 && i < 204) || i >= 260;
        if (inNeither)
            EXPECT_EQ(owner[i], 0) << i;
        else
            EXPECT_TRUE(owner[i] == 1 || owner[i] == 2) << i;
    }
    EXPECT_EQ(owner[244], 1); // Clutches travel with the gearbox
    EXPECT_EQ(owner[248], 2); // Fuel with the chassis
}

} // namespace
} // namespace kvq
