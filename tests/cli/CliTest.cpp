// The companion as a script sees it: output, messages and exit statuses.

#include "../core/TestFiles.h"
#include "edit/FieldTable.h"
#include "import/ImportTemplate.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

namespace kvq {
namespace {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliTest : public ::testing::Test {
protected:
    CliRun Cli(const std::vector<std::string>& args) {
        std::string command = Quote(KVQ_CLI_PATH);
        for (const auto& arg : args) command += " " + Quote(arg);
        command += " >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr"));
        const int raw = std::system(command.c_str());
        return {WEXITSTATUS(raw), test::ReadText(dir.File("stdout")), test::ReadText(dir.File("stderr"))};
    }

    std::string Example(const char* name) {
        return (test::SourceDir() / "examples" / name).string();
    }

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

    test::TempDir dir;
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
    EXPECT_EQ(run.out, "==> " + Example("default.fe2") + " <==\n" + SheetText(5, NormalisedTemplate()) +
                           "==> " + Example("default.lo3") + " <==\n" +
                           SheetText(4, NormalisedTemplate()));
}

TEST_F(CliTest, BadFilesAreReportedAndTheOthersStillPrinted) {
    test::WriteText(dir.File("car.br3"), "pgts and more");
    const std::string missing = dir.File("missing.br3");
    const CliRun run = Cli({"sheet", dir.File("car.br3"), Example("default.br1"), missing});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "car.br3: Invalid file type\n" + missing + ": file not found\n");
    EXPECT_NE(run.out.find("Steering Ratio: 16:1"), std::string::npos);
}

TEST_F(CliTest, UnreadableFile) {
    std::filesystem::create_directory(dir.File("car.br1"));
    const CliRun run = Cli({"sheet", dir.File("car.br1")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Failed to open car.br1\n");
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
    const Row rows[] = {
        {{}, "usage: kvqsetup-cli COMMAND [ARGS...]"},
        {{"frobnicate"}, "kvqsetup-cli: unknown command frobnicate"},
        {{"sheet"}, "kvqsetup-cli sheet: no setup file given"},
        {{"sheet", "--limits"}, "kvqsetup-cli sheet: option --limits needs a value"},
        {{"sheet", "--bogus", "x.br1"}, "kvqsetup-cli sheet: unknown option --bogus"},
        {{"sheet", "--limits", "/nonexistent/x.lmt", "x.br1"},
         "kvqsetup-cli sheet: limits file not found: /nonexistent/x.lmt"},
        {{"normalise", "x.br1"}, "kvqsetup-cli normalise: no output file given (-o OUT)"},
        {{"normalise", "-o", "y.br1"}, "kvqsetup-cli normalise: give exactly one input file"},
    };
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
    const CliRun sheet = Cli({"sheet", "--help"});
    EXPECT_EQ(sheet.status, 0);
    EXPECT_EQ(sheet.out.substr(0, sheet.out.find('\n')), "usage: kvqsetup-cli sheet [--limits LMT] FILE...");
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
    EXPECT_EQ(written, std::vector<std::uint8_t>(expected.ToBytes().begin(), expected.ToBytes().end()));
}

TEST_F(CliTest, NormaliseFailureToWriteIsBadInput) {
    const CliRun run = Cli({"normalise", Example("default.br1"), "-o", dir.File("no/such/out.br1")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Cannot write out.br1: No such file or directory\n");
}

} // namespace
} // namespace kvq
