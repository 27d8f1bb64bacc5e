// dump, diff, gears and set as a script sees them, and the bash completion.

#include "CliFixture.h"
#include "base/TextFormat.h"
#include "base/Utils.h"
#include "edit/FieldEdit.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"
#include "setup/SetupDocument.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <sstream>

namespace kvq {
namespace {

using namespace field;
using test::CliRun;

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

std::vector<std::uint8_t> FromHex(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::vector<std::uint8_t> BytesOf(const SetupRecord& record, const LayoutEntry& entry) {
    const auto& bytes = record.ToBytes();
    return {bytes.begin() + static_cast<long>(entry.offset),
            bytes.begin() + static_cast<long>(entry.offset + entry.width)};
}

std::vector<std::uint8_t> FileBytes(const SetupRecord& record) {
    return {record.ToBytes().begin(), record.ToBytes().end()};
}

SetupRecord Normalised(SetupRecord record, const CurrentLimits& limits = {}) {
    Normalise(record, limits);
    return record;
}

// Values that test the printing: a float with no short binary form, the smallest float, a NaN,
// a NaN with its sign bit set, a negative index, raw bytes and an asymmetry byte that is neither 0
// nor 1.
SetupRecord Unusual() {
    SetupRecord record = ImportTemplate();
    record.Set(CamberFL, 0.1f);
    record.Set(Fuel, std::numeric_limits<float>::denorm_min());
    record.Set(ToeInRear, std::numeric_limits<float>::quiet_NaN());
    record.Set(ToeInFront, -std::numeric_limits<float>::quiet_NaN());
    record.Set(GearIndex3, -7);
    record.MutableBytes()[180] = 0xAB;
    record.SetSymmetricFlag(200);
    return record;
}

// Within the built-in limits, unlike the example, with the sides independent.
SetupRecord Other() {
    SetupRecord record = ImportTemplate();
    record.Set(Fuel, 21.0f);
    record.Set(CamberRR, -1.25f);
    record.Set(ToeInFront, 0.1f);
    record.Set(BumpFR, 5);
    record.Set(GearIndex1, 2);
    record.Set(GearIndex5, 70);
    record.Set(DiffIndex, 87);
    record.Set(RampAngle1, 45.0f);
    record.SetSymmetricFlag(0);
    return Normalised(record);
}

class DumpDiffSetTest : public test::CliFixture {
protected:
    std::string Write(const char* name, const SetupRecord& record) {
        WriteSetupFile(dir.File(name), record);
        return dir.File(name);
    }

    std::string NarrowLimits() {
        test::WriteText(dir.File("narrow.lmt"), "4,1,40\n");
        return dir.File("narrow.lmt");
    }
};

TEST_F(DumpDiffSetTest, DumpPrintsEveryFieldAsStored) {
    const SetupRecord record = Unusual();
    const CliRun run = Cli({"dump", Write("car.lo3", record)});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    const auto layout = RecordLayout();
    ASSERT_EQ(lines.size(), layout.size() + 2);
    for (std::size_t i = 0; i < layout.size(); ++i) {
        const LayoutEntry& entry = layout[i];
        SCOPED_TRACE(lines[i]);
        ASSERT_EQ(lines[i].substr(0, entry.name.size() + 1), std::string(entry.name) + "=");
        const std::string value = lines[i].substr(entry.name.size() + 1);
        switch (entry.encoding) {
        case Encoding::Float32:
            if (std::isnan(record.Float(entry.Slot()))) {
                EXPECT_EQ(value, "nan");
            } else {
                const auto number = ParseReal(value);
                ASSERT_TRUE(number);
                EXPECT_EQ(std::bit_cast<std::uint32_t>(ToSingle(*number)),
                          record.Word(entry.Slot()));
            }
            break;
        case Encoding::Int32: EXPECT_EQ(ParseInteger(value), record.Int(entry.Slot())); break;
        case Encoding::Byte: EXPECT_EQ(value, std::to_string(record.SymmetricFlag())); break;
        case Encoding::Raw:
            EXPECT_EQ(value.size(), 2 * entry.width);
            EXPECT_EQ(FromHex(value), BytesOf(record, entry));
            break;
        case Encoding::Magic: EXPECT_EQ(value, "PGTS"); break;
        }
    }
    EXPECT_EQ(lines[layout.size()], "GearboxKind=4");
    EXPECT_EQ(lines[layout.size() + 1], "Normalised=no");
    for (const char* line : {"CamberFL=0.1", "Fuel=1e-45", "GearIndex3=-7", "SymmetricFlag=200",
                             "Reserved08=f9000000"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), line), lines.end()) << line;
}

TEST_F(DumpDiffSetTest, DumpSaysWhetherNormalisingWouldChangeTheFile) {
    const std::string narrow = NarrowLimits();
    const CurrentLimits narrowLimits = [&] {
        CurrentLimits limits;
        limits.SetFileLimits(ReadLimitsFile(narrow)->Tables);
        limits.SelectFileLimits();
        return limits;
    }();
    struct Row {
        const char* what;
        SetupRecord record;
        bool withNarrowLimits;
        bool normalised;
    };
    const Row rows[] = {
        {"normalised", Normalised(ImportTemplate()), false, true},
        {"ratios that disagree with their indices", ImportTemplate(), false, false},
        {"fuel beyond the file limits", Normalised(ImportTemplate()), true, false},
        {"normalised under the file limits", Normalised(ImportTemplate(), narrowLimits), true,
         true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::string file = Write("car.br1", row.record);
        std::vector<std::string> args = {"dump", file};
        if (row.withNarrowLimits) args.insert(args.begin() + 1, {"--limits", narrow});
        EXPECT_EQ(Lines(Cli(args).out).back(), row.normalised ? "Normalised=yes" : "Normalised=no");
        args.insert(args.begin() + 1, "--json");
        EXPECT_EQ(nlohmann::json::parse(Cli(args).out)["normalised"], row.normalised);
    }
}

TEST_F(DumpDiffSetTest, DumpOfSeveralFilesHasHeadersAndTellsBadOnes) {
    const std::string a = Write("a.br1", Other());
    const std::string b = Example("default.fe2");
    const std::string missing = dir.File("gone.br1");
    const CliRun run = Cli({"dump", a, missing, b});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, missing + ": file not found\n");
    EXPECT_EQ(run.out, "==> " + a + " <==\n" + Cli({"dump", a}).out + "==> " + b + " <==\n" +
                           Cli({"dump", b}).out);
}

TEST_F(DumpDiffSetTest, DumpJsonIsOneObjectAFileWithTypedValues) {
    // clang-format off
    const std::vector<std::pair<std::string, SetupRecord>> files = {
        {Write("odd.lo3", Unusual()), Unusual()}, {Write("other.br1", Other()), Other()}};
    const CliRun run = Cli({"dump", "--json", files[0].first, files[1].first});
    EXPECT_EQ(run.status, 0) << run.err;
    const auto lines = Lines(run.out);
    ASSERT_EQ(lines.size(), files.size());
    for (std::size_t f = 0; f < files.size(); ++f) {
        const auto& [path, record] = files[f];
        SCOPED_TRACE(path);
        const auto object = nlohmann::ordered_json::parse(lines[f]);
        std::vector<std::string> keys;
        for (const auto& item : object.items())
            keys.push_back(item.key());
        EXPECT_EQ(keys, (std::vector<std::string>{"file", "gearboxKind", "normalised", "fields"}));
        EXPECT_EQ(object["file"], path);
        EXPECT_EQ(object["gearboxKind"], GearboxKindFromFileName(path));
        EXPECT_EQ(object["normalised"], record == Normalised(record));
        const auto textLines = Lines(Cli({"dump", path}).out);
        const auto& fields = object["fields"];
        const auto layout = RecordLayout();
        ASSERT_EQ(fields.size(), layout.size());
        auto item = fields.items().begin();
        for (std::size_t i = 0; i < layout.size(); ++i, ++item) {
            const LayoutEntry& entry = layout[i];
            SCOPED_TRACE(entry.name);
            EXPECT_EQ(item.key(), entry.name);
            const auto& value = item.value();
            switch (entry.encoding) {
            case Encoding::Float32:
                if (std::isnan(record.Float(entry.Slot()))) {
                    EXPECT_EQ(value, "nan");
                } else {
                    ASSERT_TRUE(value.is_number_float());
                    EXPECT_EQ(std::bit_cast<std::uint32_t>(static_cast<float>(value.get<double>())),
                              record.Word(entry.Slot()));
                }
                break;
            case Encoding::Int32:
                ASSERT_TRUE(value.is_number_integer());
                EXPECT_EQ(value.get<std::int32_t>(), record.Int(entry.Slot()));
                break;
            case Encoding::Byte:
                EXPECT_EQ(value, record.SymmetricFlag());
                break;
            case Encoding::Raw:
            case Encoding::Magic:
                EXPECT_EQ(std::string(entry.name) + "=" + value.get<std::string>(), textLines[i]);
                break;
            }
        }
    }
}

TEST_F(DumpDiffSetTest, DumpJsonOfANameThatIsNoUtf8) {
    const std::string path = Write("car\xff.fe2", Other());
    const CliRun run = Cli({"dump", "--json", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(nlohmann::json::parse(run.out)["file"], dir.File("car\xEF\xBF\xBD.fe2"));
}

TEST_F(DumpDiffSetTest, DiffPrintsTheDifferingFieldsByTheirLabels) {
    struct Row {
        const char* what;
        std::function<void(SetupRecord&)> change;
        const char* lines;
    };
    // clang-format on
    const Row rows[] = {
        {"nothing", [](SetupRecord&) {}, ""},
        {"fuel", [](SetupRecord& r) { r.Set(Fuel, 21.0f); }, "Fuel (gallons): 43 -> 21\n"},
        {"tyre, with its wheel", [](SetupRecord& r) { r.Set(TyrePressureRL, 20.5f); },
         "Tyre Pressure (psi) RL: 22 -> 20.5\n"},
        {"rear toe-in", [](SetupRecord& r) { r.Set(ToeInRear, 0.1f); },
         "Toe-in (in) Rear: 0.125 -> 0.1\n"},
        {"gear, in file order",
         [](SetupRecord& r) { r.Set(GearIndex1, 2), r.Set(GearRatio1, ExactRatio(2)); },
         "1st Gear ratio: 2.533 -> 3.2142856\n1st Gear index: 6 -> 2\n"},
        {"ramp angle", [](SetupRecord& r) { r.Set(RampAngle1, 45.0f); },
         "Ramp Angles (first): 85 -> 45\n"},
        {"asymmetry byte", [](SetupRecord& r) { r.SetSymmetricFlag(0); },
         "SymmetricFlag: 1 -> 0\n"},
        {"raw bytes", [](SetupRecord& r) { r.MutableBytes()[262] = 0x7f; },
         "Reserved261: 202020 -> 207f20\n"},
        {"several",
         [](SetupRecord& r) { r.Set(SteeringRatio, 12.0f), r.Set(BumpFL, 4), r.Set(Clutches, 3); },
         "Bump FL: 2 -> 4\nClutches: 1 -> 3\nSteering Ratio: 16 -> 12\n"},
    };
    const std::string a = Example("default.br1");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        SetupRecord changed = ImportTemplate();
        row.change(changed);
        const CliRun run = Cli({"diff", a, Write("b.lo3", changed)});
        EXPECT_EQ(run.out, row.lines);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.status, *row.lines ? 1 : 0);
    }
}

TEST_F(DumpDiffSetTest, DiffNormalisedComparesTheSetupsAsOpeningShowsThem) {
    // The example as stored against itself once opened, then against a setup with less fuel
    // than it, which narrow limits give both.
    SetupRecord lessFuel = Normalised(ImportTemplate());
    lessFuel.Set(Fuel, 40.0f);
    const std::string opened = Write("opened.lo3", Normalised(ImportTemplate()));
    const std::string less = Write("less.lo3", lessFuel);
    const std::string example = Example("default.lo3");
    struct Row {
        std::vector<std::string> options;
        std::string b;
        int status;
        const char* lines; // none: not looked at
    };
    const Row rows[] = {
        {{}, opened, 1, nullptr},
        {{"--normalised"}, opened, 0, ""},
        {{"--normalised"}, less, 1, "Fuel (gallons): 43 -> 40\n"},
        {{"--normalised", "--limits", NarrowLimits()}, less, 0, ""},
        {{"--limits", NarrowLimits()}, less, 2, nullptr},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.options));
        std::vector<std::string> args{"diff"};
        args.insert(args.end(), row.options.begin(), row.options.end());
        args.insert(args.end(), {example, row.b});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, row.status) << run.err;
        if (row.lines) {
            EXPECT_EQ(run.out, row.lines);
        }
    }
}

