#include "library/Library.h"
#include "library/LibraryFilter.h"

#include "TestFiles.h"
#include "edit/FieldEdit.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <sys/stat.h>

namespace kvq {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using test::WriteBytes;
using test::WriteText;

std::vector<std::uint8_t> Bytes(const SetupRecord& record) {
    return {record.ToBytes().begin(), record.ToBytes().end()};
}

SetupRecord With(std::string_view name, std::string_view value) {
    SetupRecord record = ImportTemplate();
    SetNamedField(record, name, value, CurrentLimits());
    return record;
}

// What a scan found at each path below the temporary folder.
struct Found {
    EntryProblem problem;
    std::string track;
    std::string make;
    int gears;
    bool duplicate;
    friend bool operator==(const Found&, const Found&) = default;
};

TEST(LibraryScan, EachKindOfFileIsOneEntryWithItsReason) {
    TempDir dir;
    const std::string root = dir.File("Players");
    fs::create_directories(root + "/Monza/dir.br1");
    fs::create_directories(root + "/Spa");
    const auto setup = Bytes(ImportTemplate());
    WriteBytes(root + "/Monza/a.br1", setup);
    WriteBytes(root + "/Monza/dir.br1/copy.fe2", setup);
    WriteBytes(root + "/Monza/B.BR1", Bytes(With("Fuel", "20")));
    WriteBytes(root + "/top.bb3", Bytes(With("Fuel", "21")));
    WriteText(root + "/Spa/bad.lo3", "XXXX and more");
    WriteText(root + "/Spa/short.co1", "PG");
    WriteText(root + "/Spa/notes.txt", "not a setup name");
    WriteText(root + "/Spa/new\nline\xe9.mu2", "no setup");
    ASSERT_EQ(::mkfifo((root + "/Spa/pipe.ea1").c_str(), 0600), 0);
    fs::create_symlink("../Monza/a.br1", root + "/Spa/link.fe1");
    fs::create_symlink("nothing.fe1", root + "/Spa/dangling.fe1");
    fs::create_directory_symlink("..", root + "/Spa/loop");
    // A gigabyte with a setup's start is read to its 264th byte and no further.
    WriteBytes(root + "/Spa/huge.lo1", setup);
    fs::resize_file(root + "/Spa/huge.lo1", std::uintmax_t{1} << 30);

    // The second root lies inside the first: its files are not found twice.
    const auto entries = ScanLibrary({root, root + "/Spa", dir.File("gone")}, CurrentLimits());
    std::map<std::string, Found> found;
    for (const LibraryEntry& entry : entries)
        found[fs::path(entry.Path).lexically_relative(dir.Path()).string()] = {
            entry.Problem, entry.Track, std::string(entry.Make), entry.Gears, entry.Duplicate};
    using P = EntryProblem;
    const std::map<std::string, Found> expected = {
        {"Players/Monza/a.br1", {P::None, "Monza", "BRM", 6, true}},
        {"Players/Monza/dir.br1/copy.fe2", {P::None, "Monza", "Ferrari", 5, true}},
        {"Players/Monza/B.BR1", {P::None, "Monza", "BRM", 5, false}},
        {"Players/top.bb3", {P::None, "Players", "Brabham", 4, false}},
        {"Players/Spa/bad.lo3", {P::InvalidFileType, "Spa", "Lotus", 4, false}},
        {"Players/Spa/short.co1", {P::TooShort, "Spa", "Coventry", 5, false}},
        {"Players/Spa/new\nline\xe9.mu2", {P::InvalidFileType, "Spa", "Murusama", 5, false}},
        {"Players/Spa/pipe.ea1", {P::NotRegularFile, "Spa", "Eagle", 5, false}},
        {"Players/Spa/link.fe1", {P::None, "Spa", "Ferrari", 5, true}},
        {"Players/Spa/dangling.fe1", {P::NotFound, "Spa", "Ferrari", 5, false}},
        {"Players/Spa/loop", {P::LinkLoop, "Spa", "", 5, false}},
        {"Players/Spa/huge.lo1", {P::None, "Spa", "Lotus", 5, true}},
        {"gone", {P::NotFound, fs::path(dir.Path()).filename().string(), "", 5, false}},
    };
    EXPECT_EQ(found, expected);
    EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(),
                               [](const auto& a, const auto& b) { return a.Path < b.Path; }));
    const auto huge = std::find_if(entries.begin(), entries.end(),
                                   [](const auto& e) { return e.Path.ends_with("huge.lo1"); });
    EXPECT_EQ(huge->Size, std::uint64_t{1} << 30);
    EXPECT_EQ(huge->Stored, ImportTemplate());
}

