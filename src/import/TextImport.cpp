#include "import/TextImport.h"

#include "base/EntryLines.h"
#include "base/System.h"
#include "base/TextFormat.h"
#include "base/Utils.h"
#include "import/RtToken.h"
#include "setup/GearTables.h"
#include "setup/ImportTemplate.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>

namespace kvq {

namespace {

struct BuiltInEntry {
    std::string_view Word;
    float Code;
};

// #: word, code. Words are case-sensitive.
// clang-format off
constexpr BuiltInEntry kBuiltInVocabulary[] = {
    /*  0 */ {"Ratio", 0},
    /*  1 */ {"", 1},                 // SteeringRatio (RealField)
    /*  2 */ {"1", 0},
    /*  3 */ {"", 2},                 // TyrePressureFL (RealField)
    /*  4 */ {"(psi)", 0},
    /*  5 */ {"", 3},                 // TyrePressureFR (RealField)
    /*  6 */ {"Fuel", 0},
    /*  7 */ {"", 4},                 // Fuel (RealField)
    /*  8 */ {"gallons", 0},
    /*  9 */ {"", 5},                 // WheelRateFL (RealField)
    /* 10 */ {"in)", 0},
    /* 11 */ {"", 6},                 // WheelRateFR (RealField)
    /* 12 */ {"", 7},                 // BumpFL (IntegerField)
    /* 13 */ {"Bump", 0},
    /* 14 */ {"", 8},                 // BumpFR (IntegerField)
    /* 15 */ {"Ratios", 0},
    /* 16 */ {"", 9},                 // ReboundFL (IntegerField)
    /* 17 */ {"Rebound", 0},
    /* 18 */ {"", 10},                // ReboundFR (IntegerField)
    /* 19 */ {"Gear", 0},
    /* 20 */ {"", 11},                // 1st gear, GearIndex1 and GearRatio1 (GearList)
    /* 21 */ {"1", 0},
    /* 22 */ {"", 12},                // CamberFL (RealField)
    /* 23 */ {"(deg)", 0},
    /* 24 */ {"", 13},                // CamberFR (RealField)
    /* 25 */ {"Gear", 0},
    /* 26 */ {"", 14},                // 2nd gear, GearIndex2 and GearRatio2 (GearList)
    /* 27 */ {"1", 0},
    /* 28 */ {"", 15},                // BumpRubberFL (RealField)
    /* 29 */ {"(in)", 0},
    /* 30 */ {"", 16},                // BumpRubberFR (RealField)
    /* 31 */ {"Gear", 0},
    /* 32 */ {"", 17},                // 3rd gear, GearIndex3 and GearRatio3 (GearList)
    /* 33 */ {"Gear", 0},
    /* 34 */ {"", 18},                // 4th gear, GearIndex4 and GearRatio4 (GearList)
    /* 35 */ {"Toe-in", 0},
    /* 36 */ {"", 19},                // ToeInFront (RealField)
    /* 37 */ {"Gear Roll", 0},
    /* 38 */ {"", 20},                // 5th gear, GearIndex5 and GearRatio5 (GearList)
    /* 39 */ {"Roll", 0},
    /* 40 */ {"Stiffness", 0},
    /* 41 */ {"", 21},                // RollBarFront (RealField)
    /* 42 */ {"Gear Static", 0},
    /* 43 */ {"", 22},                // 6th gear, GearIndex6 and GearRatio6 (GearList)
    /* 44 */ {"Static", 0},
    /* 45 */ {"Height", 0},
    /* 46 */ {"", 23},                // RideHeightFront (RealField)
    /* 47 */ {"Bias", 0},
    /* 48 */ {"", 24},                // FrontBrakeBias (IntegerField)
    /* 49 */ {"Ratio", 0},
    /* 50 */ {"", 25},                // differential, DiffIndex and DiffRatio (DiffList)
    /* 51 */ {"Toe-in", 0},
    /* 52 */ {"", 26},                // ToeInRear (RealField)
    /* 53 */ {"Angles", 0},
    /* 54 */ {"", 27},                // ramp angles, RampAngle1 and RampAngle2 (RampPairList)
    /* 55 */ {"", 27},                // ramp angles (RampPairList)
    /* 56 */ {"Stiffness", 0},
    /* 57 */ {"", 28},                // RollBarRear (RealField)
    /* 58 */ {"Clutches", 0},
    /* 59 */ {"", 29},                // Clutches (IntegerField)
    /* 60 */ {"Height", 0},
    /* 61 */ {"", 30},                // RideHeightRear (RealField)
    /* 62 */ {"in", 0},
    /* 63 */ {"", 31},                // TyrePressureRL (RealField)
    /* 64 */ {"(psi)", 0},
    /* 65 */ {"", 32},                // TyrePressureRR (RealField)
    /* 66 */ {"", 33},                // WheelRateRL (RealField)
    /* 67 */ {"in)", 0},
    /* 68 */ {"", 34},                // WheelRateRR (RealField)
    /* 69 */ {"", 35},                // BumpRL (IntegerField)
    /* 70 */ {"Bump", 0},
    /* 71 */ {"", 36},                // BumpRR (IntegerField)
    /* 72 */ {"", 37},                // ReboundRL (IntegerField)
    /* 73 */ {"Rebound", 0},
    /* 74 */ {"", 38},                // ReboundRR (IntegerField)
    /* 75 */ {"", 39},                // CamberRL (RealField)
    /* 76 */ {"(deg)", 0},
    /* 77 */ {"", 40},                // CamberRR (RealField)
    /* 78 */ {"", 41},                // BumpRubberRL (RealField)
    /* 79 */ {"(in)", 0},
    /* 80 */ {"", 42},                // BumpRubberRR (RealField)
    /* 81 */ {"Asymmetrical Asymetrical", 0}, // either spelling: the second jumps to 84
    /* 82 */ {"", 43},                // the asymmetry cell (ToggleField), accepted unread
    /* 83 */ {"", 0},                 // end entry
    /* 84 */ {"Asymetrical", 0},      // reached only through entry 81
    /* 85 */ {"", 43},                // the asymmetry cell (ToggleField), accepted unread
};
// clang-format on
static_assert(std::size(kBuiltInVocabulary) == 86);

// Blanks, colons, slashes, backslashes, percent signs and line breaks part tokens; a tab is only
// skipped before a token. Points, minus signs and brackets stay in tokens: "-0.025", "Toe-in",
// "(lbs/in)" gives "(lbs" and "in)".
constexpr std::string_view kImportSeparators = " :/\\%\t\n\r";
constexpr std::string_view kImportDelimiters = " :/\\%\n\r";

// The differential's entries of the gear ratio table, searched whatever the limits say.
constexpr int kFirstDiffIndex = 86;
constexpr int kLastDiffIndex = 89;

// A vocabulary file bigger than this is dropped rather than allowed to exhaust memory; a real
// vocabulary needs a few kilobytes.
constexpr std::size_t kMaxVocabularyBytes = std::size_t{16} << 20;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// A code is an integer, or an integer, any one character and a tenths digit ("27.1"); what follows
// the tenths digit is ignored and the integer's sign is dropped ("-1.5" reads 1.5).
std::optional<float> ParseCode(std::string_view text) {
    const std::size_t signs = text.starts_with('+') || text.starts_with('-') ? 1 : 0;
    const std::size_t stop = std::min(text.find_first_not_of("0123456789", signs), text.size());
    const auto integer = ParseInteger(text.substr(0, stop));
    if (!integer) return std::nullopt;
    if (stop == text.size()) return static_cast<float>(*integer);
    if (stop + 1 >= text.size() || !IsDigit(text[stop + 1])) return std::nullopt;
    return ToSingle(std::abs(static_cast<double>(*integer)) + (text[stop + 1] - '0') / 10.0);
}

VocabularyParse ParseLines(EntryLineReader& reader) {
    VocabularyParse result;
    std::size_t bytes = 0;
    std::string line;
    while (reader.Next(line)) {
        const auto comma = line.find(',');
        const auto code = comma == std::string::npos
                              ? std::nullopt
                              : ParseCode(std::string_view(line).substr(0, comma));
        bytes += sizeof(TParseList) + line.size();
        if (comma == std::string::npos)
            result.Why = "no comma";
        else if (comma == 0)
            result.Why = "empty code";
        else if (!code)
            result.Why = "malformed code";
        else if (bytes > kMaxVocabularyBytes)
            result.Why = "more than 16 MiB of entries";
        if (!result.Usable()) {
            result.Line = reader.LineNumber();
            return result;
        }
        result.Entries.push_back({*code, line.substr(comma + 1)});
    }
    // An empty vocabulary would complete on any text, even an empty one.
    if (result.Entries.empty()) result.Why = "no entries";
    return result;
}

std::optional<float> ParseSingle(std::string_view token) {
    const auto value = ParseReal(token);
    if (!value) return std::nullopt;
    return ToSingle(*value);
}

// Fills tokens, emptied first, with the tokens of the text: the first, then each next one up to
// and including the one that reaches the end of the text.
void CutIntoTokens(std::string_view text, std::vector<std::string_view>& tokens) {
    TRtTokenList tokenizer(text);
    tokenizer.SetSeparators(kImportSeparators);
    tokenizer.SetDelimiters(kImportDelimiters);
    tokens.assign(1, tokenizer.First());
    while (!tokenizer.EndOfText()) tokens.push_back(tokenizer.Next());
}

// x + 0.001 in single precision: values a thousandth below a table ratio still select it.
float PlusTolerance(float x) { return ToSingle(static_cast<double>(x) + 0.001); }

// The unhidden "*.kvq" entries of the folder, whatever their kind, in byte order of their names.
std::vector<std::string> VocabularyFiles(const std::string& folder) {
    std::vector<std::string> paths;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(sys::NativePath(folder), ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = sys::PathText(it->path().filename());
        if (!name.starts_with('.') && name.ends_with(".kvq"))
            paths.push_back(sys::PathText(it->path()));
    }
    if (ec) throw KvqError("Cannot read " + PrintableName(folder) + ": " + ec.message());
    std::sort(paths.begin(), paths.end());
    return paths;
}

} // namespace

Vocabulary BuiltInVocabulary() {
    Vocabulary vocabulary;
    vocabulary.reserve(std::size(kBuiltInVocabulary));
    for (const BuiltInEntry& entry : kBuiltInVocabulary)
        vocabulary.push_back({entry.Code, std::string(entry.Word)});
    return vocabulary;
}

VocabularyParse ParseVocabulary(std::string_view text) {
    EntryLineReader reader(text);
    return ParseLines(reader);
}

int FindRatioIndex(float x, const ListLimit& range, float diffRatio) {
    const int first = ClampGearIndex(range.MinIndex);
    const int last = ClampGearIndex(range.MaxIndex);
    // The sheet shows overall ratios, gear times differential.
    if (x > DisplayedRatio(first)) x = ToSingle(static_cast<double>(x) / diffRatio);
    x = PlusTolerance(x);
    for (int index = first; index <= last; ++index)
        if (DisplayedRatio(index) <= x) return index;
    return std::max(first, last);
}

void TextImport::LoadVocabularies(const std::string& folder) {
    FreeVocabularies();
    vocabularies_.push_back(BuiltInVocabulary());
    if (!folder.empty()) AddVocabularies(folder);
}

void TextImport::AddVocabularies(const std::string& folder) {
    for (const std::string& path : VocabularyFiles(folder)) {
        // A folder, pipe or device of that name is no vocabulary; a pipe would keep us waiting.
        std::error_code ec;
        if (!std::filesystem::is_regular_file(sys::NativePath(path), ec)) {
            dropped_.push_back({path, 0, "not a regular file"});
            continue;
        }
        const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(sys::OpenStream(path, "rb"),
                                                                   &std::fclose);
        if (!file)
            throw KvqError("Cannot read " + PrintableName(path) + ": " + std::strerror(errno));
        EntryLineReader reader(file.get(), path);
        VocabularyParse parse = ParseLines(reader);
        if (parse.Usable())
            vocabularies_.push_back(std::move(parse.Entries));
        else
            dropped_.push_back({path, parse.Line, std::move(parse.Why)});
    }
}

void TextImport::FreeVocabularies() {
    vocabularies_.clear();
    dropped_.clear();
}

bool TextImport::Recognise(std::string_view text, const CurrentLimits& limits) {
    tables_ = &limits.Tables();
    done_ = false;
    // The text is the same for every vocabulary, so it is cut into tokens only once.
    CutIntoTokens(text.substr(0, kImportTextLimit), tokens_);
    for (const Vocabulary& vocabulary : vocabularies_) {
        ResetState();
        for (const std::string_view token : tokens_)
            if (!AcceptToken(vocabulary, token) || done_) break;
        if (done_) break;
    }
    tokens_.clear();
    tables_ = nullptr;
    return done_;
}

void TextImport::ResetState() {
    position_ = 0;
    record_ = ImportTemplate();
    done_ = false;
    deferredCount_ = 0;
    gearCount_ = 0;
    diffKnown_ = false;
    pendingRampAngle_ = 0;
}

bool TextImport::AcceptToken(const Vocabulary& vocabulary, std::string_view token) {
    if (position_ >= vocabulary.size()) {
        done_ = true;
        return true;
    }
    const TParseList& entry = vocabulary[position_];
    if (entry.Code == 0) {
        if (entry.Word.empty()) {
            done_ = true;
            return true;
        }
        // One search for both cases: a keyword that begins with the token has it at 0.
        const std::size_t occurrence = token.empty() ? std::string::npos : entry.Word.find(token);
        if (occurrence == 0) {
            ++position_;
        } else if (occurrence != std::string::npos) {
            // A later alternative of the keyword ("Roll" of "Gear Roll") continues after the
            // entry whose word it is, of whatever kind; a token that is no entry's word passes
            // over like any other.
            for (std::size_t i = position_; i < vocabulary.size(); ++i) {
                if (vocabulary[i].Word == token) {
                    position_ = i + 1;
                    break;
                }
            }
        }
        return true;
    }
    ++position_;
    return entry.Code < 0 || StoreFieldValue(entry.Code, token);
}

bool TextImport::StoreFieldValue(float code, std::string_view token) {
    if (!(code >= 1.0f && code < static_cast<float>(kFieldCount + 1))) return false;
    const int field = static_cast<int>(code);
    const int subSelector = static_cast<int>((code - static_cast<float>(field)) * 10.0f);
    return VisitField(field, *tables_,
                      Overloaded{
                          [&](const IntegerLimit& row) {
                              const auto value = ParseInteger(token);
                              if (value) record_.SetInt(row.Slot, *value);
                              return value.has_value();
                          },
                          [&](const RealLimit& row) {
                              const auto value = ParseSingle(token);
                              if (value) record_.SetFloat(row.Slot, *value);
                              return value.has_value();
                          },
                          [&](const ListLimit& row) {
                              switch (row.Kind) {
                              case ListKind::GearList:
                                  return StoreGear(FieldTableEntry(field).Index, token);
                              case ListKind::DiffList: return StoreDiff(token);
                              case ListKind::RampPairList:
                                  return StoreRampAngle(row, subSelector, token);
                              }
                              return false;
                          },
                          [](ToggleRow) { return true; },
                      });
}

bool TextImport::StoreGear(int gear, std::string_view token) {
    const auto value = ParseSingle(token);
    if (!value) return false;
    if (diffKnown_)
        SetGear(gear, *value);
    else if (deferredCount_ < deferred_.size())
        deferred_[deferredCount_++] = {gear, *value};
    ++gearCount_;
    return true;
}

void TextImport::SetGear(int gear, float value) {
    const ListLimit& row = tables_->ListRow(gear);
    const int index = FindRatioIndex(value, row, record_.Get(field::DiffRatio));
    record_.SetInt(row.IndexSlot, index);
    record_.SetFloat(row.ValueSlot, ExactRatio(index));
}

bool TextImport::StoreDiff(std::string_view token) {
    const auto value = ParseSingle(token);
    if (!value) return false;
    const float x = PlusTolerance(*value);
    int index = kFirstDiffIndex;
    while (index <= kLastDiffIndex && DisplayedRatio(index) > x) ++index;
    if (index > kLastDiffIndex) return false;
    // The three-decimal ratio, as the sheet shows it; normalising puts the exact one in its place.
    record_.Set(field::DiffIndex, index);
    record_.Set(field::DiffRatio, DisplayedRatio(index));
    diffKnown_ = true;
    for (std::size_t i = 0; i < deferredCount_; ++i) SetGear(deferred_[i].Gear, deferred_[i].Value);
    deferredCount_ = 0;
    return true;
}

bool TextImport::StoreRampAngle(const ListLimit& row, int subSelector, std::string_view token) {
    const auto value = ParseInteger(token);
    if (!value) return false;
    switch (subSelector) {
    case 0:
        // Two code-27 entries read "85/30": the first value waits for the second.
        if (pendingRampAngle_ == 0) {
            pendingRampAngle_ = *value;
        } else {
            record_.SetFloat(row.ValueSlot, static_cast<float>(pendingRampAngle_));
            record_.SetFloat(row.IndexSlot, static_cast<float>(*value));
        }
        break;
    case 1: record_.SetFloat(row.ValueSlot, static_cast<float>(*value)); break;
    case 2: record_.SetFloat(row.IndexSlot, static_cast<float>(*value)); break;
    default: break;
    }
    return true;
}

} // namespace kvq