TEST_F(DumpDiffSetTest, DiffTroubleIsStatusTwo) {
    test::WriteText(dir.File("notes.br1"), "no setup");
    struct Row {
        std::vector<std::string> args;
        std::string err;
    };
    const Row rows[] = {
        {{"diff", Example("default.br1"), dir.File("gone.br1")},
         dir.File("gone.br1") + ": file not found\n"},
        {{"diff", dir.File("notes.br1"), dir.File("gone.br1")},
         dir.File("notes.br1") + ": Invalid file type\n" + dir.File("gone.br1") +
             ": file not found\n"},
        {{"diff", Example("default.br1")},
         "kvqsetup-cli diff: give two setup files\nusage: kvqsetup-cli diff [--normalised "
         "[--limits LMT]] A B\n"},
        {{"diff", "-q", "a.br1", "b.br1"},
         "kvqsetup-cli diff: unknown option -q\nusage: kvqsetup-cli diff [--normalised [--limits "
         "LMT]] A B\n"},
    };
    for (const Row& row : rows) {
        const CliRun run = Cli(row.args);
        EXPECT_EQ(run.status, 2) << row.err;
        EXPECT_EQ(run.err, row.err);
        EXPECT_EQ(run.out, "");
    }
}

TEST_F(DumpDiffSetTest, GearsPrintsTheLadderOfEachFileAsStored) {
    SetupRecord odd = Normalised(ImportTemplate());
    odd.Set(GearRatio2, -std::numeric_limits<float>::quiet_NaN()); // its sign bit set
    const std::string four = Write("car.lo3", Normalised(ImportTemplate()));
    const std::string six = Write("odd.br1", odd);
    const CliRun run = Cli({"gears", four, six});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::string fourGears = "1 7.853\n2 5.471 -30.3\n3 4.478 -18.1\n4 3.844 -14.2\n";
    const std::string sixGears =
        "1 7.853\n2 nan\n3 4.478\n4 3.844 -14.2\n5 3.358 -12.6\n6 3.100 -7.7\n";
    EXPECT_EQ(run.out, "==> " + four + " <==\n" + fourGears + "==> " + six + " <==\n" + sixGears);
    using Json = nlohmann::ordered_json;
    auto gear = [](int number, Json ratio, Json upshift) {
        return Json{{"gear", number}, {"overallRatio", ratio}, {"upshiftPercent", upshift}};
    };
    const Json expected = {
        {"file", six},
        {"gearboxKind", 6},
        {"gears",
         {gear(1, 7.853, nullptr), gear(2, "nan", nullptr), gear(3, 4.478, nullptr),
          gear(4, 3.844, -14.2), gear(5, 3.358, -12.6), gear(6, 3.1, -7.7)}}};
    EXPECT_EQ(Json::parse(Cli({"gears", "--json", six}).out), expected);
}

