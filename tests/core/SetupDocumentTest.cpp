#include "setup/SetupDocument.h"

#include "FailingFileOps.h"
#include "SetupFiles.h"
#include "TestFiles.h"
#include "base/AtomicFile.h"
#include "base/Utils.h"
#include "setup/ImportTemplate.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <functional>

namespace kvq {
namespace {

using test::HiddenFiles;
using test::LoadError;
using test::ReadBytes;
using test::TempDir;
using test::TemplateBytes;
using test::WriteBytes;
using test::WriteError;

TEST(LoadSetupTest, ReadsRecordNameKindAndClearsChanged) {
    TempDir dir;
    const std::string path = dir.File("car.lo3");
    WriteBytes(path, TemplateBytes());
    TSetup setup;
    setup.Changed = true;
    ASSERT_TRUE(LoadSetup(setup, path));
    EXPECT_EQ(setup.FileName, path);
    EXPECT_EQ(setup.Record, ImportTemplate());
    EXPECT_EQ(setup.GearboxKind, 4);
    EXPECT_FALSE(setup.Changed);
}

TEST(LoadSetupTest, MissingFileIsFalseWithoutMessage) {
    TempDir dir;
    TSetup setup;
    EXPECT_FALSE(LoadSetup(setup, dir.File("gone.br1")));
}

TEST(LoadSetupTest, FailuresCarryTheExactMessages) {
    TempDir dir;
    auto bad = TemplateBytes();
    bad[0] = 'p';
    WriteBytes(dir.File("car.br3"), bad);
    EXPECT_EQ(LoadError(dir.File("car.br3")), "car.br3: Invalid file type");
    WriteBytes(dir.File("tiny.br1"), {'P', 'G', 'T'});
    EXPECT_EQ(LoadError(dir.File("tiny.br1")), "tiny.br1: Invalid file type");
    WriteBytes(dir.File("empty.br1"), {});
    EXPECT_EQ(LoadError(dir.File("empty.br1")), "empty.br1: Invalid file type");
    std::filesystem::create_directory(dir.File("folder.br1"));
    EXPECT_EQ(LoadError(dir.File("folder.br1")), "Failed to open folder.br1");
    WriteBytes(dir.File("plain"), TemplateBytes());
    EXPECT_EQ(LoadError(dir.File("plain") + "/car.br1"), "Failed to open car.br1");
    // A name cannot rewrite the terminal or break the message.
    WriteBytes(dir.File("new\nline\x1b[2J.br1"), {'x'});
    EXPECT_EQ(LoadError(dir.File("new\nline\x1b[2J.br1")),
              "new\\nline\\x1b[2J.br1: Invalid file type");
}

TEST(LoadSetupTest, ShortFileIsZeroPaddedAndLongFileCut) {
    TempDir dir;
    auto bytes = TemplateBytes();
    bytes.resize(100);
    WriteBytes(dir.File("short.fe2"), bytes);
    TSetup setup;
    ASSERT_TRUE(LoadSetup(setup, dir.File("short.fe2")));
    EXPECT_EQ(setup.Record.ToBytes()[99], bytes[99]);
    EXPECT_EQ(setup.Record.ToBytes()[100], 0);
    EXPECT_EQ(setup.Record.ToBytes()[263], 0);

    auto longBytes = TemplateBytes();
    longBytes.resize(300, 0xEE);
    WriteBytes(dir.File("long.fe2"), longBytes);
    ASSERT_TRUE(LoadSetup(setup, dir.File("long.fe2")));
    WriteSetupFile(dir.File("out.fe2"), setup.Record);
    EXPECT_EQ(ReadBytes(dir.File("out.fe2")), TemplateBytes());
}

// What a watched file holds now, against what a page knew of it.
TEST(FileSnapshotTest, ComparesAsOpenReadsTheFile) {
    TempDir dir;
    const std::string path = dir.File("car.br1");
    const FileSnapshot absent;
    const FileSnapshot known{FileSnapshot::Kind::Setup, ImportTemplate()};
    auto other = TemplateBytes();
    other[200] ^= 1;
    auto longer = TemplateBytes();
    longer.resize(300, 7);
    auto notSetup = TemplateBytes();
    notSetup[0] = 'p';
    const struct Row {
        const char* name;
        std::function<void()> make;
        FileState againstKnown, againstAbsent;
    } rows[] = {
        {"the same bytes", [&] { WriteBytes(path, TemplateBytes()); }, FileState::Same,
         FileState::Changed},
        {"bytes beyond the record", [&] { WriteBytes(path, longer); }, FileState::Same,
         FileState::Changed},
        {"another record", [&] { WriteBytes(path, other); }, FileState::Changed,
         FileState::Changed},
        {"no setup any more", [&] { WriteBytes(path, notSetup); }, FileState::Changed,
         FileState::Changed},
        {"a folder", [&] { std::filesystem::create_directory(path); }, FileState::Changed,
         FileState::Changed},
        {"removed", [] {}, FileState::Removed, FileState::Same},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(path);
        row.make();
        const FileSnapshot now = SnapshotOf(path);
        EXPECT_EQ(CompareSnapshots(known, now), row.againstKnown);
        EXPECT_EQ(CompareSnapshots(absent, now), row.againstAbsent);
        EXPECT_EQ(CompareSnapshots(now, SnapshotOf(path)), FileState::Same);
    }
}

TEST(WriteSetupFileTest, MissingFolderIsReportedWithTheSystemMessage) {
    TempDir dir;
    try {
        WriteSetupFile(dir.File("nowhere/car.br1"), ImportTemplate());
        FAIL() << "no error";
    } catch (const KvqError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write car.br1: No such file or directory");
    }
}

TEST(WriteFileAtomicallyTest, AnyFailedStepLeavesTheOldFileAndNoTemporary) {
    for (const test::WriteFailure& row : test::kWriteFailures) {
        TempDir dir;
        const std::string path = dir.File("car.br1");
        const std::vector<std::uint8_t> old = {9, 8, 7};
        WriteBytes(path, old);
        test::FailingOps ops(row.step, row.error);
        try {
            WriteFileAtomically(path, ImportTemplate().ToBytes(), ops);
            ADD_FAILURE() << "no error for step " << row.step;
        } catch (const KvqError& e) {
            EXPECT_EQ(std::string(e.what()), std::string("Cannot write car.br1: ") + row.reason);
        }
        EXPECT_EQ(ReadBytes(path), old) << "step " << row.step;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
            << "step " << row.step;
    }
}

TEST(AtomicBatchTest, WritesEveryFileAndLeavesNoTemporary) {
    TempDir dir;
    WriteBytes(dir.File("a.br1"), {1});
    AtomicBatch batch;
    for (const char* name : {"a.br1", "b.br1", "c.br1"})
        batch.Stage(dir.File(name), ImportTemplate().ToBytes());
    EXPECT_EQ(ReadBytes(dir.File("a.br1")), std::vector<std::uint8_t>{1})
        << "nothing in place before the commit";
    EXPECT_TRUE(batch.Commit().empty());
    for (const char* name : {"a.br1", "b.br1", "c.br1"})
        EXPECT_EQ(ReadBytes(dir.File(name)), TemplateBytes()) << name;
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 3);
}

TEST(AtomicBatchTest, AFailedFlushFailsEveryFileAndKeepsTheOldOnes) {
    TempDir dir;
    WriteBytes(dir.File("a.br1"), {1});
    test::FailingOps ops(test::FailingOps::FailSyncFolder, EIO);
    AtomicBatch batch(ops);
    batch.Stage(dir.File("a.br1"), ImportTemplate().ToBytes());
    batch.Stage(dir.File("b.br1"), ImportTemplate().ToBytes());
    EXPECT_EQ(batch.Commit(), (std::vector<std::string>{"Cannot write a.br1: Input/output error",
                                                        "Cannot write b.br1: Input/output error"}));
    EXPECT_EQ(ReadBytes(dir.File("a.br1")), std::vector<std::uint8_t>{1});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1);
}

TEST(AtomicBatchTest, AFailedStageOrRenameTouchesOnlyItsOwnFile) {
    TempDir dir;
    test::FailingOps ops(test::FailingOps::FailRename, EXDEV);
    {
        AtomicBatch batch(ops);
        batch.Stage(dir.File("a.br1"), ImportTemplate().ToBytes());
        EXPECT_THROW(batch.Stage(dir.File("missing/b.br1"), ImportTemplate().ToBytes()), KvqError);
        EXPECT_EQ(batch.Commit(), std::vector<std::string>{std::string("Cannot write a.br1: ") +
                                                           std::strerror(EXDEV)});
    }
    {
        AtomicBatch abandoned;
        abandoned.Stage(dir.File("c.br1"), ImportTemplate().ToBytes());
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 0)
        << "failed and abandoned files leave no temporary behind";
}

} // namespace
} // namespace kvq
