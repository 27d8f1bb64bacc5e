#include "base/TextFormat.h"

#include <array>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <system_error>

namespace kvq {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads an unsigned decimal number at pos; returns -1 when there are no digits.
int ReadCount(std::string_view text, std::size_t& pos) {
    if (pos >= text.size() || !IsDigit(text[pos])) return -1;
    int n = 0;
    while (pos < text.size() && IsDigit(text[pos])) n = n * 10 + (text[pos++] - '0');
    return n;
}

void AppendPadded(std::string& out, std::string_view piece, int width) {
    if (width > 0 && piece.size() < static_cast<std::size_t>(width))
        out.append(static_cast<std::size_t>(width) - piece.size(), ' ');
    out.append(piece);
}

// A NaN is "nan" whatever its sign bit, as the texts of the other numbers are "inf" and "-inf".
constexpr const char* kNotANumber = "nan";

std::string IntegerText(std::int64_t value) {
    std::array<char, 24> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), end);
}

} // namespace

std::string FormatFixed(double value, int decimals) {
    if (std::isnan(value)) return kNotANumber;
    // Fixed notation of a double needs at most 309 integer digits plus the decimals.
    std::array<char, 400> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value,
                                   std::chars_format::fixed, decimals);
    if (ec != std::errc()) throw std::logic_error("FormatFixed: precision too large");
    return std::string(buf.data(), end);
}

std::string FormatShortest(float value) {
    if (std::isnan(value)) return kNotANumber;
    std::array<char, 64> buf{};
    auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), value);
    return std::string(buf.data(), end);
}

std::string Format(std::string_view format, std::initializer_list<FormatArg> args) {
    return FormatWithValues(format, args).Text;
}

FormattedText FormatWithValues(std::string_view format, std::initializer_list<FormatArg> args) {
    FormattedText formatted;
    std::string& out = formatted.Text;
    out.reserve(format.size() + 16);
    auto arg = args.begin();
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos++];
        if (c != '%') {
            out.push_back(c);
            continue;
        }
        if (pos < format.size() && format[pos] == '%') {
            out.push_back('%');
            ++pos;
            continue;
        }
        const int width = ReadCount(format, pos);
        int precision = -1;
        if (pos < format.size() && format[pos] == '.') {
            ++pos;
            precision = ReadCount(format, pos);
            if (precision < 0) precision = 0;
        }
        if (pos >= format.size()) throw std::logic_error("Format: unfinished conversion");
        const char conversion = format[pos++];
        if (arg == args.end()) throw std::logic_error("Format: too few arguments");
        const auto& value = arg->Value();
        ++arg;
        const std::size_t start = out.size();
        switch (conversion) {
        case 'd':
            if (!std::holds_alternative<std::int64_t>(value))
                throw std::logic_error("Format: %d needs an integer");
            AppendPadded(out, IntegerText(std::get<std::int64_t>(value)), width);
            break;
        case 'f':
            if (!std::holds_alternative<double>(value))
                throw std::logic_error("Format: %f needs a real number");
            AppendPadded(out, FormatFixed(std::get<double>(value), precision < 0 ? 6 : precision),
                         width);
            break;
        case 's':
            if (!std::holds_alternative<std::string_view>(value))
                throw std::logic_error("Format: %s needs a text");
            AppendPadded(out, std::get<std::string_view>(value), width);
            break;
        default: throw std::logic_error("Format: unknown conversion");
        }
        formatted.Values.push_back({start, out.size() - start});
    }
    if (arg != args.end()) throw std::logic_error("Format: too many arguments");
    return formatted;
}

std::optional<std::int32_t> ParseInteger(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && text[pos] == ' ') ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    if (pos >= text.size()) return std::nullopt;
    std::int64_t value = 0;
    for (; pos < text.size(); ++pos) {
        if (!IsDigit(text[pos])) return std::nullopt;
        value = value * 10 + (text[pos] - '0');
        if (value > 2147483648LL) return std::nullopt;
    }
    if (negative) value = -value;
    if (value > INT32_MAX) return std::nullopt;
    return static_cast<std::int32_t>(value);
}

std::optional<double> ParseReal(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    // Check the grammar by hand: std::from_chars would also take "inf", "nan" and hex digits.
    std::size_t pos = 0;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
    const std::size_t numberStart = pos;
    std::size_t digits = 0;
    while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    if (pos < text.size() && text[pos] == '.') {
        ++pos;
        while (pos < text.size() && IsDigit(text[pos])) ++pos, ++digits;
    }
    if (digits == 0) return std::nullopt;
    if (pos < text.size() && (text[pos] == 'e' || text[pos] == 'E')) {
        ++pos;
        if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) ++pos;
        if (pos >= text.size() || !IsDigit(text[pos])) return std::nullopt;
        while (pos < text.size() && IsDigit(text[pos])) ++pos;
    }
    if (pos != text.size()) return std::nullopt;

    double magnitude = 0;
    const char* first = text.data() + numberStart;
    const char* last = text.data() + text.size();
    auto [end, ec] = std::from_chars(first, last, magnitude);
    if (ec != std::errc() || end != last) return std::nullopt;
    return text[0] == '-' ? -magnitude : magnitude;
}

} // namespace kvq