TEST_F(DumpDiffSetTest, SetWritesTheFieldsAsAnEditDoesAndLeavesTheRest) {
    const std::string narrow = NarrowLimits();
    struct Row {
        const char* what;
        std::vector<std::string> args; // between FILE and -o OUT
        std::function<void(SetupRecord&)> change;
        std::string err = {}; // the clamps told
    };
    const Row rows[] = {
        {"clamped, partner following, gear by index",
         {"bumpfl=4", "Fuel=99", "GearIndex1=3"},
         [](SetupRecord& r) {
             r.Set(BumpFL, 4), r.Set(BumpFR, 4), r.Set(Fuel, 46.0f);
             r.Set(GearIndex1, 3), r.Set(GearRatio1, ExactRatio(3));
         },
         "Fuel: 99 is above the limit, set to 46\n"},
        {"below a limit, an index beyond its gear's",
         {"TyrePressureRL=3", "GearIndex1=50"},
         [](SetupRecord& r) {
             r.Set(TyrePressureRL, 16.0f), r.Set(TyrePressureRR, 16.0f);
             r.Set(GearIndex1, 9), r.Set(GearRatio1, ExactRatio(9));
         },
         "TyrePressureRL: 3 is below the limit, set to 16\n"
         "GearIndex1: 50 is above the limit, set to 9\n"},
        {"clamped quietly", {"--quiet", "Fuel=99"}, [](SetupRecord& r) { r.Set(Fuel, 46.0f); }},
        {"uncoupled before the edit",
         {"SymmetricFlag=0", "CamberFL=1"},
         [](SetupRecord& r) { r.SetSymmetricFlag(0), r.Set(CamberFL, 1.0f); }},
        {"uncoupled after the edit",
         {"CamberFL=1", "SymmetricFlag=0"},
         [](SetupRecord& r) {
             r.SetSymmetricFlag(0), r.Set(CamberFL, 1.0f), r.Set(CamberFR, 1.0f);
         }},
        {"the limits of a file",
         {"--limits", narrow, "Fuel=45", "RampAngle1=50"},
         [](SetupRecord& r) { r.Set(Fuel, 40.0f), r.Set(RampAngle1, 50.0f); },
         "Fuel: 45 is above the limit, set to 40\n"},
        {"ramp angle to its pair",
         {"RampAngle1=50"},
         [](SetupRecord& r) { r.Set(RampAngle1, 45.0f); }},
    };
    const std::string file = Example("default.br1");
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<std::string> args = {"set", file};
        args.insert(args.end(), row.args.begin(), row.args.end());
        args.insert(args.end(), {"-o", dir.File("out.br1")});
        const CliRun run = Cli(args);
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, row.err);
        SetupRecord expected = ImportTemplate();
        row.change(expected);
        EXPECT_EQ(test::ReadBytes(dir.File("out.br1")), FileBytes(expected));
    }
    EXPECT_EQ(test::ReadBytes(file), FileBytes(ImportTemplate()));
}

