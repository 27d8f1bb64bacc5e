#pragma once

#include <array>
#include <cstddef>
#include <string_view>

namespace kvq {

// Cuts a text into tokens, one per request. Delimiters end a token; separators are skipped before
// a token and never begin one. The text is read in place: it stays the caller's and must outlive
// the tokenizer unchanged, and so are the tokens: each is a view into the text.
class TRtTokenList {
public:
    static constexpr std::size_t kMaxSetSize = 63;
    // Blank, plus, minus, asterisk, equals, comma, semicolon, colon, slash, the six brackets,
    // hash, ampersand, percent.
    static constexpr std::string_view kDefaultDelimiters = " +-*=,;:/()[]{}#&%";

    explicit TRtTokenList(std::string_view text);

    // The text ends at its first NUL, if it has one.
    void SetText(std::string_view text);
    // A set is the characters up to the first NUL. More than kMaxSetSize of them throw
    // std::invalid_argument and leave the sets as they were.
    void SetDelimiters(std::string_view characters);
    void SetSeparators(std::string_view characters);

    void Reset();
    std::string_view First();
    std::string_view Next();

    // 0-based number of the last request since the last Reset; -1 right after it.
    [[nodiscard]] int TokenIndex() const { return tokenIndex_; }
    // Read after each First or Next: the scan has reached the end of the text.
    [[nodiscard]] bool EndOfText() const { return endOfText_; }

private:
    using CharacterSet = std::array<bool, 256>; // indexed by the character's code
    static CharacterSet MakeSet(std::string_view characters);
    [[nodiscard]] bool IsDelimiter(std::size_t at) const;
    [[nodiscard]] bool IsSeparator(std::size_t at) const;

    std::string_view text_;
    std::size_t scanPosition_ = 0;
    bool endOfText_ = false;
    CharacterSet delimiters_{};
    CharacterSet separators_{};
    std::string_view currentToken_;
    int tokenIndex_ = -1;
};

} // namespace kvq
