// kvqsetup-cli list: the library of setups under folders as a script sees it.

#include "CliFixture.h"
#include "edit/FieldEdit.h"
#include "setup/ImportTemplate.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <sstream>

namespace kvq {
namespace {

using test::CliRun;

std::vector<std::string> Lines(const std::string& text, char end = '\n') {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line, end);) lines.push_back(line);
    return lines;
}

class ListTest : public test::CliFixture {
protected:
    void SetUp() override {
        root = dir.File("Players");
        std::filesystem::create_directories(root + "/Monza");
        std::filesystem::create_directories(root + "/Spa");
        Write("Monza/fast.br1", ImportTemplate());
        Write("Monza/copy, 2.fe2", ImportTemplate());
        SetupRecord light = ImportTemplate();
        SetNamedField(light, "Fuel", "20", CurrentLimits());
        Write("Spa/light.lo3", light);
        test::WriteText(root + "/Spa/bad.br1", "no setup");
    }

    void Write(const std::string& name, const SetupRecord& record) {
        test::WriteBytes(root + "/" + name, {record.ToBytes().begin(), record.ToBytes().end()});
    }

    std::string root;
};

TEST_F(ListTest, TextLinesSortedFilteredAndTheBadFilesOnStandardError) {
    struct Row {
        std::vector<std::string> options;
        std::vector<std::string> lines;
    };
    const std::string fast = root + "/Monza/fast.br1\tMonza\tBRM\t6\t43\t16\t57\t3.100\t";
    const std::string copy = root + "/Monza/copy, 2.fe2\tMonza\tFerrari\t5\t43\t16\t57\t3.100\t";
    const std::string light = root + "/Spa/light.lo3\tSpa\tLotus\t4\t20\t16\t57\t3.100\t";
    const Row rows[] = {
        {{}, {copy, fast, light}},
        {{"--sort", "fuel,-make"}, {light, copy, fast}},
        {{"--where", "monza", "--where", "gears>5"}, {fast}},
        {{"--where", "fuel<=20"}, {light}},
        {{"--duplicates"}, {copy, fast}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> args = {"list"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.push_back(root);
        const CliRun run = Cli(args);
        SCOPED_TRACE(::testing::PrintToString(args));
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err, root + "/Spa/bad.br1: Invalid file type\n");
        const auto lines = Lines(run.out);
        ASSERT_EQ(lines.size(), row.lines.size()) << run.out;
        // The top gear's ratio ends each line.
        for (std::size_t i = 0; i < lines.size(); ++i)
            EXPECT_TRUE(lines[i].starts_with(row.lines[i])) << lines[i];
    }
}

TEST_F(ListTest, JsonLinesAndCsvCarryEveryValue) {
    std::filesystem::remove(root + "/Spa/bad.br1");
    const CliRun json = Cli({"list", "--json", "--where", "spa", root});
    EXPECT_EQ(json.status, 0);
    const auto line = nlohmann::json::parse(json.out);
    EXPECT_EQ(line["file"], root + "/Spa/light.lo3");
    EXPECT_EQ(line["track"], "Spa");
    EXPECT_EQ(line["make"], "Lotus");
    EXPECT_EQ(line["gearboxKind"], 4);
    EXPECT_EQ(line["size"], 264);
    EXPECT_EQ(line["duplicate"], false);
    EXPECT_EQ(line["keyValues"]["Fuel"], 20);
    EXPECT_EQ(line["fields"]["Fuel"], 20);
    EXPECT_EQ(line["fields"]["Magic"], "PGTS");
    EXPECT_EQ(std::string(line["modified"]).size(), std::string("2026-12-08T19:16:52Z").size());

    const CliRun csv = Cli({"list", "--csv", "--duplicates", root});
    EXPECT_EQ(csv.status, 0);
    const auto rows = Lines(csv.out);
    ASSERT_EQ(rows.size(), 3U) << csv.out;
    EXPECT_EQ(rows[0], "path,track,make,gears,modified,size,normalised,duplicate,group,Fuel,"
                       "SteeringRatio,FrontBrakeBias,DiffRatio,TopGearRatio\r");
    EXPECT_TRUE(rows[1].starts_with("\"" + root + "/Monza/copy, 2.fe2\",Monza,Ferrari,5,"));
    EXPECT_NE(rows[1].find(",264,no,yes,1,43,16,57,3.100,"), std::string::npos) << rows[1];
}

TEST_F(ListTest, UsageErrorsAndMissingFolders) {
    struct Row {
        std::vector<std::string> args;
        const char* firstLine;
    };
    const Row rows[] = {
        {{"list"}, "kvqsetup-cli list: no folder given"},
        {{"list", "--where", "fuel<<4", "."},
         "kvqsetup-cli list: fuel<<4: at 6: expected a number"},
        {{"list", "--sort", "fuel,colour", "."}, "kvqsetup-cli list: --sort: unknown field colour"},
        {{"list", "--json", "--csv", "."}, "kvqsetup-cli list: give --json or --csv"},
    };
    for (const Row& row : rows) {
        const CliRun run = Cli(row.args);
        EXPECT_EQ(run.status, 2) << row.firstLine;
        EXPECT_EQ(run.err.substr(0, run.err.find('\n')), row.firstLine);
        EXPECT_EQ(run.out, "");
    }
    const CliRun gone = Cli({"list", dir.File("gone"), root + "/Monza"});
    EXPECT_EQ(gone.status, 1);
    EXPECT_EQ(gone.err, dir.File("gone") + ": file not found\n");
    EXPECT_EQ(Lines(gone.out).size(), 2U);
}

} // namespace
} // namespace kvq
