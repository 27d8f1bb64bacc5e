#include "edit/FSpin.h"

#include "base/TextFormat.h"

#include <algorithm>
#include <array>
#include <charconv>

namespace kvq {

namespace {

constexpr int kSignificantDigits = 7;

// The decimal exponent of the leading digit once the value is rounded to the significant digits
// (9999999.5 leads with the 1 of 10000000).
int LeadingExponent(float value) {
    if (value == 0) return 0;
    std::array<char, 32> buf{};
    const auto [end, ec] = std::to_chars(buf.data(), buf.data() + buf.size(), double(value),
                                         std::chars_format::scientific, kSignificantDigits - 1);
    const char* e = std::find(buf.data(), end, 'e');
    int exponent = 0;
    std::from_chars(e + 2, end, exponent);
    return e[1] == '-' ? -exponent : exponent;
}

// Fixed-point text of a single with the given decimals. Digits past the seventh significant one
// would show only the noise of the binary fraction, so they are zeros; the integer part is always
// shown whole, never as an exponent. A negative number that rounds to zero keeps its "-", as on
// the sheet.
std::string FormatSingle(float value, int decimals) {
    const int significant = kSignificantDigits - 1 - LeadingExponent(value);
    const int shown = std::clamp(significant, 0, decimals);
    std::string text = FormatFixed(value, shown);
    if (shown < decimals) {
        if (shown == 0) text += '.';
        text.append(static_cast<std::size_t>(decimals - shown), '0');
    }
    return text;
}

} // namespace

void TFSpinEdit::SetPrecision(int decimals) { precision_ = std::clamp(decimals, 0, 255); }

QString TFSpinEdit::TextOf(float value) const {
    const QString text = QString::fromStdString(FormatSingle(value, precision_));
    return rightJustified_ ? JustifyRight(text, MaxLength()) : text;
}

} // namespace kvq
