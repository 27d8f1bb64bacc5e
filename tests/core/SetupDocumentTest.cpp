#include "setup/SetupDocument.h"

#include "FailingFileOps.h"
#include "TestFiles.h"
#include "app/Utils.h"
#include "import/ImportTemplate.h"
#include "setup/AtomicFile.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace kvq {
namespace {

using test::ReadBytes;
using test::TempDir;
using test::WriteBytes;

std::vector<std::uint8_t> TemplateBytes() {
    const auto& bytes = ImportTemplate().ToBytes();
    return {bytes.begin(), bytes.end()};
}

std::string LoadError(const std::string& path) {
    TSetup setup;
    try {
        LoadSetup(setup, path);
    } catch (const KvqError& e) {
        return e.what();
    }
    return "no error";
}

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

TEST(WriteSetupFileTest, ReplacesAnExistingFileAndKeepsItsMode) {
    TempDir dir;
    const std::string path = dir.File("car.br1");
    WriteBytes(path, {1, 2, 3});
    ::chmod(path.c_str(), 0640);
    WriteSetupFile(path, ImportTemplate());
    EXPECT_EQ(ReadBytes(path), TemplateBytes());
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), {}), 1)
        << "no temporary file is left behind";
}

TEST(WriteSetupFileTest, FollowsASymbolicLink) {
    TempDir dir;
    WriteBytes(dir.File("real.br1"), {1});
    std::filesystem::create_symlink(dir.File("real.br1"), dir.File("link.br1"));
    WriteSetupFile(dir.File("link.br1"), ImportTemplate());
    EXPECT_TRUE(std::filesystem::is_symlink(dir.File("link.br1")));
    EXPECT_EQ(ReadBytes(dir.File("real.br1")), TemplateBytes());
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
    for (const char* name : {"a.br1", "b.br1", "c.br1"}) batch.Stage(dir.File(name), ImportTemplate().ToBytes());
    EXPECT_EQ(ReadBytes(dir.File("a.br1")), std::vector<std::uint8_t>{1}) << "nothing in place before the commit";
    EXPECT_TRUE(batch.Commit().empty());
    for (const char* name : {"a.br1", "b.br1", "c.br1"}) EXPECT_EQ(ReadBytes(dir.File(name)), TemplateBytes()) << name;
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
        EXPECT_EQ(batch.Commit(), std::vector<std::string>{"Cannot write a.br1: Invalid cross-device link"});
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
