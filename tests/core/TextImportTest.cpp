#include "import/TextImport.h"

#include "TestFiles.h"
#include "base/Utils.h"
#include "edit/LimitsFile.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <random>

namespace kvq {
namespace {

using namespace field;

std::string SheetText(const SetupRecord& record, int kind, std::string_view lineEnd) {
    std::string text;
    for (const std::string& line : SheetLines(record, kind)) text.append(line).append(lineEnd);
    return text;
}

// The sheet up to and including its asymmetry letter.
std::string SheetUpToAsymmetry(const SetupRecord& record) {
    const std::string text = SheetText(record, 6, "\r\n");
    return text.substr(0, text.find("Asymmetrical: ") + 15);
}

SetupRecord NormalisedTemplate() {
    SetupRecord record = ImportTemplate();
    Normalise(record, CurrentLimits{});
    return record;
}

// A setup within the built-in limits with every editable value drawn at random.
SetupRecord RandomSetup(std::mt19937& rng) {
    SetupRecord record = ImportTemplate();
    const LimitTables& t = BuiltInLimits();
    for (const auto& r : t.Integer)
        record.SetInt(r.Slot, std::uniform_int_distribution<>(r.MinValue, r.MaxValue)(rng));
    for (const auto& r : t.Real)
        record.SetFloat(r.Slot, std::uniform_real_distribution<float>(r.MinValue, r.MaxValue)(rng));
    for (const auto& r : t.List) {
        const int index = std::uniform_int_distribution<>(r.MinIndex, r.MaxIndex)(rng);
        if (r.Kind == ListKind::RampPairList) {
            record.SetFloat(r.ValueSlot, RampAnglePair(index).angle1);
            record.SetFloat(r.IndexSlot, RampAnglePair(index).angle2);
        } else {
            record.SetInt(r.IndexSlot, index);
        }
    }
    record.SetSymmetricFlag(static_cast<std::uint8_t>(rng() % 2));
    Normalise(record, CurrentLimits{});
    return record;
}

// A text import with the built-in vocabulary and the given vocabulary files.
class ImportWithFiles {
public:
    explicit ImportWithFiles(
        std::initializer_list<std::pair<const char*, std::string_view>> files) {
        for (const auto& [name, text] : files) test::WriteText(dir.File(name), text);
        import.LoadVocabularies(dir.Path().string());
    }
    test::TempDir dir;
    TextImport import;
};

TEST(ImportTemplateTest, HoldsTheTemplateValues) {
    const SetupRecord& t = ImportTemplate();
    // clang-format off
    const std::pair<FloatSlot, float> reals[] = {
        {GearRatio1, 2.533f},     {GearRatio2, 1.765f},     {GearRatio3, 1.444f},
        {GearRatio4, 1.24f},      {GearRatio5, 1.083f},     {GearRatio6, 1.0f},
        {DiffRatio, 3.1f},        {RampAngle2, 30},         {RampAngle1, 85},
        {TyrePressureFL, 18},     {TyrePressureFR, 18},     {TyrePressureRL, 22},
        {TyrePressureRR, 22},     {WheelRateFL, 80},        {WheelRateFR, 80},
        {WheelRateRL, 100},       {WheelRateRR, 100},       {CamberFL, -0.75f},
        {CamberFR, -0.25f},       {CamberRL, -0.5f},        {CamberRR, 0.25f},
        {BumpRubberFL, 1.5f},     {BumpRubberFR, 1.5f},     {BumpRubberRL, 1.5f},
        {BumpRubberRR, 1.5f},     {ToeInFront, -0.025f},    {ToeInRear, 0.125f},
        {RollBarFront, 90},       {RollBarRear, 70},        {RideHeightFront, 2.5f},
        {RideHeightRear, 2.75f},  {Fuel, 43},               {SteeringRatio, 16},
    };
    // clang-format on
    for (const auto& [slot, value] : reals) EXPECT_EQ(t.Get(slot), value) << "slot " << slot.slot;
    // clang-format off
    const std::pair<IntSlot, std::int32_t> integers[] = {
        {GearIndex1, 6}, {GearIndex2, 23}, {GearIndex3, 46}, {GearIndex4, 63}, {GearIndex5, 80},
        {GearIndex6, 83}, {DiffIndex, 89}, {BumpFL, 2}, {BumpFR, 2}, {BumpRL, 2}, {BumpRR, 2},
        {ReboundFL, 3}, {ReboundFR, 3}, {ReboundRL, 4}, {ReboundRR, 4}, {Clutches, 1},
        {FrontBrakeBias, 57},
    };
    // clang-format on
    for (const auto& [slot, value] : integers)
        EXPECT_EQ(t.Get(slot), value) << "slot " << slot.slot;
    // clang-format off
    const std::pair<int, std::uint32_t> words[] = {
        {Magic, 0x53544750}, {Reserved04, 3}, {Reserved08, 249}, {GearboxData12, 0xC02C49BA},
        {GearboxData16, 0}, {GearboxData48, 4}, {GearboxData52, 0},
    };
    // clang-format on
    for (const auto& [slot, word] : words) EXPECT_EQ(t.Word(slot), word) << "slot " << slot;
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(t.Float(Reserved172 + i), i < 4 ? 800.0f : 7.0f) << "Reserved172 word " << i;
    EXPECT_EQ(t.SymmetricFlag(), 1);
    EXPECT_EQ(t.Word(66), 0x20202001u);
}

// Every sheet the program prints is read back: the gear count is the number of gear lines, and
// the imported setup prints the same sheet but for the asymmetry letter, which is not read.
TEST(TextImportTest, ReadsBackEverySheet) {
    std::mt19937 rng(7);
    std::vector<SetupRecord> setups = {NormalisedTemplate()};
    for (int i = 0; i < 200; ++i) setups.push_back(RandomSetup(rng));
    TextImport import;
    import.LoadVocabularies();
    const CurrentLimits limits;
    for (const SetupRecord& setup : setups) {
        for (int kind : {4, 5, 6}) {
            for (const char* lineEnd : {"\r\n", "\n"}) {
                const std::string text = SheetText(setup, kind, lineEnd);
                ASSERT_TRUE(import.Recognise(text, limits)) << text;
                EXPECT_EQ(import.ImportedGearCount(), kind);
                SetupRecord imported = import.CopyImportedRecord();
                EXPECT_EQ(imported.SymmetricFlag(), 1);
                Normalise(imported, limits);
                SetupRecord shown = setup;
                shown.SetSymmetricFlag(1);
                ASSERT_EQ(SheetText(imported, kind, "\n"), SheetText(shown, kind, "\n"));
            }
        }
    }
}

// Every ratio of every gear, under every differential, survives the sheet's overall ratio.
TEST(TextImportTest, EveryGearIndexSurvivesTheSheet) {
    TextImport import;
    import.LoadVocabularies();
    const CurrentLimits limits;
    const LimitTables& t = BuiltInLimits();
    for (int diff = 86; diff <= 89; ++diff) {
        for (int gear = 1; gear <= 6; ++gear) {
            const ListLimit& row = t.ListRow(gear);
            for (int index = row.MinIndex; index <= row.MaxIndex; ++index) {
                SetupRecord setup = NormalisedTemplate();
                setup.Set(DiffIndex, diff);
                setup.SetInt(row.IndexSlot, index);
                Normalise(setup, limits);
                ASSERT_TRUE(import.Recognise(SheetText(setup, 6, "\r\n"), limits));
                EXPECT_EQ(import.CopyImportedRecord().Int(row.IndexSlot), index)
                    << "gear " << gear << ", differential " << diff;
            }
        }
    }
}

TEST(TextImportTest, WhatIsAndIsNotRecognised) {
    const SetupRecord setup = NormalisedTemplate();
    const std::string sheet = SheetText(setup, 6, "\r\n");
    std::string lowerCase = sheet;
    std::transform(lowerCase.begin(), lowerCase.end(), lowerCase.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    std::string misspelt = sheet;
    misspelt.replace(misspelt.find("Asymmetrical"), 12, "Asymetrical");
    std::string strayWord = sheet;
    strayWord.replace(strayWord.find("Ratio: 16"), 9, "Ratio: about 16");
    struct Row {
        const char* name;
        std::string text;
        bool recognised;
    };
    const Row rows[] = {
        {"the sheet", sheet, true},
        {"the sheet with Asymetrical", misspelt, true},
        {"ending right after the asymmetry letter", SheetUpToAsymmetry(setup), false},
        {"ending one delimiter after it", SheetUpToAsymmetry(setup) + "\n", false},
        {"ending two delimiters after it", SheetUpToAsymmetry(setup) + "\r\n", true},
        {"NUL right after the asymmetry letter", SheetUpToAsymmetry(setup) + '\0' + "\r\nBack",
         false},
        {"lower-case keywords", lowerCase, false},
        {"a stray word right before a value", strayWord, false},
        {"ordinary prose with a word inside Ratio", "I have a setup for you", false},
        {"an empty text", "", false},
    };
    TextImport import;
    import.LoadVocabularies();
    for (const Row& row : rows)
        EXPECT_EQ(import.Recognise(row.text, {}), row.recognised) << row.name;
}

// Only the first 32,766 characters are read: the text below ends two delimiters after the
// asymmetry letter exactly at that length, and one character later the cut leaves only one.
TEST(TextImportTest, ReadsTheFirst32766Characters) {
    const std::string sheet = SheetUpToAsymmetry(NormalisedTemplate()) + "\r\n";
    const std::string fits = std::string(kImportTextLimit - sheet.size(), ' ') + sheet;
    TextImport import;
    import.LoadVocabularies();
    EXPECT_TRUE(import.Recognise(fits, {}));
    EXPECT_FALSE(import.Recognise(" " + fits, {}));
}

TEST(FindRatioIndexTest, Lookups) {
    const LimitTables& t = BuiltInLimits();
    struct Row {
        const char* name;
        float x;
        ListLimit range;
        float diff;
        int index;
    };
    const auto range = [](int first, int last) {
        return ListLimit{0, 0, 0, ListKind::GearList, first, last, 0, 0};
    };
    const Row rows[] = {
        {"overall 1st gear 7.853 over 3.1", 7.853f, t.ListRow(1), 3.1f, 6},
        {"a gear ratio is taken as it is", 2.533f, t.ListRow(1), 3.1f, 6},
        {"a thousandth below a ratio, in single precision", 1.443f, t.ListRow(3), 3.1f, 46},
        {"a thousandth below 1.24, in single precision", 1.239f, t.ListRow(3), 3.1f, 63},
        {"below the range gives its last index", 0.5f, t.ListRow(2), 3.1f, 24},
        {"a range beyond the table is brought into it", 0.5f, range(-7, 120), 3.1f, 89},
        {"a range that ends before it starts gives its start", 0.5f, range(20, 10), 3.1f, 20},
    };
    for (const Row& row : rows)
        EXPECT_EQ(FindRatioIndex(row.x, row.range, row.diff), row.index) << row.name;
}

TEST(VocabularyTest, CodeForms) {
    struct Row {
        const char* line;
        float code;
        const char* word;
    };
    // clang-format off
    const Row rows[] = {
        {"12,", 12.0f, ""},           {"27.1,", 27.1f, ""},          {"27.15,", 27.1f, ""},
        {"-1,", -1.0f, ""},           {"-1.5,", 1.5f, ""},           {"+3,", 3.0f, ""},
        {"0,Gear Roll ", 0, "Gear Roll "}, {"0,", 0, ""},           {"5,a,b", 5.0f, "a,b"},
        {"   \t 4,Fuel", 4.0f, "Fuel"},
    };
    // clang-format on
    for (const Row& row : rows) {
        const VocabularyParse parse = ParseVocabulary(row.line);
        ASSERT_TRUE(parse.Usable()) << row.line << ": " << parse.Why;
        EXPECT_EQ(parse.Entries, (Vocabulary{{row.code, row.word}})) << row.line;
    }
}

TEST(VocabularyTest, UnusableTextsSayWhereAndWhy) {
    struct Row {
        const char* text;
        int line;
        const char* why;
        std::size_t entriesBefore;
    };
    const Row rows[] = {
        {"0,Ratio\n1,\n12.,x\n", 3, "malformed code", 2},
        {"12.x,\n", 1, "malformed code", 0},
        {"abc,\n", 1, "malformed code", 0},
        {"-,\n", 1, "malformed code", 0},
        {"99999999999,\n", 1, "malformed code", 0},
        {"0,Ratio\r\n\r\n,Fuel", 3, "empty code", 1},
        {"0,Ratio\nFuel\n", 2, "no comma", 1},
        {"", 0, "no entries", 0},
        {" \r\n\t\n", 0, "no entries", 0},
        {"\n\x1a\n0,Ratio\n", 0, "no entries", 0},
    };
    for (const Row& row : rows) {
        const VocabularyParse parse = ParseVocabulary(row.text);
        EXPECT_EQ(parse.Line, row.line) << row.text;
        EXPECT_EQ(parse.Why, row.why) << row.text;
        EXPECT_EQ(parse.Entries.size(), row.entriesBefore) << row.text;
    }
}

TEST(VocabularyTest, AHugeVocabularyIsDroppedNotLoaded) {
    const std::string line = "0," + std::string(1000, 'x') + "\n";
    std::string text;
    while (text.size() < (std::size_t{17} << 20)) text += line;
    const VocabularyParse parse = ParseVocabulary(text);
    EXPECT_EQ(parse.Why, "more than 16 MiB of entries");
    EXPECT_GT(parse.Line, 15000);
}

TEST(LoadVocabulariesTest, TakesUsableKvqFilesInNameOrder) {
    ImportWithFiles files({
        {"b.kvq", "0,Fuel\n-1,\n4,\n"},
        {"a.kvq", "0,Fuel\n4,\n"},
        {"c.kvq", "0,Fuel\n4.,\n"},
        {"d.kvq", "\r\n"},
        {"e.txt", "0,Fuel\n"},
        {".f.kvq", "0,Fuel\n"},
    });
    // A folder and a pipe of such a name are named and passed over; the pipe is not opened.
    std::filesystem::create_directory(files.dir.File("g.kvq"));
    const bool fifo = test::MakeFifo(files.dir.File("h.kvq"));
    TextImport& import = files.import;
    import.LoadVocabularies(files.dir.Path().string());
    ASSERT_EQ(import.Vocabularies().size(), 3u);
    EXPECT_EQ(import.Vocabularies()[0], BuiltInVocabulary());
    EXPECT_EQ(import.Vocabularies()[1].size(), 2u);
    EXPECT_EQ(import.Vocabularies()[2].size(), 3u);
    std::vector<DroppedVocabulary> dropped{{files.dir.File("c.kvq"), 2, "malformed code"},
                                           {files.dir.File("d.kvq"), 0, "no entries"},
                                           {files.dir.File("g.kvq"), 0, "not a regular file"}};
    if (fifo) dropped.push_back({files.dir.File("h.kvq"), 0, "not a regular file"});
    EXPECT_EQ(import.DroppedFiles(), dropped);
    // Both files recognise the text; a.kvq, tried first, reads 40 where b.kvq would read 50.
    EXPECT_TRUE(import.Recognise("Fuel 40 50 gallons", {}));
    EXPECT_EQ(import.CopyImportedRecord().Get(Fuel), 40.0f);

    import.FreeVocabularies();
    EXPECT_FALSE(import.Recognise(SheetText(NormalisedTemplate(), 6, "\r\n"), {}));
}

TEST(LoadVocabulariesTest, AFolderThatCannotBeListedIsAnError) {
    test::TempDir dir;
    TextImport import;
    const std::string missing = dir.File("none");
    EXPECT_THROW(
        {
            try {
                import.LoadVocabularies(missing);
            } catch (const KvqError& e) {
                EXPECT_EQ(std::string(e.what()),
                          "Cannot read " + missing + ": No such file or directory");
                throw;
            }
        },
        KvqError);
}

// One vocabulary file over one text: what it stores and whether it completes.
TEST(TextImportTest, VocabularyEntriesAtWork) {
    struct Row {
        const char* name;
        const char* vocabulary;
        const char* text;
        bool recognised;
        std::function<void(const SetupRecord&, int gearCount)> expect;
    };
    const SetupRecord t = ImportTemplate();
    // clang-format off
    const Row rows[] = {
        {"a value outside the limits is stored as read", "4,\n", "500 x", true,
         [](const SetupRecord& r, int) { EXPECT_EQ(r.Get(Fuel), 500.0f); }},
        {"a skip entry takes a token unread", "-1,\n4,\n", "junk 40 x", true,
         [](const SetupRecord& r, int) { EXPECT_EQ(r.Get(Fuel), 40.0f); }},
        {"the end entry needs one more token", "4,\n0,\n", "40", false, nullptr},
        {"a word inside a keyword that no entry is passes over", "0,Ratio\n1,\n", "a Ratio 12 x",
         true, [](const SetupRecord& r, int) { EXPECT_EQ(r.Get(SteeringRatio), 12.0f); }},
        {"a later alternative jumps to its entry", "0,Gear Bias\n4,\n0,Bias\n24,\n",
         "Bias 60 x", true,
         [&t](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(FrontBrakeBias), 60);
             EXPECT_EQ(r.Get(Fuel), t.Get(Fuel));
         }},
        {"a later alternative jumps to the entry of its word, whatever its kind",
         "0,Fuel Roll\n1,Roll\n4,\n0,\n", "Roll 55 x y\r\n", true,
         [&t](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(Fuel), 55.0f);
             EXPECT_EQ(r.Get(SteeringRatio), t.Get(SteeringRatio));
         }},
        {"an integer field takes no fraction", "24,\n", "57.5 x", false, nullptr},
        {"the asymmetry is accepted and not stored", "43,\n", "Y x", true,
         [](const SetupRecord& r, int) { EXPECT_EQ(r.SymmetricFlag(), 1); }},
        {"field 46 fails", "46,\n", "1 x", false, nullptr},
        {"field 0.5 fails", "0.5,\n", "1 x", false, nullptr},
        {"gears wait for the differential", "11,\n14,\n25,\n", "11.302 7.750 3.875 x", true,
         [](const SetupRecord& r, int gears) {
             EXPECT_EQ(gears, 2);
             EXPECT_EQ(r.Get(GearIndex1), 3);
             EXPECT_EQ(r.Get(GearRatio1), ExactRatio(3));
             EXPECT_EQ(r.Get(GearIndex2), 20);
             EXPECT_EQ(r.Get(DiffIndex), 87);
             EXPECT_EQ(r.Get(DiffRatio), 3.875f);
         }},
        {"gears after the differential are stored at once", "25,\n11,\n14,\n",
         "3.875 11.302 7.750 x", true,
         [](const SetupRecord& r, int gears) {
             EXPECT_EQ(gears, 2);
             EXPECT_EQ(r.Get(GearIndex1), 3);
             EXPECT_EQ(r.Get(GearIndex2), 20);
         }},
        {"without a differential gears are counted, not stored", "11,\n14,\n", "11.302 7.750 x",
         true,
         [&t](const SetupRecord& r, int gears) {
             EXPECT_EQ(gears, 2);
             EXPECT_EQ(r.Get(GearIndex1), t.Get(GearIndex1));
             EXPECT_EQ(r.Get(GearRatio1), t.Get(GearRatio1));
         }},
        {"a seventh gear before the differential is counted only",
         "11,\n14,\n17,\n18,\n20,\n22,\n11,\n25,\n",
         "2.917 2.000 2.000 2.000 2.000 2.000 3.538 3.875 x", true,
         [](const SetupRecord& r, int gears) {
             EXPECT_EQ(gears, 7);
             EXPECT_EQ(r.Get(GearIndex1), 3);
             EXPECT_EQ(r.Get(GearIndex6), 32);
         }},
        {"a differential a thousandth below 3.1 is 3.1", "25,\n", "3.099 x", true,
         [](const SetupRecord& r, int) { EXPECT_EQ(r.Get(DiffIndex), 89); }},
        {"a differential a thousandth below 3.444, in single precision", "25,\n", "3.443 x", true,
         [](const SetupRecord& r, int) { EXPECT_EQ(r.Get(DiffIndex), 88); }},
        {"a differential below 3.099 fails", "25,\n", "3.098 x", false, nullptr},
        {"the differential keeps its three-decimal ratio", "25,\n", "4.5 x", true,
         [](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(DiffIndex), 86);
             EXPECT_EQ(r.Get(DiffRatio), 4.429f);
         }},
        {"27.1 stores angle 1 only", "27.1,\n", "60 x", true,
         [](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(RampAngle1), 60.0f);
             EXPECT_EQ(r.Get(RampAngle2), 30.0f);
         }},
        {"27.3 lies below 27.3 and stores angle 2 only", "27.3,\n", "60 x", true,
         [](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(RampAngle1), 85.0f);
             EXPECT_EQ(r.Get(RampAngle2), 60.0f);
         }},
        {"27.4 stores nothing", "27.4,\n", "60 x", true,
         [&t](const SetupRecord& r, int) { EXPECT_EQ(r, t); }},
        {"two code-27 values are angle 1 and angle 2", "27,\n27,\n", "45 60 x", true,
         [](const SetupRecord& r, int) {
             EXPECT_EQ(r.Get(RampAngle1), 45.0f);
             EXPECT_EQ(r.Get(RampAngle2), 60.0f);
         }},
        {"a ramp angle is an integer", "27.1,\n", "60.5 x", false, nullptr},
    };
    // clang-format on
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ImportWithFiles files({{"v.kvq", row.vocabulary}});
        ASSERT_EQ(files.import.Vocabularies().size(), 2u);
        EXPECT_EQ(files.import.Recognise(row.text, {}), row.recognised);
        if (row.expect)
            row.expect(files.import.CopyImportedRecord(), files.import.ImportedGearCount());
    }
}

