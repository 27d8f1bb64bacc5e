#include "setup/SetupDocument.h"

#include "base/AtomicFile.h"
#include "base/System.h"
#include "base/Utils.h"

#include <cerrno>

namespace kvq {

namespace {

std::string ShownName(const std::string& path) { return PrintableName(FileNameOf(path)); }

[[noreturn]] void FailedToOpen(const std::string& path) {
    throw KvqError("Failed to open " + ShownName(path));
}

} // namespace

bool LoadSetup(TSetup& setup, const std::string& path, Waiting waiting) {
    setup.FileName = path;
    // Opening a pipe waits for its writer; without waiting the open returns at once and the
    // kind of file decides.
    const bool wait = waiting == Waiting::Allowed;
    const FileDescriptor file(sys::OpenForReading(path, wait));
    if (file.get() < 0) {
        if (errno == ENOENT) return false;
        FailedToOpen(path);
    }
    sys::FileStatus status;
    if (sys::StatusOf(file.get(), status) != 0 || status.kind == sys::FileKind::Folder)
        FailedToOpen(path);
    if (!wait && status.kind != sys::FileKind::Regular)
        throw KvqError(ShownName(path) + ": not a regular file");
    // A pipe delivers in pieces: only its end, or the 264th byte, ends the record.
    SetupRecord::Bytes bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const auto n = sys::ReadSome(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) FailedToOpen(path);
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    setup.Record = SetupRecord::FromBytes(std::span(bytes.data(), got));
    if (!setup.Record.HasMagic()) throw KvqError(ShownName(path) + ": Invalid file type");
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
