// A setup file: its name, the limits text in force, and its bytes, "%%" lines between them.
// Taken as Open takes a file's bytes, normalised under the built-in and the file limits, shown,
// and for the built-in limits copied and pasted back.
#include "FuzzInput.h"
#include "RecordChecks.h"
#include "import/TextImport.h"
#include "setup/Sheet.h"

#include <span>
#include <string>

using namespace kvq;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto [name, limitsText, bytes] = fuzz::Parts<3>(data, size);
    const SetupRecord read = SetupRecord::FromBytes(
        std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
    if (!read.HasMagic()) return 0;
    const int kind = GearboxKindFromFileName(name);
    Require(kind >= 4 && kind <= 6, "4, 5 or 6 gears");

    fuzz::UnderBothLimits(limitsText, [&](const CurrentLimits& limits) {
        SetupRecord record = read;
        Normalise(record, limits);
        fuzz::RequireNormalised(read, record, limits);
        const std::vector<std::string> lines = SheetLines(record, kind);
        Require(lines.size() == kSheetLineCount, "25 sheet lines");
        if (!limits.BuiltInInForce()) return;

        SetupRecord again = record;
        Normalise(again, limits);
        Require(again == record, "normalising twice changes nothing more");

        // Copy and Paste: the sheet of any normalised setup reads back as the same sheet, but
        // for the asymmetry letter, which is not read.
        std::string text;
        for (const std::string& line : lines) text.append(line).append("\r\n");
        TextImport import;
        import.LoadVocabularies();
        Require(import.Recognise(text, limits), "the sheet is recognised");
        Require(import.ImportedGearCount() == kind, "the sheet's gears are counted");
        SetupRecord pasted = import.CopyImportedRecord();
        Normalise(pasted, limits);
        record.SetSymmetricFlag(pasted.SymmetricFlag());
        Require(SheetLines(pasted, kind) == SheetLines(record, kind), "the sheet reads back");
    });
    return 0;
}
