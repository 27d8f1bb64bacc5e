#pragma once

#include "edit/FieldTable.h"
#include "setup/SetupRecord.h"

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// Why an entry of the library holds no setup.
enum class EntryProblem : std::uint8_t {
    None,
    InvalidFileType,  // it does not start with "PGTS"
    TooShort,         // fewer bytes than the magic
    FailedToOpen,     // it cannot be read
    NotRegularFile,   // a pipe, a device or a socket: never opened
    NotFound,         // gone, or a link to nothing
    FolderUnreadable, // a folder whose names cannot be read
    LinkLoop,         // a link to a folder above it
};

// The reason as the library tells it after the path ("Invalid file type", "not a regular file").
[[nodiscard]] std::string_view ProblemText(EntryProblem problem);

// The car make a setup file's extension names, as the file dialog's filter names them
// ("Brabham" for ".bb1", "BRM" for ".br3"), in any case; empty for any other name.
[[nodiscard]] std::string_view MakeOfFileName(std::string_view path);

// One file found under the library's roots: a setup with its values, or why it is none.
struct LibraryEntry {
    std::string Path;  // the root as given, joined with the names below it
    std::string Track; // the first folder below the root, or the file's own folder
    std::string_view Make;
    int Gears = 5;
    std::int64_t ModifiedNs = 0; // nanoseconds since 1970-01-01 UTC
    std::uint64_t Size = 0;
    EntryProblem Problem = EntryProblem::None;
    std::string Detail;      // the system's reason where a folder could not be read
    SetupRecord Stored;      // as the file holds it
    SetupRecord Shown;       // as Open shows it: within the limits in force
    bool Normalised = false; // opening it would change nothing
    std::uint64_t Hash = 0;  // of the stored record
    bool Duplicate = false;  // another entry holds the same record

    [[nodiscard]] bool IsSetup() const { return Problem == EntryProblem::None; }
    // "PATH: REASON" for an entry that holds no setup.
    [[nodiscard]] std::string ProblemMessage() const;
};

// The values of a setup that the library shows beside its name, as the sheet prints them.
enum class KeyValue : std::uint8_t { Fuel, SteeringRatio, FrontBrakeBias, DiffRatio, TopGear };
inline constexpr KeyValue kKeyValues[] = {KeyValue::Fuel, KeyValue::SteeringRatio,
                                          KeyValue::FrontBrakeBias, KeyValue::DiffRatio,
                                          KeyValue::TopGear};
// The name by which the filter, sorting and the companion's output know it: the record field's
// name, "TopGearRatio" for the overall ratio of the highest gear the file's name gives it.
[[nodiscard]] std::string_view KeyValueName(KeyValue key);
// The figure as the sheet prints it ("43", "16", "55", "3.875", "3.844"); empty for no setup.
[[nodiscard]] std::string KeyValueText(const LibraryEntry& entry, KeyValue key);
// The overall ratio of the entry's highest gear, as shown.
[[nodiscard]] double TopGearRatio(const LibraryEntry& entry);

// The entry of one file, read once: a root's name as given, the path below it. A pipe, a device
// or a socket is not opened.
[[nodiscard]] LibraryEntry ReadLibraryEntry(const std::string& root, const std::string& path,
                                            const CurrentLimits& limits);

// Called after each entry found, with the count so far; returning false stops the scan.
using ScanProgress = std::function<bool(std::size_t found)>;

// Every setup file (a name with a setup extension) under the roots, and every folder that could
// not be read, sorted by path. Links are followed, but a folder is scanned once, whichever way it
// is reached; a link to a folder above it is an entry of its own. A root that is a file is an
// entry itself. Duplicates are marked.
[[nodiscard]] std::vector<LibraryEntry> ScanLibrary(const std::vector<std::string>& roots,
                                                    const CurrentLimits& limits,
                                                    const ScanProgress& progress = {});

// The groups of setups holding the same record, each in the order of the entries, ordered by
// their first member; entries that hold no setup are in none.
[[nodiscard]] std::vector<std::vector<std::size_t>>
DuplicateGroups(const std::vector<LibraryEntry>& entries);
// Sets each entry's Duplicate flag from DuplicateGroups.
void MarkDuplicates(std::vector<LibraryEntry>& entries);

} // namespace kvq
