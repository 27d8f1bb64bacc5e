// The library's entries as CSV.
#include "library/LibraryCsv.h"

#include <chrono>

namespace kvq {

namespace {

// A CSV field: quoted, its quotes doubled, when it holds a comma, a quote or a line end.
std::string CsvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted.push_back('"');
        quoted.push_back(c);
    }
    return quoted + "\"";
}

} // namespace

std::string UtcTime(std::int64_t ns) {
    using namespace std::chrono;
    const sys_seconds time{floor<seconds>(nanoseconds(ns))};
    const auto day = floor<days>(time);
    const year_month_day date{day};
    const hh_mm_ss clock{time - day};
    auto two = [](auto value) {
        const auto number = static_cast<long>(value);
        return (number < 10 ? "0" : "") + std::to_string(number);
    };
    return std::to_string(static_cast<int>(date.year())) + "-" +
           two(static_cast<unsigned>(date.month())) + "-" + two(static_cast<unsigned>(date.day())) +
           "T" + two(clock.hours().count()) + ":" + two(clock.minutes().count()) + ":" +
           two(clock.seconds().count()) + "Z";
}

std::string CsvHeader(bool groups) {
    std::string header = "path,track,make,gears,modified,size,normalised,duplicate";
    if (groups) header += ",group";
    for (const KeyValue key : kKeyValues) header += "," + std::string(KeyValueName(key));
    return header + "\r\n";
}

std::string CsvLine(const LibraryEntry& entry, std::optional<std::size_t> group) {
    std::string line = CsvField(entry.Path) + "," + CsvField(entry.Track) + "," +
                       std::string(entry.Make) + "," + std::to_string(entry.Gears) + "," +
                       UtcTime(entry.ModifiedNs) + "," + std::to_string(entry.Size) + "," +
                       (entry.Normalised ? "yes" : "no") + "," + (entry.Duplicate ? "yes" : "no");
    if (group) line += "," + std::to_string(*group);
    for (const KeyValue key : kKeyValues) line += "," + KeyValueText(entry, key);
    return line + "\r\n";
}

} // namespace kvq
