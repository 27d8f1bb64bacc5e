#include "library/LibraryFilter.h"

#include "base/TextFormat.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace kvq {

namespace {

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), LowerAscii);
    return lower;
}

bool SameName(std::string_view a, std::string_view b) { return Lower(a) == Lower(b); }

// Whether the text holds the lower-case word in any case; the filter runs it on every row at
// each key, so it makes no copies.
bool HoldsWord(std::string_view text, std::string_view word) {
    return std::search(text.begin(), text.end(), word.begin(), word.end(),
                       [](char a, char b) { return LowerAscii(a) == b; }) != text.end();
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

template <typename T> int Order(const T& a, const T& b) { return a < b ? -1 : (b < a ? 1 : 0); }

// Half a unit of the last decimal of a number's text: "3.444" 0.0005, "43" 0.5; exact with an
// exponent.
double Tolerance(std::string_view number) {
    if (number.find_first_of("eE") != std::string_view::npos) return 0;
    const auto dot = number.find('.');
    const auto decimals = dot == std::string_view::npos ? 0 : number.size() - dot - 1;
    return 0.5 * std::pow(10.0, -static_cast<double>(decimals));
}

} // namespace

std::optional<EntryKey> EntryKey::Find(std::string_view name) {
    struct Named {
        std::string_view name;
        Kind kind;
    };
    static constexpr std::array kNamed = {
        Named{"path", Kind::Path},
        Named{"track", Kind::Track},
        Named{"make", Kind::Make},
        Named{"gears", Kind::Gears},
        Named{"size", Kind::Size},
        Named{"modified", Kind::Modified},
        Named{"TopGearRatio", Kind::TopGear},
    };
    for (const Named& named : kNamed)
        if (SameName(named.name, name)) return EntryKey(named.kind, nullptr);
    for (const LayoutEntry& entry : RecordLayout()) {
        const bool number = entry.encoding == Encoding::Int32 ||
                            entry.encoding == Encoding::Float32 || entry.encoding == Encoding::Byte;
        if (number && SameName(entry.name, name)) return EntryKey(Kind::Field, &entry);
    }
    return std::nullopt;
}

bool EntryKey::IsText() const {
    return kind_ == Kind::Path || kind_ == Kind::Track || kind_ == Kind::Make;
}

std::string_view EntryKey::Text(const LibraryEntry& entry) const {
    switch (kind_) {
    case Kind::Path: return entry.Path;
    case Kind::Track: return entry.Track;
    case Kind::Make: return entry.Make;
    default: return {};
    }
}

std::optional<double> EntryKey::Number(const LibraryEntry& entry) const {
    switch (kind_) {
    case Kind::Gears: return entry.Gears;
    case Kind::Size: return static_cast<double>(entry.Size);
    case Kind::Modified: return static_cast<double>(entry.ModifiedNs) / 1e9;
    case Kind::Path:
    case Kind::Track:
    case Kind::Make: return std::nullopt;
    case Kind::TopGear:
    case Kind::Field: break;
    }
    if (!entry.IsSetup()) return std::nullopt;
    if (kind_ == Kind::TopGear) return TopGearRatio(entry);
    switch (field_->encoding) {
    case Encoding::Int32: return entry.Shown.Int(field_->Slot());
    case Encoding::Float32: return entry.Shown.Float(field_->Slot());
    default: return entry.Shown.SymmetricFlag();
    }
}

std::vector<SortKey> ParseSortKeys(std::string_view text) {
    std::vector<SortKey> keys;
    while (true) {
        const auto comma = text.find(',');
        std::string_view name = text.substr(0, comma);
        const bool descending = name.starts_with('-');
        if (descending) name.remove_prefix(1);
        const auto key = EntryKey::Find(name);
        if (!key) throw KvqError("unknown field " + std::string(name));
        keys.push_back({*key, descending});
        if (comma == std::string_view::npos) return keys;
        text.remove_prefix(comma + 1);
    }
}

