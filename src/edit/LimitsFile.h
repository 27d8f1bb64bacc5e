#pragma once

#include "edit/FieldTable.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// Number of columns of text: 0 for an empty text, else 1 plus the number of delimiter characters,
// so empty columns count.
[[nodiscard]] std::size_t WordCount(std::string_view text, std::string_view delimiters);

// Column n (from 1) of text, untrimmed; empty when the text has fewer columns.
[[nodiscard]] std::string_view ExtractWord(std::size_t n, std::string_view text,
                                           std::string_view delimiters);

// Something the reader passed over, with the line it stood on.
struct LimitsNote {
    int Line;
    std::string What;
    friend bool operator==(const LimitsNote&, const LimitsNote&) = default;
};

// The file limits: a copy of the built-in tables changed line by line, and what was passed over.
struct LimitsFileContent {
    LimitTables Tables;
    std::vector<LimitsNote> Notes;
};

// The limits file of a program: its executable's path with the extension ".lmt".
[[nodiscard]] std::string LimitsFilePath(std::string_view programPath);

// Reads limits text. Each line: field number, then up to three columns whose meaning depends on
// the field's kind (minimum, maximum and step; or the first and last list index). Nothing of the
// text is an error: comments, blank lines and unusable lines or columns are passed over.
[[nodiscard]] LimitsFileContent ParseLimits(std::string_view text);

// Reads the limits file at path; nothing when there is no ordinary file of that name. A file that
// exists but cannot be read throws KvqError.
[[nodiscard]] std::optional<LimitsFileContent> ReadLimitsFile(const std::string& path);

} // namespace kvq