TEST(TextImportTest, GearRangesComeFromTheLimitsInForce) {
    CurrentLimits limits;
    limits.SetFileLimits(ParseLimits("11,0,5\n").Tables);
    limits.SelectFileLimits();
    TextImport import;
    import.LoadVocabularies();
    ASSERT_TRUE(import.Recognise(SheetText(NormalisedTemplate(), 6, "\r\n"), limits));
    EXPECT_EQ(import.CopyImportedRecord().Get(GearIndex1), 5);
}

// The bundled vocabulary reads its example text, "Name = value" lines; the gear lines present give
// the count.
TEST(TextImportTest, AlternativeLayoutOfTheExampleVocabulary) {
    const std::string text =
        test::ReadText((test::SourceDir() / "examples" / "alternative.txt").string());
    TextImport import;
    import.LoadVocabularies((test::SourceDir() / "examples").string());
    ASSERT_EQ(import.Vocabularies().size(), 2u);
    ASSERT_TRUE(import.Recognise(text, {}));
    EXPECT_EQ(import.ImportedGearCount(), 5);
    const SetupRecord r = import.CopyImportedRecord();
    EXPECT_EQ(r.Get(SteeringRatio), 14.0f);
    EXPECT_EQ(r.Get(FrontBrakeBias), 60);
    EXPECT_EQ(DisplayedRatio(r.Get(GearIndex1)), 2.917f);
    EXPECT_EQ(DisplayedRatio(r.Get(GearIndex3)), 1.444f);
    EXPECT_EQ(DisplayedRatio(r.Get(GearIndex5)), 1.143f);
    EXPECT_EQ(r.Get(GearIndex6), ImportTemplate().Get(GearIndex6));
    EXPECT_EQ(r.Get(DiffIndex), 87);
    EXPECT_EQ(r.Get(RampAngle1), 60.0f);
    EXPECT_EQ(r.Get(RampAngle2), 45.0f);
    EXPECT_EQ(r.Get(TyrePressureRR), 25.0f);
    EXPECT_EQ(r.Get(BumpRR), 4);
    EXPECT_EQ(r.Get(CamberRL), -0.75f);
    EXPECT_EQ(r.Get(ToeInRear), -0.1f);
    EXPECT_EQ(r.Get(RideHeightRear), 3.0f);
    // Four gears: "DiffRatio" is the other alternative of the 5th gear's keyword.
    std::string fourGears = text;
    fourGears.erase(fourGears.find("Gear5"), 14);
    ASSERT_TRUE(import.Recognise(fourGears, {}));
    EXPECT_EQ(import.ImportedGearCount(), 4);
}

