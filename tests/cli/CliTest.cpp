// The companion as a script sees it: output, messages and exit statuses.

#include "CliFixture.h"
#include "base/AtomicFile.h"
#include "edit/FieldTable.h"
#include "setup/ImportTemplate.h"
#include "setup/SetupDocument.h"
#include "setup/Sheet.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace kvq {
namespace {

using test::CliRun;

class CliTest : public test::CliFixture {
protected:
    static std::string SheetText(int kind, const SetupRecord& record) {
        std::string text;
        for (const auto& line : SheetLines(record, kind)) text += line + "\n";
        return text;
    }

    static SetupRecord NormalisedTemplate() {
        SetupRecord record = ImportTemplate();
        Normalise(record, CurrentLimits{});
        return record;
    }
};

TEST_F(CliTest, SheetOfOneFile) {
    const CliRun run = Cli({"sheet", Example("default.br1")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, SheetText(6, NormalisedTemplate()));
    EXPECT_EQ(run.err, "");
}

TEST_F(CliTest, SheetsOfSeveralFilesHaveHeadersAndGearsByName) {
    const CliRun run = Cli({"sheet", Example("default.fe2"), Example("default.lo3")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "==> " + Example("default.fe2") + " <==\n" +
                           SheetText(5, NormalisedTemplate()) + "==> " + Example("default.lo3") +
                           " <==\n" + SheetText(4, NormalisedTemplate()));
}

TEST_F(CliTest, BadFilesAreReportedAndTheOthersStillPrinted) {
    test::WriteText(dir.File("car.br3"), "pgts and more");
    test::WriteText(dir.File("new\nline\x1b[2J.br3"), "pgts");
    const std::string missing = dir.File("missing.br3");
    const CliRun run = Cli({"sheet", dir.File("car.br3"), Example("default.br1"), missing,
                            dir.File("new\nline\x1b[2J.br3")});
    EXPECT_EQ(run.status, 1);
    // Each file is named by its path as typed, its control characters escaped.
    EXPECT_EQ(run.err, dir.File("car.br3") + ": Invalid file type\n" + missing +
                           ": file not found\n" + dir.File("new\\nline\\x1b[2J.br3") +
                           ": Invalid file type\n");
    EXPECT_NE(run.out.find("Steering Ratio: 16:1"), std::string::npos);
}

TEST_F(CliTest, UnreadableFile) {
    std::filesystem::create_directory(dir.File("car.br1"));
    const CliRun run = Cli({"sheet", dir.File("car.br1")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Failed to open " + dir.File("car.br1") + "\n");
}

TEST_F(CliTest, LimitsFileNarrowsTheSheet) {
    test::WriteText(dir.File("narrow.lmt"), "4,1,40\n1,7,12\n");
    const CliRun run = Cli({"sheet", "--limits", dir.File("narrow.lmt"), Example("default.br1")});
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.out.find("Steering Ratio: 12:1"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("Fuel: 40 gallons"), std::string::npos) << run.out;
}

TEST_F(CliTest, UsageErrors) {
    struct Row {
        std::vector<std::string> args;
        const char* firstLine;
    };
    // clang-format off
    const Row rows[] = {
        {{}, "usage: kvqsetup-cli COMMAND [ARGS...]"},
        {{"frobnicate"}, "kvqsetup-cli: unknown command frobnicate"},
        {{"frob\x1b[2J\n"}, "kvqsetup-cli: unknown command frob\\x1b[2J\\n"},
        {{"sheet"}, "kvqsetup-cli sheet: no setup file given"},
        {{"sheet", "--limits"}, "kvqsetup-cli sheet: option --limits needs a value"},
        {{"sheet", "--bogus", "x.br1"}, "kvqsetup-cli sheet: unknown option --bogus"},
        {{"sheet", "--limits", "/nonexistent/x.lmt", "x.br1"},
         "kvqsetup-cli sheet: limits file not found: /nonexistent/x.lmt"},
        {{"sheet", "--limits", "/tmp", "x.br1"},
         "kvqsetup-cli sheet: limits file is not a regular file: /tmp"},
        {{"normalise", "x.br1"}, "kvqsetup-cli normalise: no output file given (-o OUT)"},
        {{"normalise", "-o", "y.br1"}, "kvqsetup-cli normalise: give exactly one input file"},
        {{"normalise", "x.br1", "-o", "y.br1", "-d", "/tmp"},
         "kvqsetup-cli normalise: give -o OUT or -d DIR, not both"},
        {{"normalise", "-d", "/tmp"}, "kvqsetup-cli normalise: no setup file given"},
        {{"normalise", "x.br1", "-d", "/nonexistent"}, "kvqsetup-cli normalise: no folder /nonexistent"},
        {{"normalise", "a/x.br1", "b/x.br1", "-d", "/tmp"},
         "kvqsetup-cli normalise: two files named x.br1"},
        {{"import", "sheet.txt"}, "kvqsetup-cli import: no output file given (-o OUT)"},
        {{"import", "a.txt", "b.txt", "-o", "x.br1"},
         "kvqsetup-cli import: give at most one text file"},
        {{"import", "--vocab-dir"}, "kvqsetup-cli import: option --vocab-dir needs a value"},
        {{"copy-gearbox", "a.br1", "-o", "x.br1"},
         "kvqsetup-cli copy-gearbox: give a source and a target file"},
        {{"copy-chassis", "a.br1", "b.br1"},
         "kvqsetup-cli copy-chassis: no output file given (-o OUT)"},
        {{"gears", "--json"}, "kvqsetup-cli gears: no setup file given"},
    };
    // clang-format on
    for (const Row& row : rows) {
        const CliRun run = Cli(row.args);
        EXPECT_EQ(run.status, 2) << row.firstLine;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.firstLine);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(CliTest, HelpGoesToStandardOutput) {
    const CliRun general = Cli({"--help"});
    EXPECT_EQ(general.status, 0);
    EXPECT_NE(general.out.find("sheet [--limits LMT] FILE..."), std::string::npos);
    EXPECT_NE(general.out.find("gears [--json] FILE..."), std::string::npos);
    EXPECT_EQ(Cli({"--version"}).out, "kvqsetup-cli 2.3.10.84\n");
    const CliRun sheet = Cli({"sheet", "--help"});
    EXPECT_EQ(sheet.status, 0);
    EXPECT_EQ(sheet.out.substr(0, sheet.out.find('\n')),
              "usage: kvqsetup-cli sheet [--limits LMT] FILE...");
}

TEST_F(CliTest, NormaliseWritesTheWholeRecord) {
    SetupRecord bad = ImportTemplate();
    bad.Set(field::Fuel, 500.0f);
    bad.Set(field::GearIndex1, 12);
    const auto& bytes = bad.ToBytes();
    std::vector<std::uint8_t> file(bytes.begin(), bytes.end());
    file.resize(300, 0x77);
    test::WriteBytes(dir.File("in.br1"), file);
    const CliRun run = Cli({"normalise", dir.File("in.br1"), "-o", dir.File("out.br1")});
    EXPECT_EQ(run.status, 0) << run.err;
    SetupRecord expected = bad;
    Normalise(expected, CurrentLimits{});
    const auto written = test::ReadBytes(dir.File("out.br1"));
    EXPECT_EQ(written,
              std::vector<std::uint8_t>(expected.ToBytes().begin(), expected.ToBytes().end()));
}

TEST_F(CliTest, NormaliseManyIntoAFolder) {
    SetupRecord beyond = ImportTemplate();
    beyond.Set(field::WheelRateRR, 500.0f);
    std::filesystem::create_directory(dir.File("in"));
    std::filesystem::create_directory(dir.File("out"));
    WriteSetupFile(dir.File("in/beyond.lo3"), beyond);
    test::WriteText(dir.File("in/notes.br1"), "no setup");
    const CliRun run = Cli({"normalise", dir.File("in/beyond.lo3"), dir.File("in/notes.br1"),
                            Example("default.br1"), "-d", dir.File("out")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, dir.File("in/notes.br1") + ": Invalid file type\n");
    SetupRecord expected = beyond;
    Normalise(expected, CurrentLimits{});
    const auto bytes = [](const SetupRecord& r) {
        return std::vector<std::uint8_t>(r.ToBytes().begin(), r.ToBytes().end());
    };
    EXPECT_EQ(test::ReadBytes(dir.File("out/beyond.lo3")), bytes(expected));
    EXPECT_EQ(test::ReadBytes(dir.File("out/default.br1")), bytes(NormalisedTemplate()));
    EXPECT_FALSE(std::filesystem::exists(dir.File("out/notes.br1")));
}

// Standard output is checked as cat checks it: a write that fails, or a closed stream, is told
// and the command fails.
TEST_F(CliTest, StandardOutputThatCannotBeWrittenIsAnError) {
    SetupRecord other = ImportTemplate();
    other.Set(field::Fuel, 21.0f);
    WriteSetupFile(dir.File("other.br1"), other);
    std::vector<std::string> manyFiles = {"dump", "--json"};
    manyFiles.insert(manyFiles.end(), 50, Example("default.br1"));
    struct Row {
        std::vector<std::string> args;
        int status;
    };
    const Row rows[] = {
        {{"sheet", Example("default.br1")}, 1},
        {{"dump", Example("default.br1")}, 1},
        {manyFiles, 1},
        {{"diff", Example("default.br1"), dir.File("other.br1")}, 2},
        {{"set", "--fields"}, 1},
        {{"--help"}, 1},
        {{"sheet", "--help"}, 1},
        {{"--version"}, 1},
        {{"normalise", Example("default.br1"), "-o", "-"}, 1},
    };
    for (const Row& row : rows) {
        for (const auto& [redirect, reason] :
             {std::pair{">/dev/full", "No space left on device"}, {">&-", "Bad file descriptor"}}) {
            const CliRun run = Shell(CliCommand(row.args) + " " + redirect);
            EXPECT_EQ(run.status, row.status) << row.args[0] << " " << redirect;
            EXPECT_EQ(run.err, std::string("kvqsetup-cli: write error: ") + reason + "\n")
                << row.args[0] << " " << redirect;
        }
    }
}

// A pipe delivers in pieces; a record is read to its end. "-o -" writes the record alone.
TEST_F(CliTest, PipesInAndStandardOutputOut) {
    const std::string example = test::Quote(Example("default.br1"));
    const CliRun normalise =
        Shell("{ head -c 100 " + example + "; sleep 0.3; tail -c +101 " + example + "; } | " +
              CliCommand({"normalise", "/dev/stdin", "-o", "-"}));
    EXPECT_EQ(normalise.status, 0) << normalise.err;
    const SetupRecord expected = NormalisedTemplate();
    const std::string bytes(expected.ToBytes().begin(), expected.ToBytes().end());
    EXPECT_EQ(normalise.out, bytes);

    test::WriteText(dir.File("sheet.txt"), SheetText(6, NormalisedTemplate()));
    const CliRun import = Cli({"import", "-o", "-"}, dir.File("sheet.txt"));
    EXPECT_EQ(import.status, 0) << import.err;
    EXPECT_EQ(import.out, bytes) << "no gear count after it";
}

// Ended by a signal in the middle of a batch, normalise -d removes what it has staged and ends by
// that signal; the files already put in place are whole.
TEST_F(CliTest, ASignalInTheMiddleOfABatchLeavesNoTemporaryFiles) {
    constexpr std::size_t kStagedWhenStopped = 10;
    std::filesystem::create_directory(dir.File("in"));
    const std::string out = dir.File("out");
    std::vector<std::string> args = {KVQ_CLI_PATH, "normalise"};
    for (std::size_t i = 0; i < AtomicBatch::kMaxStaged + kStagedWhenStopped; ++i) {
        args.push_back(dir.File("in/" + std::to_string(1000 + i) + ".br1"));
        std::filesystem::copy_file(Example("default.br1"), args.back());
    }
    // The program stops at a pipe without a writer, with the last files staged.
    args.push_back(dir.File("in/pipe.br1"));
    ASSERT_EQ(::mkfifo(args.back().c_str(), 0600), 0);
    args.insert(args.end(), {"-d", out});
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const SetupRecord expected = NormalisedTemplate();
    const auto count = [&](bool hidden) {
        std::size_t n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(out))
            n += entry.path().filename().string().starts_with('.') == hidden;
        return n;
    };

    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        std::filesystem::remove_all(out);
        std::filesystem::create_directory(out);
        const pid_t child = ::fork();
        if (child == 0) {
            for (const int s : {SIGINT, SIGTERM, SIGHUP}) ::signal(s, SIG_DFL);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        const auto stopped = [&] {
            return count(false) == AtomicBatch::kMaxStaged && count(true) == kStagedWhenStopped;
        };
        for (int wait = 0; wait < 1000 && !stopped(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        EXPECT_TRUE(stopped()) << "one batch in place, the next staged";
        ::kill(child, signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << status;
        EXPECT_EQ(count(true), 0u) << "no temporary file is left";
        EXPECT_EQ(count(false), AtomicBatch::kMaxStaged);
        const auto& bytes = expected.ToBytes();
        for (const auto& entry : std::filesystem::directory_iterator(out))
            EXPECT_EQ(test::ReadBytes(entry.path().string()),
                      std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
}

TEST_F(CliTest, NormaliseFailureToWriteIsBadInput) {
    const CliRun run =
        Cli({"normalise", Example("default.br1"), "-o", dir.File("no/such/out.br1")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "Cannot write " + dir.File("no/such/out.br1") + ": No such file or directory\n");
}

// A name beyond ASCII is read and written as given; a target its user may not write is refused
// with the system's reason and left as it was.
TEST_F(CliTest, ANameBeyondAsciiAndAReadOnlyTarget) {
    const std::string name = "Küche, Été 1967.br1";
    const std::string path = dir.File(name);
    const CliRun written = Cli({"normalise", Example("default.br1"), "-o", path});
    EXPECT_EQ(written.status, 0) << written.err;
    EXPECT_EQ(Cli({"sheet", path}).out, Cli({"sheet", Example("default.br1")}).out);

    if (::geteuid() == 0 && !OtherCli()) GTEST_SKIP() << "root may write a read-only file here";
    const auto before = test::ReadBytes(path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read);
    const CliRun refused = Cli({"set", path, "Fuel=30", "-o", path});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Cannot write " + path + ": Permission denied\n");
    EXPECT_EQ(test::ReadBytes(path), before);
}

// A setup unlike the example: other values, and the asymmetry letter Y.
SetupRecord OtherSetup() {
    SetupRecord record = ImportTemplate();
    record.Set(field::Fuel, 21.0f);
    record.Set(field::CamberRR, -1.25f);
    record.Set(field::GearIndex1, 2);
    record.Set(field::GearIndex5, 70);
    record.Set(field::DiffIndex, 87);
    record.Set(field::RampAngle1, 45.0f);
    record.SetSymmetricFlag(0);
    Normalise(record, CurrentLimits{});
    return record;
}

// "sheet", then "import" of what it printed, then "sheet" again: the same text, but that the
// asymmetry letter is not imported. The output's name gives the gears back to "sheet".
TEST_F(CliTest, ImportReadsBackWhatSheetPrints) {
    for (const auto& [extension, gears] : {std::pair{"br1", 6}, {"fe2", 5}, {"lo3", 4}}) {
        SCOPED_TRACE(extension);
        const std::string setup = dir.File(std::string("in.") + extension);
        const std::string imported = dir.File(std::string("out.") + extension);
        WriteSetupFile(setup, OtherSetup());
        const CliRun sheet = Cli({"sheet", setup});
        ASSERT_EQ(sheet.status, 0);
        ASSERT_NE(sheet.out.find("Asymmetrical: Y"), std::string::npos);
        test::WriteText(dir.File("sheet.txt"), sheet.out);
        const CliRun import = Cli({"import", dir.File("sheet.txt"), "-o", imported});
        EXPECT_EQ(import.status, 0) << import.err;
        EXPECT_EQ(import.out, std::to_string(gears) + "\n");
        std::string expected = sheet.out;
        expected.replace(expected.find("Asymmetrical: Y"), 15, "Asymmetrical: N");
        EXPECT_EQ(Cli({"sheet", imported}).out, expected);
    }
}

TEST_F(CliTest, ImportFromStandardInputNormalisesUnlessRaw) {
    std::string text = SheetText(5, NormalisedTemplate());
    text.replace(text.find("Fuel: 43"), 8, "Fuel: 99");
    test::WriteText(dir.File("sheet.txt"), text);
    for (const bool raw : {false, true}) {
        std::vector<std::string> args = {"import", "-o", dir.File("out.fe2")};
        if (raw) args.push_back("--raw");
        const CliRun run = Cli(args, dir.File("sheet.txt"));
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "5\n");
        TSetup imported;
        ASSERT_TRUE(LoadSetup(imported, dir.File("out.fe2")));
        EXPECT_EQ(imported.Record.Get(field::Fuel), raw ? 99.0f : 46.0f);
    }
}

TEST_F(CliTest, ImportOfUnrecognisedTextWritesNothing) {
    test::WriteText(dir.File("prose.txt"), "I have a setup for you");
    const CliRun run = Cli({"import", "-", "-o", dir.File("out.br1")}, dir.File("prose.txt"));
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "not recognised\n");
    EXPECT_EQ(run.out, "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.br1")));
    const CliRun missing = Cli({"import", dir.File("none.txt"), "-o", dir.File("out.br1")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, dir.File("none.txt") + ": file not found\n");
}

TEST_F(CliTest, ImportWithAVocabularyFolder) {
    const std::string vocabularies = dir.File("vocabularies");
    std::filesystem::create_directory(vocabularies);
    std::filesystem::copy_file(test::SourceDir() / "examples" / "alternative.kvq",
                               vocabularies + "/alternative.kvq");
    test::WriteText(vocabularies + "/broken.kvq", "0,Fuel\nFuel\n");
    std::filesystem::create_directory(vocabularies + "/folder.kvq");
    ASSERT_EQ(::mkfifo((vocabularies + "/pipe.kvq").c_str(), 0600), 0);
    const CliRun run = Cli({"import", "--vocab-dir", vocabularies, Example("alternative.txt"), "-o",
                            dir.File("out.br1")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "5\n");
    EXPECT_EQ(run.err, vocabularies + "/broken.kvq:2: no comma; vocabulary not used\n" +
                           vocabularies + "/folder.kvq: not a regular file; vocabulary not used\n" +
                           vocabularies + "/pipe.kvq: not a regular file; vocabulary not used\n");
    TSetup imported;
    ASSERT_TRUE(LoadSetup(imported, dir.File("out.br1")));
    EXPECT_EQ(imported.Record.Get(field::Fuel), 30.0f);
}

TEST_F(CliTest, CopyGroupsIntoTheTarget) {
    WriteSetupFile(dir.File("source.br1"), OtherSetup());
    for (const auto& [command, group] :
         {std::pair{"copy-gearbox", GearboxGroup()}, {"copy-chassis", ChassisGroup()}}) {
        SCOPED_TRACE(command);
        const CliRun run = Cli(
            {command, dir.File("source.br1"), Example("default.lo3"), "-o", dir.File("out.lo3")});
        EXPECT_EQ(run.status, 0) << run.err;
        SetupRecord expected = ImportTemplate();
        for (const ByteRange& range : group)
            for (std::size_t i = range.first; i <= range.last; ++i)
                expected.MutableBytes()[i] = OtherSetup().ToBytes()[i];
        Normalise(expected, CurrentLimits{});
        const auto& bytes = expected.ToBytes();
        EXPECT_EQ(test::ReadBytes(dir.File("out.lo3")),
                  std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    }
}

TEST_F(CliTest, CopyFromASourceThatIsNoSetup) {
    test::WriteText(dir.File("notes.br1"), "no setup");
    const CliRun bad = Cli(
        {"copy-gearbox", dir.File("notes.br1"), Example("default.br1"), "-o", dir.File("out.br1")});
    EXPECT_EQ(bad.status, 1);
    EXPECT_EQ(bad.err, dir.File("notes.br1") + ": Invalid file type\n");
    const CliRun missing = Cli(
        {"copy-chassis", dir.File("gone.br1"), Example("default.br1"), "-o", dir.File("out.br1")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err, dir.File("gone.br1") + ": file not found\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("out.br1")));
}

} // namespace
} // namespace kvq