TEST_F(DumpDiffSetTest, SetInPlace) {
    const std::string file = Write("car.fe2", Other());
    const CliRun run = Cli({"set", file, "TyrePressureFL=25", "-o", file});
    EXPECT_EQ(run.status, 0) << run.err;
    SetupRecord expected = Other();
    expected.Set(TyrePressureFL, 25.0f);
    EXPECT_EQ(test::ReadBytes(file), FileBytes(expected));
}

// What dump prints, set reads back: every field set takes comes out as it was dumped.
TEST_F(DumpDiffSetTest, SetTakesWhatDumpPrints) {
    const std::string source = Write("source.fe2", Other());
    const auto names = SettableFieldNames();
    std::vector<std::string> args = {"set", Example("default.br1"), "SymmetricFlag=0"};
    for (const std::string& line : Lines(Cli({"dump", source}).out))
        if (std::ranges::find(names, line.substr(0, line.find('='))) != names.end())
            args.push_back(line);
    ASSERT_EQ(args.size(), 3 + names.size());
    args.insert(args.end(), {"-o", dir.File("out.br1")});
    const CliRun run = Cli(args);
    ASSERT_EQ(run.status, 0) << run.err;
    TSetup written;
    ASSERT_TRUE(LoadSetup(written, dir.File("out.br1")));
    for (const LayoutEntry& entry : RecordLayout()) {
        if (std::ranges::find(names, entry.name) == names.end()) continue;
        EXPECT_EQ(BytesOf(written.Record, entry), BytesOf(Other(), entry)) << entry.name;
    }
}

