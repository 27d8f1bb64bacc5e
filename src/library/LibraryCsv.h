#pragma once

#include "library/Library.h"

#include <cstdint>
#include <optional>
#include <string>

namespace kvq {

// "2026-12-08T19:16:52Z": a modified time as the library's exports give it.
[[nodiscard]] std::string UtcTime(std::int64_t ns);

// The library as CSV for spreadsheets (RFC 4180, lines ended by CR LF): the header row, with a
// group column where the rows are grouped by duplicates, and one row a setup.
[[nodiscard]] std::string CsvHeader(bool groups);
[[nodiscard]] std::string CsvLine(const LibraryEntry& entry, std::optional<std::size_t> group);

} // namespace kvq
