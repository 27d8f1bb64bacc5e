#include "setup/GroupCopy.h"

#include "TestFiles.h"
#include "base/Utils.h"

#include <gtest/gtest.h>

namespace kvq {
namespace {

// A setup whose every byte after the magic is fill, so each moved byte shows.
SetupRecord Filled(std::uint8_t fill) {
    SetupRecord record;
    auto& bytes = record.MutableBytes();
    bytes.fill(fill);
    bytes[0] = 'P', bytes[1] = 'G', bytes[2] = 'T', bytes[3] = 'S';
    return record;
}

TSetup Target() {
    TSetup target;
    target.FileName = "/setups/target.lo3";
    target.Record = Filled(0xAA);
    target.GearboxKind = 4;
    return target;
}

TEST(GroupCopyTest, ExactlyTheGroupsBytesMove) {
    struct Row {
        const char* name;
        bool (*copy)(TSetup&, const std::string&, Waiting);
        std::vector<std::pair<std::size_t, std::size_t>> moved; // first, last byte
    };
    const Row rows[] = {
        {"gearbox", &CopyGearboxFromFile, {{12, 91}, {244, 247}}},
        {"chassis", &CopyChassisFromFile, {{92, 171}, {204, 243}, {248, 259}}},
    };
    test::TempDir dir;
    const std::string source = dir.File("source.br1");
    WriteSetupFile(source, Filled(0x55));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        TSetup target = Target();
        ASSERT_TRUE(row.copy(target, source, Waiting::Never));
        for (std::size_t i = 0; i < SetupRecord::kSize; ++i) {
            bool inGroup = false;
            for (auto [first, last] : row.moved) inGroup = inGroup || (i >= first && i <= last);
            EXPECT_EQ(target.Record.ToBytes()[i], inGroup ? 0x55 : (i < 4 ? "PGTS"[i] : 0xAA))
                << "byte " << i;
        }
        EXPECT_EQ(target.FileName, "/setups/target.lo3");
        EXPECT_EQ(target.GearboxKind, 4);
        EXPECT_FALSE(target.Changed);
    }
}

TEST(GroupCopyTest, AMissingSourceCopiesNothing) {
    test::TempDir dir;
    TSetup target = Target();
    EXPECT_FALSE(CopyGearboxFromFile(target, dir.File("gone.br1")));
    EXPECT_FALSE(CopyChassisFromFile(target, dir.File("gone.br1")));
    EXPECT_EQ(target.Record, Target().Record);
}

TEST(GroupCopyTest, ASourceThatIsNoSetupLeavesTheTargetAndSaysSo) {
    test::TempDir dir;
    test::WriteText(dir.File("notes.br1"), std::string(264, 'x'));
    TSetup target = Target();
    try {
        CopyChassisFromFile(target, dir.File("notes.br1"));
        ADD_FAILURE() << "no error";
    } catch (const KvqError& e) {
        EXPECT_STREQ(e.what(), "notes.br1: Invalid file type");
    }
    EXPECT_EQ(target.Record, Target().Record);
}

} // namespace
} // namespace kvq
