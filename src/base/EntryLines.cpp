#include "base/EntryLines.h"

#include "base/Utils.h"

#include <cerrno>
#include <cstring>

namespace kvq {

int EntryLineReader::Get() {
    if (pushedBack_ != EOF) {
        const int c = pushedBack_;
        pushedBack_ = EOF;
        return c;
    }
    if (!file_) return pos_ < text_.size() ? static_cast<unsigned char>(text_[pos_++]) : EOF;
    const int c = std::fgetc(file_);
    if (c == EOF && std::ferror(file_))
        throw KvqError("Cannot read " + PrintableName(fileName_) + ": " + std::strerror(errno));
    return c;
}

void EntryLineReader::Unget(int c) { pushedBack_ = c; }

bool EntryLineReader::Next(std::string& line) {
    line.clear();
    int c = Get();
    // Skip everything up to the first character above code 32, counting line ends on the way.
    for (;; c = Get()) {
        if (c == EOF || c == 26) return false;
        if (c > 32) break;
        if (c == '\n') {
            ++physicalLine_;
        } else if (c == '\r') {
            const int next = Get();
            if (next != '\n') Unget(next);
            ++physicalLine_;
        }
    }
    lineNumber_ = physicalLine_;
    for (; c != EOF && c != '\r' && c != '\n'; c = Get())
        if (line.size() < kMaxLineLength) line.push_back(static_cast<char>(c));
    if (c != EOF) Unget(c);
    return true;
}

} // namespace kvq