TEST_F(DumpDiffSetTest, SetRefusesAndWritesNothing) {
    const std::string file = Example("default.br1");
    const std::string out = dir.File("out.br1");
    struct Row {
        std::vector<std::string> args;
        int status;
        std::string err;
    };
    const Row rows[] = {
        {{"set", file, "Foo=1", "-o", out}, 1, "Foo: no such field\n"},
        {{"set", file, "Fuel=30", "BumpFL=x", "GearRatio1=2", "-o", out},
         1,
         "BumpFL: \"x\" is not an integer\nGearRatio1: follows GearIndex1, set that instead\n"},
        {{"set", dir.File("gone.br1"), "Fuel=30", "-o", out},
         1,
         dir.File("gone.br1") + ": file not found\n"},
        {{"set", file, "Fuel", "30", "-o", out},
         2,
         "kvqsetup-cli set: expected FIELD=VALUE, not Fuel\n"},
        {{"set", file, "-o", out}, 2, "kvqsetup-cli set: give a setup file and FIELD=VALUE\n"},
        {{"set", file, "Fuel=30"}, 2, "kvqsetup-cli set: no output file given (-o OUT)\n"},
    };
    const std::string usage =
        "usage: kvqsetup-cli set [--limits LMT] [--quiet] FILE FIELD=VALUE... -o OUT | --fields\n";
    for (const Row& row : rows) {
        SCOPED_TRACE(row.err);
        const CliRun run = Cli(row.args);
        EXPECT_EQ(run.status, row.status);
        EXPECT_EQ(run.err, row.status == 2 ? row.err + usage : row.err);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(std::filesystem::exists(out));
    }
}

TEST_F(DumpDiffSetTest, SetListsItsFields) {
    const CliRun run = Cli({"set", "--fields"});
    EXPECT_EQ(run.status, 0);
    const auto names = SettableFieldNames();
    EXPECT_EQ(Lines(run.out), std::vector<std::string>(names.begin(), names.end()));
}

