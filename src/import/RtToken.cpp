#include "import/RtToken.h"

#include <stdexcept>

namespace kvq {

namespace {

std::string_view UpToNul(std::string_view text) { return text.substr(0, text.find('\0')); }

} // namespace

TRtTokenList::TRtTokenList(std::string_view text) : delimiters_(MakeSet(kDefaultDelimiters)) {
    SetText(text);
}

TRtTokenList::CharacterSet TRtTokenList::MakeSet(std::string_view characters) {
    characters = UpToNul(characters);
    if (characters.size() > kMaxSetSize)
        throw std::invalid_argument("a tokenizer character set holds at most 63 characters");
    CharacterSet set{};
    for (char c : characters) set[static_cast<unsigned char>(c)] = true;
    return set;
}

void TRtTokenList::SetText(std::string_view text) {
    text_ = UpToNul(text);
    Reset();
}

void TRtTokenList::SetDelimiters(std::string_view characters) {
    delimiters_ = MakeSet(characters);
    Reset();
}

void TRtTokenList::SetSeparators(std::string_view characters) {
    separators_ = MakeSet(characters);
    Reset();
}

void TRtTokenList::Reset() {
    scanPosition_ = 0;
    currentToken_ = {};
    tokenIndex_ = -1;
    endOfText_ = false;
}

std::string_view TRtTokenList::First() {
    Reset();
    return Next();
}

bool TRtTokenList::IsDelimiter(std::size_t at) const {
    return at < text_.size() && delimiters_[static_cast<unsigned char>(text_[at])];
}

bool TRtTokenList::IsSeparator(std::size_t at) const {
    return at < text_.size() && separators_[static_cast<unsigned char>(text_[at])];
}

std::string_view TRtTokenList::Next() {
    ++tokenIndex_;
    currentToken_ = {};
    std::size_t at = scanPosition_; // a local, which the compiler keeps in a register
    bool found = false;
    while (!endOfText_ && !found) {
        while (IsSeparator(at) && !IsDelimiter(at)) ++at;
        if (at < text_.size() && !IsSeparator(at)) {
            std::size_t end = at;
            while (end < text_.size() && !IsDelimiter(end)) ++end;
            currentToken_ = text_.substr(at, end - at);
            at = end;
            found = true;
        }
        // One delimiter is consumed per pass, so a run of them yields empty tokens or, when they
        // are separators too, nothing.
        if (IsDelimiter(at)) ++at;
        endOfText_ = at >= text_.size();
    }
    scanPosition_ = at;
    return currentToken_;
}

} // namespace kvq
