#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace kvq {

// Reads the program's own line-based text files (limits, vocabularies) the way they are defined:
// before each line every character of code 32 or below is skipped, so blank lines and leading
// blanks vanish and a Ctrl-Z met there ends the text; the line is then the rest up to CR or LF.
// Reads from memory or streams from an open file, holding only one line at a time; a line longer
// than kMaxLineLength keeps its first kMaxLineLength characters.
class EntryLineReader {
public:
    static constexpr std::size_t kMaxLineLength = 1 << 16;

    explicit EntryLineReader(std::string_view text) : text_(text) {}
    // The file stays the caller's. A read error throws KvqError naming fileName.
    EntryLineReader(std::FILE* file, std::string fileName)
        : file_(file), fileName_(std::move(fileName)) {}

    // The next line; false at the end of the text.
    bool Next(std::string& line);

    // The 1-based line number of the line returned last.
    [[nodiscard]] int LineNumber() const { return lineNumber_; }

private:
    int Get();
    void Unget(int c);

    std::string_view text_;
    std::size_t pos_ = 0;
    std::FILE* file_ = nullptr;
    std::string fileName_;
    int pushedBack_ = EOF;
    int physicalLine_ = 1;
    int lineNumber_ = 0;
};

} // namespace kvq
