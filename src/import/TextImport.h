#pragma once

#include "edit/FieldTable.h"
#include "setup/SetupRecord.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// One vocabulary entry. Code 0 with a word: keyword; code 0 without one: end of the vocabulary;
// code > 0: the next token is the value of field N = integer part of Code, its tenths digit a
// sub-selector; code < 0: the next token is skipped.
struct TParseList {
    float Code;
    std::string Word;
    friend bool operator==(const TParseList&, const TParseList&) = default;
};

using Vocabulary = std::vector<TParseList>;

// The vocabulary that reads the program's own setup sheet.
[[nodiscard]] Vocabulary BuiltInVocabulary();

// A vocabulary text read line by line ("code,word"). When a line makes the text unusable, Entries
// holds what came before it, Line is that line (0 for a text without entries) and Why says why.
struct VocabularyParse {
    Vocabulary Entries;
    int Line = 0;
    std::string Why;
    [[nodiscard]] bool Usable() const { return Why.empty(); }
};
[[nodiscard]] VocabularyParse ParseVocabulary(std::string_view text);

// A vocabulary file that LoadVocabularies passed over, and why.
struct DroppedVocabulary {
    std::string File;
    int Line;
    std::string Why;
    friend bool operator==(const DroppedVocabulary&, const DroppedVocabulary&) = default;
};

// Text beyond this many characters is not read: the clipboard hands over no more.
inline constexpr std::size_t kImportTextLimit = 32766;

// The gear ratio table index whose three-decimal ratio a gear value x stands for, within the list
// row's range (brought into the table first). A value above the range's first ratio is an overall
// ratio and is divided by diffRatio first. Every step is rounded to single precision.
[[nodiscard]] int FindRatioIndex(float x, const ListLimit& range, float diffRatio);

// Recognises setups written as text: the program's own sheet through the built-in vocabulary and
// other layouts through vocabulary files. Each vocabulary is tried in turn over the text, starting
// from the import template; the first that reaches its end wins.
class TextImport {
public:
    // The built-in vocabulary, then one vocabulary for each usable "*.kvq" ordinary, unhidden
    // file of the folder, in byte order of the file names; with no folder, the built-in one alone.
    // A folder that cannot be listed or a file that cannot be read throws KvqError; the
    // vocabularies taken before it stay.
    void LoadVocabularies(const std::string& folder = {});
    // The vocabularies of another folder's files, taken as LoadVocabularies takes them, after
    // those already loaded.
    void AddVocabularies(const std::string& folder);
    void FreeVocabularies();

    // Runs the recognition over text up to its first NUL, at most kImportTextLimit characters,
    // with field slots and ranges from the limits in force. True when a vocabulary recognised it;
    // the imported record and gear count then describe that attempt.
    bool Recognise(std::string_view text, const CurrentLimits& limits);

    [[nodiscard]] SetupRecord CopyImportedRecord() const { return record_; }
    [[nodiscard]] int ImportedGearCount() const { return gearCount_; }

    [[nodiscard]] const std::vector<Vocabulary>& Vocabularies() const { return vocabularies_; }
    [[nodiscard]] const std::vector<DroppedVocabulary>& DroppedFiles() const { return dropped_; }

private:
    struct DeferredGear {
        int Gear; // row of the list limit table, 1..6
        float Value;
    };
    static constexpr std::size_t kMaxDeferredGears = 6;

    void ResetState();
    bool AcceptToken(const Vocabulary& vocabulary, std::string_view token);
    bool StoreFieldValue(float code, std::string_view token);
    bool StoreGear(int gear, std::string_view token);
    bool StoreDiff(std::string_view token);
    bool StoreRampAngle(const ListLimit& row, int subSelector, std::string_view token);
    void SetGear(int gear, float value);

    std::vector<Vocabulary> vocabularies_;
    std::vector<DroppedVocabulary> dropped_;

    // The tokens of the text while Recognise runs. Kept between runs, empty, for its capacity: the
    // test repeats on every clipboard change and then allocates nothing.
    std::vector<std::string_view> tokens_;

    // The import state; after a recognition it holds the last attempt.
    const LimitTables* tables_ = nullptr;
    std::size_t position_ = 0;
    SetupRecord record_;
    bool done_ = false;
    std::array<DeferredGear, kMaxDeferredGears> deferred_{};
    std::size_t deferredCount_ = 0;
    int gearCount_ = 0;
    bool diffKnown_ = false;
    std::int32_t pendingRampAngle_ = 0;
};

} // namespace kvq
