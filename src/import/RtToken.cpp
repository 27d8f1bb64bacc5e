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
    CharacterSet set;
    for (char c : characters) set.set(static_cast<unsigned char>(c));
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
    currentToken_.clear();
    tokenIndex_ = -1;
    endOfText_ = false;
}

std::string TRtTokenList::First() {
    Reset();
    return Next();
}

bool TRtTokenList::IsDelimiter(std::size_t at) const {
    return at < text_.size() && delimiters_.test(static_cast<unsigned char>(text_[at]));
}

bool TRtTokenList::IsSeparator(std::size_t at) const {
    return at < text_.size() && separators_.test(static_cast<unsigned char>(text_[at]));
}

std::string TRtTokenList::Next() {
    ++tokenIndex_;
    currentToken_.clear();
    bool found = false;
    while (!endOfText_ && !found) {
        while (IsSeparator(scanPosition_) && !IsDelimiter(scanPosition_)) ++scanPosition_;
        if (scanPosition_ < text_.size() && !IsSeparator(scanPosition_)) {
            std::size_t end = scanPosition_;
            while (end < text_.size() && !IsDelimiter(end)) ++end;
            currentToken_ = text_.substr(scanPosition_, end - scanPosition_);
            scanPosition_ = end;
            found = true;
        }
        // One delimiter is consumed per pass, so a run of them yields empty tokens or, when they
        // are separators too, nothing.
        if (IsDelimiter(scanPosition_)) ++scanPosition_;
        endOfText_ = scanPosition_ >= text_.size();
    }
    return currentToken_;
}

} // namespace kvq