int CompareEntries(const LibraryEntry& a, const LibraryEntry& b, const std::vector<SortKey>& keys) {
    for (const SortKey& sort : keys) {
        int order = 0;
        if (sort.Key.IsText()) {
            order = Order(sort.Key.Text(a), sort.Key.Text(b));
        } else {
            const auto x = sort.Key.Number(a);
            const auto y = sort.Key.Number(b);
            // Entries without the value, and values that are no number, go last.
            const bool hasX = x && !std::isnan(*x);
            const bool hasY = y && !std::isnan(*y);
            if (hasX != hasY) return hasX ? -1 : 1;
            if (hasX) order = Order(*x, *y);
        }
        if (order != 0) return sort.Descending ? -order : order;
    }
    return Order(a.Path, b.Path);
}

FilterError::FilterError(std::string_view expression, std::size_t position, const std::string& what)
    : KvqError(std::string(expression) + ": at " + std::to_string(position) + ": " + what),
      position_(position) {}

LibraryFilter::LibraryFilter(std::string_view expression) {
    std::size_t start = 0;
    while (start < expression.size()) {
        if (IsBlank(expression[start])) {
            ++start;
            continue;
        }
        std::size_t end = start;
        while (end < expression.size() && !IsBlank(expression[end])) ++end;
        const std::string_view token = expression.substr(start, end - start);
        auto fail = [&](std::size_t offset, const std::string& what) {
            throw FilterError(expression, start + offset + 1, what);
        };
        Condition condition{};
        const auto op = token.find_first_of("<>=!");
        if (op == std::string_view::npos) {
            condition.text = Lower(token);
            condition.kind =
                condition.text == "dup" ? Condition::Kind::Duplicate : Condition::Kind::Word;
        } else {
            const std::string_view name = token.substr(0, op);
            if (name.empty()) fail(0, "expected a field name");
            condition.kind = Condition::Kind::Compare;
            condition.key = EntryKey::Find(name);
            if (!condition.key) fail(0, "unknown field " + std::string(name));
            const bool twoCharacters = op + 1 < token.size() && token[op + 1] == '=';
            switch (token[op]) {
            case '<': condition.op = twoCharacters ? Op::LessEqual : Op::Less; break;
            case '>': condition.op = twoCharacters ? Op::GreaterEqual : Op::Greater; break;
            case '=': condition.op = Op::Equal; break;
            default:
                if (!twoCharacters) fail(op + 1, "expected =");
                condition.op = Op::NotEqual;
            }
            const std::size_t valueAt = op + (twoCharacters && token[op] != '=' ? 2 : 1);
            const std::string_view value = token.substr(valueAt);
            if (condition.key->IsText()) {
                if (value.empty()) fail(valueAt, "expected a value");
                condition.text = Lower(value);
            } else {
                const auto number = ParseReal(value);
                if (!number) fail(valueAt, "expected a number");
                condition.number = *number;
                condition.tolerance = Tolerance(value);
            }
        }
        conditions_.push_back(std::move(condition));
        start = end;
    }
}

bool LibraryFilter::Holds(const Condition& condition, const LibraryEntry& entry) {
    switch (condition.kind) {
    case Condition::Kind::Word:
        return HoldsWord(entry.Path, condition.text) || HoldsWord(entry.Track, condition.text) ||
               HoldsWord(entry.Make, condition.text);
    case Condition::Kind::Duplicate: return entry.Duplicate;
    case Condition::Kind::Compare: break;
    }
    int order = 0;
    bool equal = false;
    if (condition.key->IsText()) {
        const std::string text = Lower(condition.key->Text(entry));
        order = Order(text, condition.text);
        equal = order == 0;
    } else {
        const auto value = condition.key->Number(entry);
        if (!value || std::isnan(*value)) return false;
        order = Order(*value, condition.number);
        equal = std::abs(*value - condition.number) < condition.tolerance || order == 0;
    }
    switch (condition.op) {
    case Op::Less: return order < 0;
    case Op::LessEqual: return order <= 0;
    case Op::Greater: return order > 0;
    case Op::GreaterEqual: return order >= 0;
    case Op::Equal: return equal;
    case Op::NotEqual: return !equal;
    }
    return false;
}

bool LibraryFilter::Matches(const LibraryEntry& entry) const {
    return std::all_of(conditions_.begin(), conditions_.end(),
                       [&](const Condition& condition) { return Holds(condition, entry); });
}

} // namespace kvq