TEST(LibraryScan, AFileRootIsItsOwnEntryAndProgressCanStopTheScan) {
    TempDir dir;
    for (const char* name : {"a.fe1", "b.fe1", "c.fe1"})
        WriteBytes(dir.File(name), Bytes(ImportTemplate()));
    const auto single = ScanLibrary({dir.File("b.fe1")}, CurrentLimits());
    ASSERT_EQ(single.size(), 1U);
    EXPECT_EQ(single[0].Track, dir.Path().filename().string());
    EXPECT_TRUE(single[0].IsSetup());

    const auto stopped = ScanLibrary({dir.Path().string()}, CurrentLimits(),
                                     [](std::size_t found) { return found < 2; });
    EXPECT_EQ(stopped.size(), 2U);
}

TEST(LibraryEntry, KeyValuesAsTheSheetPrintsThemWithinTheLimits) {
    TempDir dir;
    SetupRecord plain = ImportTemplate();
    Normalise(plain, CurrentLimits());
    SetupRecord wide = plain;
    wide.Set(field::Fuel, 999.0F); // beyond the limits: Open shows the highest fuel
    WriteBytes(dir.File("wide.br1"), Bytes(wide));
    WriteBytes(dir.File("plain.lo3"), Bytes(plain));
    for (const char* name : {"wide.br1", "plain.lo3"}) {
        const LibraryEntry entry =
            ReadLibraryEntry(dir.Path().string(), dir.File(name), CurrentLimits());
        SCOPED_TRACE(name);
        EXPECT_EQ(entry.Normalised, entry.Stored == plain);
        const auto lines = SheetLines(entry.Shown, entry.Gears);
        const std::string topGear = entry.Gears == 6 ? "6th Gear:" : "4th Gear:";
        const std::map<KeyValue, std::pair<int, std::string>> shownAfter = {
            {KeyValue::Fuel, {2, "Fuel: "}},
            {KeyValue::SteeringRatio, {1, "Steering Ratio: "}},
            {KeyValue::FrontBrakeBias, {12, "Front Brake Bias: "}},
            {KeyValue::DiffRatio, {12, "Diff Ratio:  "}},
            {KeyValue::TopGear, {entry.Gears == 6 ? 10 : 8, topGear}},
        };
        for (const auto& [key, where] : shownAfter) {
            const std::string& line = lines[static_cast<std::size_t>(where.first)];
            std::string printed = line.substr(line.find(where.second) + where.second.size());
            printed.erase(0, printed.find_first_not_of(' '));
            EXPECT_TRUE(printed.starts_with(KeyValueText(entry, key))) << printed;
        }
    }
}

// Entries as a scan would make them, without files.
std::vector<LibraryEntry> SampleEntries() {
    auto setup = [](std::string path, std::string track, std::string_view make,
                    const SetupRecord& record) {
        LibraryEntry entry;
        entry.Path = std::move(path);
        entry.Track = std::move(track);
        entry.Make = make;
        entry.Gears = GearboxKindFromFileName(entry.Path);
        entry.Stored = entry.Shown = record;
        Normalise(entry.Shown, CurrentLimits());
        return entry;
    };
    std::vector<LibraryEntry> entries = {
        setup("p/Monza/fast.br1", "Monza", "BRM", With("Fuel", "30")),
        setup("p/Monza/wet.lo3", "Monza", "Lotus", With("Fuel", "43")),
        setup("p/Spa/long.fe2", "Spa", "Ferrari", With("DiffIndex", "88")),
        setup("p/Spa/copy.fe2", "Spa", "Ferrari", With("DiffIndex", "88")),
    };
    LibraryEntry bad;
    bad.Path = "p/Spa/bad.fe2";
    bad.Track = "Spa";
    bad.Make = "Ferrari";
    bad.Problem = EntryProblem::InvalidFileType;
    entries.push_back(bad);
    MarkDuplicates(entries);
    return entries;
}

