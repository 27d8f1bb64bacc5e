#pragma once

#include <concepts>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kvq {

// One argument of Format: an integer, a real number or a text.
class FormatArg {
public:
    template <std::integral T> FormatArg(T v) : value_(static_cast<std::int64_t>(v)) {}
    template <std::floating_point T> FormatArg(T v) : value_(static_cast<double>(v)) {}
    FormatArg(std::string_view v) : value_(v) {}
    FormatArg(const char* v) : value_(std::string_view(v)) {}
    FormatArg(const std::string& v) : value_(std::string_view(v)) {}

    [[nodiscard]] const auto& Value() const { return value_; }

private:
    std::variant<std::int64_t, double, std::string_view> value_;
};

// printf-style formatting that always writes "." as the decimal separator, whatever the locale.
// It knows "%%" and "%[W][.P]d", "%[W][.P]f", "%[W]s", right-aligned in at least W characters;
// a value wider than W widens the text. An argument that does not fit its conversion is a
// programming error: std::logic_error.
[[nodiscard]] std::string Format(std::string_view format, std::initializer_list<FormatArg> args);

// Text formatted as Format formats it, with where each conversion's characters stand in it
// (padding included), in the order of the arguments.
struct FormattedText {
    struct Span {
        std::size_t Start;
        std::size_t Length;
    };
    std::string Text;
    std::vector<Span> Values;
};
[[nodiscard]] FormattedText FormatWithValues(std::string_view format,
                                             std::initializer_list<FormatArg> args);

// Fixed-point text with the given number of decimals: FormatFixed(2.5, 2) is "2.50".
[[nodiscard]] std::string FormatFixed(double value, int decimals);

// The shortest text that reads back as exactly the same float ("0.1", "-2.692", "nan").
[[nodiscard]] std::string FormatShortest(float value);

// A decimal integer: optional leading blanks, an optional sign, digits and nothing after them.
// A number beyond the 32-bit range is no integer.
[[nodiscard]] std::optional<std::int32_t> ParseInteger(std::string_view text);

// A decimal real number: blanks before and after it allowed, an optional sign, digits with an
// optional "." and fraction, an optional exponent. Hexadecimal, infinities, NaN and magnitudes a
// double cannot hold (huge or vanishingly small) are no numbers.
[[nodiscard]] std::optional<double> ParseReal(std::string_view text);

} // namespace kvq
