#include "setup/SetupDocument.h"

#include "base/AtomicFile.h"
#include "base/System.h"
#include "base/Utils.h"

#include <cerrno>

namespace kvq {

namespace {

[[noreturn]] void FailedToOpen(const std::string& path) {
    throw KvqError("Failed to open " + MessageName(path));
}

} // namespace

SetupFileRead ReadSetupFile(const std::string& path, Waiting waiting) {
    using Outcome = SetupFileRead::Outcome;
    SetupFileRead read;
    // Opening a pipe waits for its writer; without waiting the open returns at once and the
    // kind of file decides.
    const bool wait = waiting == Waiting::Allowed;
    const FileDescriptor file(sys::OpenForReading(path, wait));
    if (file.get() < 0) {
        read.outcome = errno == ENOENT ? Outcome::Missing : Outcome::Unreadable;
        return read;
    }
    sys::FileStatus status;
    if (sys::StatusOf(file.get(), status) != 0 || status.kind == sys::FileKind::Folder) {
        read.outcome = Outcome::Unreadable;
        return read;
    }
    if (status.kind == sys::FileKind::Regular) {
        read.size = status.size;
        read.modifiedNs = status.modifiedNs;
    } else if (!wait) {
        read.outcome = Outcome::NotRegular;
        return read;
    }
    // A pipe delivers in pieces: only its end, or the 264th byte, ends the record.
    SetupRecord::Bytes bytes{};
    while (read.bytesRead < bytes.size()) {
        const auto n =
            sys::ReadSome(file.get(), bytes.data() + read.bytesRead, bytes.size() - read.bytesRead);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            read.outcome = Outcome::Unreadable;
            return read;
        }
        if (n == 0) break;
        read.bytesRead += static_cast<std::size_t>(n);
    }
    read.record = SetupRecord::FromBytes(std::span(bytes.data(), read.bytesRead));
    read.outcome = Outcome::Read;
    return read;
}

bool LoadSetup(TSetup& setup, const std::string& path, Waiting waiting) {
    setup.FileName = path;
    const SetupFileRead read = ReadSetupFile(path, waiting);
    switch (read.outcome) {
    case SetupFileRead::Outcome::Missing: return false;
    case SetupFileRead::Outcome::Unreadable: FailedToOpen(path);
    case SetupFileRead::Outcome::NotRegular:
        throw KvqError(MessageName(path) + ": not a regular file");
    case SetupFileRead::Outcome::Read: break;
    }
    setup.Record = read.record;
    if (!setup.Record.HasMagic()) throw KvqError(MessageName(path) + ": Invalid file type");
    setup.GearboxKind = GearboxKindFromFileName(path);
    setup.Changed = false;
    return true;
}

void WriteSetupFile(const std::string& path, const SetupRecord& record, FileOps& ops,
                    Waiting waiting) {
    WriteFileAtomically(path, record.ToBytes(), ops, waiting);
}

FileSnapshot SnapshotOf(const std::string& path) {
    TSetup now;
    try {
        if (!LoadSetup(now, path)) return {};
    } catch (const KvqError&) {
        return {FileSnapshot::Kind::Unreadable, {}};
    }
    return {FileSnapshot::Kind::Setup, now.Record};
}

FileState CompareSnapshots(const FileSnapshot& known, const FileSnapshot& now) {
    if (now == known) return FileState::Same;
    return now.kind == FileSnapshot::Kind::Absent ? FileState::Removed : FileState::Changed;
}

} // namespace kvq
