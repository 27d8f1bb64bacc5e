#pragma once

#include "base/Utils.h"
#include "library/Library.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// A value of a library entry that the filter and sorting reach by its name (in any case): the
// texts "path", "track" and "make", the numbers "gears", "size", "modified" (seconds since 1970)
// and "TopGearRatio", and every record field that dump prints as a number, as Open shows it.
class EntryKey {
public:
    [[nodiscard]] static std::optional<EntryKey> Find(std::string_view name);

    [[nodiscard]] bool IsText() const;
    [[nodiscard]] std::string_view Text(const LibraryEntry& entry) const;
    // None for a record value of an entry that holds no setup.
    [[nodiscard]] std::optional<double> Number(const LibraryEntry& entry) const;

private:
    enum class Kind : std::uint8_t { Path, Track, Make, Gears, Size, Modified, TopGear, Field };
    EntryKey(Kind kind, const LayoutEntry* field) : kind_(kind), field_(field) {}
    Kind kind_;
    const LayoutEntry* field_;
};

// One key of a sort order; entries without the value come last either way.
struct SortKey {
    EntryKey Key;
    bool Descending = false;
};
// "fuel,-track": keys joined by commas, "-" before one for a descending order. Throws KvqError
// "unknown field NAME".
[[nodiscard]] std::vector<SortKey> ParseSortKeys(std::string_view text);
// Negative, zero or positive as a sorts before, with or after b; the path decides ties.
[[nodiscard]] int CompareEntries(const LibraryEntry& a, const LibraryEntry& b,
                                 const std::vector<SortKey>& keys);

// A filter expression that does not parse: where (1 for its first character) and what was
// expected. Its text is "EXPRESSION: at N: WHAT".
class FilterError : public KvqError {
public:
    FilterError(std::string_view expression, std::size_t position, const std::string& what);
    [[nodiscard]] std::size_t Position() const { return position_; }

private:
    std::size_t position_;
};

// The filter language of the library. Conditions are separated by blanks and must all hold: a
// word is found, in any case, in the entry's path, track or make; "dup" holds for an entry whose
// record another entry holds too; KEY<VALUE, KEY<=VALUE, KEY>VALUE, KEY>=VALUE, KEY=VALUE and
// KEY!=VALUE compare an EntryKey, texts in any case and numbers as numbers. "=" takes a number
// to the decimals given ("DiffRatio=3.444" holds for 31/9, "Fuel=43" for what the sheet prints
// as 43). A record value of an entry that holds no setup meets no comparison.
class LibraryFilter {
public:
    LibraryFilter() = default;
    // Throws FilterError.
    explicit LibraryFilter(std::string_view expression);

    [[nodiscard]] bool Matches(const LibraryEntry& entry) const;
    [[nodiscard]] bool Empty() const { return conditions_.empty(); }

private:
    enum class Op : std::uint8_t { Less, LessEqual, Greater, GreaterEqual, Equal, NotEqual };
    struct Condition {
        enum class Kind : std::uint8_t { Word, Duplicate, Compare } kind;
        std::string text; // the word or the value, lower case
        std::optional<EntryKey> key;
        Op op = Op::Equal;
        double number = 0;
        double tolerance = 0; // of "=": half a unit of the last decimal given
    };
    [[nodiscard]] static bool Holds(const Condition& condition, const LibraryEntry& entry);
    std::vector<Condition> conditions_;
};

} // namespace kvq
