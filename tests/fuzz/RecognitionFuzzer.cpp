// Clipboard text against the built-in vocabulary and a vocabulary file, under the built-in and
// the file limits. The input: the vocabulary file, the limits text and the clipboard text, "%%"
// lines between them. Paste follows: the record normalised and shown.
#include "FuzzInput.h"
#include "RecordChecks.h"
#include "base/Utils.h"
#include "import/TextImport.h"
#include "setup/ImportTemplate.h"
#include "setup/Sheet.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

using namespace kvq;
using fuzz::Require;

namespace {

// A folder of its own for the vocabulary file, which the program reads only from a folder.
class VocabularyFolder {
public:
    VocabularyFolder()
        : path_((std::filesystem::temp_directory_path() / "kvq-fuzz-XXXXXX").string()) {
        Require(::mkdtemp(path_.data()) != nullptr, "a temporary folder");
    }
    ~VocabularyFolder() { std::filesystem::remove_all(path_); }
    VocabularyFolder(const VocabularyFolder&) = delete;
    VocabularyFolder& operator=(const VocabularyFolder&) = delete;

    const std::string& Holding(std::string_view vocabulary) const {
        std::ofstream(path_ + "/fuzz.kvq", std::ios::binary | std::ios::trunc)
            .write(vocabulary.data(), static_cast<std::streamsize>(vocabulary.size()));
        return path_;
    }

private:
    std::string path_;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const VocabularyFolder folder;
    const auto [vocabulary, limitsText, text] = fuzz::Parts<3>(data, size);
    TextImport import;
    import.LoadVocabularies(folder.Holding(vocabulary));
    Require(import.Vocabularies().size() + import.DroppedFiles().size() == 2,
            "the built-in vocabulary and the file's, taken or dropped");

    fuzz::UnderBothLimits(limitsText, [&import, text = text](const CurrentLimits& limits) {
        if (!import.Recognise(text, limits)) return;
        const SetupRecord imported = import.CopyImportedRecord();
        const int gears = import.ImportedGearCount();
        Require(import.Recognise(text, limits) && import.CopyImportedRecord() == imported &&
                    import.ImportedGearCount() == gears,
                "a second look at the same text finds the same");
        fuzz::RequireOnlyEditableSlotsDiffer(ImportTemplate(), imported, limits.Tables());

        // Paste: a page with the record normalised and its sheet shown.
        SetupRecord pasted = imported;
        Normalise(pasted, limits);
        fuzz::RequireNormalised(imported, pasted, limits);
        Require(SheetLines(pasted, ClampInt(gears, 4, 6)).size() == kSheetLineCount,
                "25 sheet lines");
    });
    return 0;
}
