// A limits file: read, put in force, the example setup normalised under it, and the hit test asked
// about every character cell of the sheet and around it.
#include "FuzzInput.h"
#include "RecordChecks.h"
#include "edit/LimitsFile.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

using namespace kvq;
using fuzz::Require;

namespace {

// Past the widest sheet line, with a cell to spare on every side.
constexpr int kColumns = 72;

void RequireHitsLandOnTheirCells(const CellMetrics& metrics, const CurrentLimits& limits) {
    for (int kind = 4; kind <= 6; ++kind) {
        for (int row = -1; row <= kSheetLineCount; ++row) {
            for (int column = -1; column < kColumns; ++column) {
                // A different point inside each cell, so that no offset within a cell goes untried.
                const int x = column * metrics.CharWidth + (row + column + 1) % metrics.CharWidth;
                const int y = row * metrics.LineHeight + (row + column + 1) % metrics.LineHeight;
                const int field = FieldAt(x, y, kind, metrics, limits);
                if (field == 0) continue;
                Require(field >= 1 && field <= kFieldCount, "a field of the table");
                const SheetCell cell = CellOfField(field, limits.Tables());
                Require(row == cell.Row && column >= cell.Col && column <= cell.Col + cell.Width,
                        "the field found stands under the pointer");
                Require(field != kFifthGearField || kind >= 5, "5th gear only with five gears");
                Require(field != kSixthGearField || kind == 6, "6th gear only with six gears");
                Require(field != kRampPairField || limits.BuiltInInForce(),
                        "the ramp pair only under the built-in limits");
            }
        }
    }
}

// The file sets minimum, maximum and step, or the list bounds; nothing else of a row.
void RequireOnlyLimitsChanged(LimitTables tables) {
    const LimitTables& builtIn = BuiltInLimits();
    auto takeBuiltIn = [](auto& rows, const auto& original, auto... members) {
        for (std::size_t i = 0; i < rows.size(); ++i)
            ((rows[i].*members = original[i].*members), ...);
    };
    takeBuiltIn(tables.Integer, builtIn.Integer, &IntegerLimit::MinValue, &IntegerLimit::MaxValue,
                &IntegerLimit::Increment);
    takeBuiltIn(tables.Real, builtIn.Real, &RealLimit::MinValue, &RealLimit::MaxValue,
                &RealLimit::Increment);
    takeBuiltIn(tables.List, builtIn.List, &ListLimit::MinIndex, &ListLimit::MaxIndex);
    Require(tables == builtIn, "only limits change");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const LimitsFileContent content =
        ParseLimits(std::string_view(reinterpret_cast<const char*>(data), size));
    for (const LimitsNote& note : content.Notes) Require(note.Line >= 1, "notes name their line");
    CurrentLimits limits;
    limits.SetFileLimits(content.Tables);
    limits.SelectFileLimits();
    Require(limits.Tables() == content.Tables, "the file limits are in force");
    RequireOnlyLimitsChanged(content.Tables);

    const SetupRecord example = ImportTemplate();
    SetupRecord record = example;
    Normalise(record, limits);
    fuzz::RequireNormalised(example, record, limits);
    Require(SheetLines(record, 6).size() == kSheetLineCount, "25 sheet lines");

    for (const CellMetrics& metrics : {kNormalMetrics, kLargeMetrics})
        RequireHitsLandOnTheirCells(metrics, limits);
    return 0;
}
