#pragma once

#include "base/AtomicFile.h"
#include "setup/SetupRecord.h"

#include <cstdint>
#include <string>

namespace kvq {

// One open setup: the record with the file it came from, its unsaved-changes flag and the number
// of forward gears shown. Each page of the window owns one.
class TSetup {
public:
    std::string FileName; // empty for a pasted setup
    SetupRecord Record;   // all zero until read
    bool Changed = false; // holds changes not yet written
    int GearboxKind = 5;  // 4, 5 or 6
};

// The start of a file as a setup is read from it, with what the one look at the open file told:
// its kind, its size and when it was last modified. A pipe or a device is opened and read only
// where waiting is allowed; otherwise its kind is all that is learnt.
struct SetupFileRead {
    enum class Outcome : std::uint8_t { Read, Missing, Unreadable, NotRegular };
    Outcome outcome = Outcome::Missing;
    SetupRecord record;          // the first 264 bytes, zero beyond those read
    std::size_t bytesRead = 0;   // at most 264
    std::uint64_t size = 0;      // of a regular file
    std::int64_t modifiedNs = 0; // nanoseconds since 1970-01-01 UTC
};
[[nodiscard]] SetupFileRead ReadSetupFile(const std::string& path, Waiting waiting);

// Reads the file into the setup: FileName becomes path, the record takes the file's first 264
// bytes (a shorter file leaves the rest zero), GearboxKind comes from the name and Changed is
// cleared. A pipe or a device is read up to its 264th byte or its end, however long its writer
// takes, where waiting is allowed; otherwise only a regular file is read. Returns false,
// reporting nothing, when the file does not exist. Throws KvqError "Failed to open NAME" when it
// cannot be read, "NAME: not a regular file" when it may not be, and "NAME: Invalid file type"
// when it does not start with "PGTS".
bool LoadSetup(TSetup& setup, const std::string& path, Waiting waiting = Waiting::Never);

// Writes the 264 bytes of the record to path as WriteFileAtomically does: a file is replaced
// whole or not at all. Throws KvqError with the system's message when that fails; an existing
// file then stays as it was.
void WriteSetupFile(const std::string& path, const SetupRecord& record,
                    FileOps& ops = SystemFileOps(), Waiting waiting = Waiting::Never);

// What a file held when the program last looked: a setup's record as Open reads it, something
// Open cannot read as a setup, or no file at all.
struct FileSnapshot {
    enum class Kind : std::uint8_t { Absent, Unreadable, Setup };
    Kind kind = Kind::Absent;
    SetupRecord record; // for a setup
    friend bool operator==(const FileSnapshot&, const FileSnapshot&) = default;
};
[[nodiscard]] FileSnapshot SnapshotOf(const std::string& path);

// How a file stands now against what the program knew of it.
enum class FileState { Same, Changed, Removed };
[[nodiscard]] FileState CompareSnapshots(const FileSnapshot& known, const FileSnapshot& now);

} // namespace kvq