std::vector<std::string> Matching(const std::vector<LibraryEntry>& entries,
                                  const LibraryFilter& filter) {
    std::vector<std::string> names;
    for (const LibraryEntry& entry : entries)
        if (filter.Matches(entry)) names.push_back(std::string(FileNameOf(entry.Path)));
    return names;
}

TEST(LibraryFilter, ConditionsSelectTheEntries) {
    const auto entries = SampleEntries();
    using Names = std::vector<std::string>;
    const std::pair<const char*, Names> rows[] = {
        {"", {"fast.br1", "wet.lo3", "long.fe2", "copy.fe2", "bad.fe2"}},
        {"  MONZA ", {"fast.br1", "wet.lo3"}},
        {"ferr", {"long.fe2", "copy.fe2", "bad.fe2"}},
        {"fuel<40", {"fast.br1"}},
        {"Fuel>=30 gears=4", {"wet.lo3"}},
        {"fuel=43", {"wet.lo3", "long.fe2", "copy.fe2"}},
        {"DiffRatio=3.444", {"long.fe2", "copy.fe2"}},
        {"DiffRatio!=3.444", {"fast.br1", "wet.lo3"}},
        {"gears>=5", {"fast.br1", "long.fe2", "copy.fe2", "bad.fe2"}},
        {"make=lotus", {"wet.lo3"}},
        {"track!=monza", {"long.fe2", "copy.fe2", "bad.fe2"}},
        {"dup", {"long.fe2", "copy.fe2"}},
        {"dup monza", {}},
        {"TopGearRatio>0 spa", {"long.fe2", "copy.fe2"}},
    };
    for (const auto& [expression, names] : rows)
        EXPECT_EQ(Matching(entries, LibraryFilter(expression)), names) << expression;
}

TEST(LibraryFilter, AnExpressionThatDoesNotParseSaysWhere) {
    const std::tuple<const char*, std::size_t, const char*> rows[] = {
        {"fuel<<4", 6, "fuel<<4: at 6: expected a number"},
        {"monza <4", 7, "monza <4: at 7: expected a field name"},
        {"foo=1", 1, "foo=1: at 1: unknown field foo"},
        {"Reserved04=1", 1, "Reserved04=1: at 1: unknown field Reserved04"},
        {"spa fuel!4", 10, "spa fuel!4: at 10: expected ="},
        {"track=", 7, "track=: at 7: expected a value"},
        {"fuel>=", 7, "fuel>=: at 7: expected a number"},
    };
    for (const auto& [expression, position, message] : rows) {
        try {
            (void)LibraryFilter(expression);
            ADD_FAILURE() << expression << " parsed";
        } catch (const FilterError& e) {
            EXPECT_EQ(e.Position(), position);
            EXPECT_STREQ(e.what(), message);
        }
    }
}

TEST(LibrarySort, KeysInOrderWithEntriesLackingTheValueLast) {
    auto entries = SampleEntries();
    const auto keys = ParseSortKeys("-fuel,Track");
    std::sort(entries.begin(), entries.end(),
              [&](const auto& a, const auto& b) { return CompareEntries(a, b, keys) < 0; });
    std::vector<std::string> names;
    for (const auto& entry : entries) names.push_back(std::string(FileNameOf(entry.Path)));
    EXPECT_EQ(names,
              (std::vector<std::string>{"wet.lo3", "copy.fe2", "long.fe2", "fast.br1", "bad.fe2"}));
    EXPECT_THROW((void)ParseSortKeys("fuel,colour"), KvqError);
}

TEST(LibraryDuplicates, OnlyTheSameRecordCountsWhateverTheHash) {
    auto entries = SampleEntries();
    EXPECT_EQ(DuplicateGroups(entries), (std::vector<std::vector<std::size_t>>{{2, 3}}));
    for (auto& entry : entries) entry.Hash = 7; // every hash alike: the records still decide
    EXPECT_EQ(DuplicateGroups(entries), (std::vector<std::vector<std::size_t>>{{2, 3}}));
}

} // namespace
} // namespace kvq