TEST_F(DumpDiffSetTest, HelpOfEachCommand) {
    struct Row {
        const char* command;
        const char* usage;
    };
    const Row rows[] = {
        {"dump", "usage: kvqsetup-cli dump [--json] [--limits LMT] FILE..."},
        {"diff", "usage: kvqsetup-cli diff [--normalised [--limits LMT]] A B"},
        {"set",
         "usage: kvqsetup-cli set [--limits LMT] [--quiet] FILE FIELD=VALUE... -o OUT | --fields"},
        {"list", "usage: kvqsetup-cli list [--limits LMT] [--where EXPR]... [--sort KEY[,KEY]...] "
                 "[--json | --csv] [--duplicates] DIR..."},
    };
    const std::string general = Cli({"--help"}).out;
    for (const Row& row : rows) {
        const CliRun run = Cli({row.command, "--help"});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(Lines(run.out).front(), row.usage);
        const std::string synopsis =
            std::string(row.usage).substr(std::strlen("usage: kvqsetup-cli "));
        EXPECT_NE(general.find("  " + synopsis + "\n"), std::string::npos) << row.command;
    }
}

class CompletionTest : public test::CliFixture {
protected:
    // The replies of the completion for the words after the program's name, the last being the
    // word completed.
    std::vector<std::string> Complete(const std::vector<std::string>& words) {
        const std::string script = (test::SourceDir() / "scripts" / "kvqsetup-cli.bash").string();
        std::string command = "cd " + test::Quote(dir.Path().string()) + " && bash -c " +
                              test::Quote("source " + test::Quote(script) +
                                          " && COMP_WORDS=(\"$@\") && COMP_CWORD=$(($# - 1)) && "
                                          "_kvqsetup_cli; printf '%s\\n' \"${COMPREPLY[@]}\"") +
                              " _ " + test::Quote(KVQ_CLI_PATH);
        for (const auto& word : words) command += " " + test::Quote(word);
        command += " >" + test::Quote(dir.File("replies")) + " 2>&1";
        EXPECT_EQ(std::system(command.c_str()), 0);
        auto replies = Lines(test::ReadText(dir.File("replies")));
        std::erase(replies, "");
        std::ranges::sort(replies);
        return replies;
    }
};

TEST_F(CompletionTest, CommandsOptionsFilesAndFields) {
    test::WriteText(dir.File("narrow.lmt"), "");
    test::WriteText(dir.File("notes.txt"), "");
    std::filesystem::create_directory(dir.File("setups"));
    std::vector<std::string> bumpFields;
    for (std::string_view name : SettableFieldNames())
        if (name.starts_with("Bump")) bumpFields.push_back(std::string(name) + "=");
    struct Row {
        std::vector<std::string> words;
        std::vector<std::string> replies; // sorted
    };
    const Row rows[] = {
        {{"d"}, {"diff", "dump"}},
        {{"gears", "-"}, {"--help", "--json"}},
        {{"co"}, {"copy-chassis", "copy-gearbox"}},
        {{"dump", "--"}, {"--help", "--json", "--limits"}},
        {{"set", "-"}, {"--fields", "--help", "--limits", "--quiet", "-o"}},
        {{"diff", "-"}, {"--help"}},
        {{"set", "car.br1", "Bump"}, bumpFields},
        {{"set", "--limits", "narrow.lmt", "car.br1", "Fu"}, {"Fuel="}},
        {{"set", "-o", "out.br1", "car.br1", "Fuel=4"}, {}},
        {{"set", "--fields", ""}, {}},
        {{"set", "n"}, {"narrow.lmt", "notes.txt"}},
        {{"sheet", "--limits", ""}, {"narrow.lmt", "setups"}},
        {{"import", "--vocab-dir", ""}, {"setups"}},
        {{"normalise", "narrow.lmt", "-d", ""}, {"setups"}},
        {{"normalise", "-"}, {"--help", "--limits", "-d", "-o"}},
        {{"diff", "no"}, {"notes.txt"}},
        {{"list", "--c"}, {"--csv"}},
        {{"list", "--where", ""}, {}},
        {{"list", ""}, {"setups"}},
        {{"frobnicate", ""}, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.words));
        EXPECT_EQ(Complete(row.words), row.replies);
    }
}

} // namespace
} // namespace kvq