// Binary bytes, huge texts, endless tokens, NUL bytes and damaged sheets end in an answer.
TEST(TextImportTest, HostileTexts) {
    ImportWithFiles files(
        {{"v.kvq", "0,Gear Bias\n11,\n14,\n17,\n18,\n20,\n22,\n11,\n14,\n25,\n"}});
    TextImport& import = files.import;
    std::mt19937 rng(11);
    auto randomBytes = [&](std::size_t n) {
        std::string s(n, '\0');
        for (char& c : s) c = static_cast<char>(rng());
        return s;
    };
    const std::string sheet = SheetText(NormalisedTemplate(), 6, "\r\n");
    std::vector<std::string> texts = {
        randomBytes(1 << 20),       std::string(1 << 20, 'a'), std::string(1 << 20, '\0'),
        std::string(1 << 20, '\n'), std::string(40000, '7'),   "Gear " + std::string(40000, '9'),
    };
    std::string manyTokens;
    while (manyTokens.size() < (1 << 20)) manyTokens += "Gear 1.0 Bias ";
    texts.push_back(manyTokens);
    for (int i = 0; i < 300; ++i) {
        std::string damaged = sheet;
        for (int k = 0; k < 5; ++k) damaged[rng() % damaged.size()] = static_cast<char>(rng());
        texts.push_back(damaged);
        texts.push_back(randomBytes(rng() % 5000));
    }
    for (const std::string& text : texts) {
        if (import.Recognise(text, {})) {
            EXPECT_GE(import.ImportedGearCount(), 0);
            EXPECT_LE(import.ImportedGearCount(), 8); // gear entries of the file
        }
    }
}

} // namespace
} // namespace kvq
