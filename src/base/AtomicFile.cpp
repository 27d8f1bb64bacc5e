#include "base/AtomicFile.h"

#include "base/System.h"
#include "base/Utils.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <list>
#include <optional>
#include <random>
#include <set>
#include <string_view>
#include <utility>

namespace kvq {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) sys::CloseFile(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) sys::CloseFile(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

namespace {

std::string CannotWrite(std::string_view path, int error) {
    return "Cannot write " + MessageName(path) + ": " + std::strerror(error);
}

[[noreturn]] void Fail(std::string_view path, int error) {
    throw KvqError(CannotWrite(path, error));
}

// ---------------------------------------------------------------------------------------------
// Temporary files not yet in place, for the handler of the signals that end the program.

struct PendingFile {
    int folder;
    std::string name;
};

// It changes only while the ending signals are held back, so the handler never finds it half
// changed; the handler only reads it.
std::list<PendingFile> pendingFiles;

void RemovePendingFiles() {
    for (const PendingFile& file : pendingFiles) sys::RemoveIn(file.folder, file.name.c_str());
}

// Holds the ending signals back for as long as it lives.
class SignalsHeld {
public:
    SignalsHeld() { sys::HoldEndingSignals(); }
    ~SignalsHeld() { sys::ReleaseEndingSignals(); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;
};

// ---------------------------------------------------------------------------------------------

// Writes all of data; 0, or the error that stopped it.
int WriteAll(int fd, std::span<const std::uint8_t> data, FileOps& ops) {
    std::size_t written = 0;
    while (written < data.size()) {
        const long n = ops.Write(fd, data.data() + written, data.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return errno;
        if (n == 0) return ENOSPC;
        written += static_cast<std::size_t>(n);
    }
    return 0;
}

// The file a write to path really replaces: the target of a symbolic link, else path itself.
std::string ResolveTarget(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path native = sys::NativePath(path);
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(native, ec))) {
        const auto target = std::filesystem::weakly_canonical(native, ec);
        if (!ec) return sys::PathText(target);
    }
    return path;
}

// What a write to path finds there.
struct Target {
    bool inPlace = false; // a device, pipe or socket: written as it is
    std::string file;     // the file replaced, symbolic links followed
    std::optional<sys::FileStatus> existing;
};

Target Examine(const std::string& path) {
    Target target{false, ResolveTarget(path), std::nullopt};
    sys::FileStatus status;
    if (const int error = sys::StatusOf(target.file, status)) Fail(path, error);
    if (status.kind == sys::FileKind::Missing) return target;
    if (status.kind == sys::FileKind::Folder) Fail(path, EISDIR);
    target.inPlace = status.kind != sys::FileKind::Regular;
    // As an editor, refuse a file the user may not write; root may.
    if (!target.inPlace) {
        if (const int error = sys::CheckWritable(target.file)) Fail(path, error);
    }
    target.existing = status;
    return target;
}

void WriteInPlace(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops,
                  Waiting waiting) {
    const int fd = sys::OpenForWriting(path, waiting == Waiting::Allowed);
    if (fd < 0) Fail(path, errno);
    int error = WriteAll(fd, data, ops);
    if (ops.Close(fd) != 0 && error == 0) error = errno;
    if (error != 0) Fail(path, error);
}

// The beginning of a temporary name beside the target: ".NAME.", NAME cut at a character's start
// where needed, so that with six more characters it is no longer than the folder allows a name.
std::string TempPrefix(int folder, std::string_view name) {
    const std::size_t maxName = sys::MaxNameLength(folder);
    std::size_t keep = std::min(name.size(), maxName > 8 ? maxName - 8 : 0);
    const auto continuesCharacter = [&](std::size_t i) {
        return (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80;
    };
    while (keep > 0 && keep < name.size() && continuesCharacter(keep)) --keep;
    return "." + std::string(name.substr(0, keep)) + ".";
}

std::string RandomSuffix() {
    static constexpr char kCharacters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    static std::mt19937 random{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kCharacters - 2);
    std::string suffix(6, ' ');
    for (char& c : suffix) c = kCharacters[pick(random)];
    return suffix;
}

} // namespace

// A file written beside its target under a temporary name. Until it is put in place it is listed
// for the signal handler, and it is removed when it goes unplaced.
class TempFile {
public:
    // Creates an empty temporary file beside the target; throws KvqError naming path.
    TempFile(std::string path, const std::string& target, FileOps& ops) : path_(std::move(path)) {
        const auto slash = target.find_last_of(sys::FolderSeparators());
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        folder_ = FileDescriptor(sys::OpenFolder(folder));
        if (folder_.get() < 0) Fail(path_, errno);
        targetName_ = FileNameOf(target);
        const std::string prefix = TempPrefix(folder_.get(), targetName_);
        const SignalsHeld held;
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::string name = prefix + RandomSuffix();
            const int fd = ops.CreateNew(folder_.get(), name.c_str());
            if (fd >= 0) {
                fd_ = fd;
                pending_ = pendingFiles.insert(pendingFiles.end(), {folder_.get(), name});
                return;
            }
            if (errno != EEXIST) Fail(path_, errno);
        }
        Fail(path_, EEXIST);
    }
    TempFile(TempFile&& other) noexcept
        : path_(std::move(other.path_)), folder_(std::move(other.folder_)),
          targetName_(std::move(other.targetName_)), fd_(other.fd_), pending_(other.pending_) {
        other.fd_ = -1;
        other.pending_.reset();
    }
    TempFile& operator=(TempFile&&) = delete;
    ~TempFile() { Discard(); }

    [[nodiscard]] const std::string& Path() const { return path_; }
    [[nodiscard]] int Folder() const { return folder_.get(); }
    // The open temporary file, until Close.
    [[nodiscard]] int Fd() const { return fd_; }

    // Closes the file through ops; 0 or the error.
    int Close(FileOps& ops) {
        const int fd = std::exchange(fd_, -1);
        return ops.Close(fd) == 0 ? 0 : errno;
    }

    // Renames the file over its target; on failure removes it and throws KvqError naming path.
    void PutInPlace(FileOps& ops) {
        int error = 0;
        {
            const SignalsHeld held;
            if (ops.Rename(Folder(), (*pending_)->name.c_str(), targetName_.c_str()) == 0) {
                pendingFiles.erase(*pending_);
                pending_.reset();
                return;
            }
            error = errno;
        }
        Discard();
        Fail(path_, error);
    }

private:
    void Discard() {
        if (fd_ >= 0) sys::CloseFile(std::exchange(fd_, -1));
        if (!pending_) return;
        const SignalsHeld held;
        sys::RemoveIn(Folder(), (*pending_)->name.c_str());
        pendingFiles.erase(*pending_);
        pending_.reset();
    }

    std::string path_; // the target as the caller named it, for messages
    FileDescriptor folder_;
    std::string targetName_;
    int fd_ = -1;
    std::optional<std::list<PendingFile>::iterator> pending_;
};

namespace {

// Writes the data to a new temporary file beside the target, made like the file it replaces and
// flushed to disk when asked. On failure the temporary file is gone and KvqError names path.
TempFile WriteTemp(const std::string& path, const Target& target,
                   std::span<const std::uint8_t> data, FileOps& ops, bool flush) {
    TempFile temp(path, target.file, ops);
    const int fd = temp.Fd();
    unsigned mode = sys::NewFileMode();
    if (target.existing) {
        sys::TakeOwnership(fd, *target.existing);
        mode = target.existing->mode;
    }
    int error = ops.Fchmod(fd, static_cast<mode_t>(mode)) == 0 ? 0 : errno;
    if (error == 0) error = WriteAll(fd, data, ops);
    if (error == 0 && flush && ops.Fsync(fd) != 0) error = errno;
    const int closeError = temp.Close(ops);
    if (error == 0) error = closeError;
    if (error != 0) Fail(path, error);
    return temp;
}

} // namespace

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops,
                         Waiting waiting) {
    const Target target = Examine(path);
    if (target.inPlace) return WriteInPlace(path, data, ops, waiting);
    WriteTemp(path, target, data, ops, true).PutInPlace(ops);
}

void RemoveTemporaryFilesOnSignals() { sys::OnEndingSignals(&RemovePendingFiles); }

AtomicBatch::AtomicBatch(FileOps& ops, Waiting waiting) : ops_(ops), waiting_(waiting) {}

AtomicBatch::~AtomicBatch() = default;

void AtomicBatch::Stage(const std::string& path, std::span<const std::uint8_t> data) {
    const Target target = Examine(path);
    if (target.inPlace) return WriteInPlace(path, data, ops_, waiting_);
    if (staged_.size() == kMaxStaged) PutStagedInPlace();
    staged_.push_back(WriteTemp(path, target, data, ops_, false));
}

std::vector<std::string> AtomicBatch::Commit() {
    PutStagedInPlace();
    return std::exchange(failures_, {});
}

void AtomicBatch::PutStagedInPlace() {
    std::vector<TempFile> staged = std::exchange(staged_, {});
    // One flush of each file system holding a staged file stands for a flush of every file.
    std::set<std::uint64_t> flushed;
    for (const TempFile& file : staged) {
        sys::FileStatus folder;
        if (sys::StatusOf(file.Folder(), folder) == 0 && !flushed.insert(folder.device).second)
            continue;
        if (ops_.SyncFolder(file.Folder()) == 0) continue;
        const int error = errno;
        for (const TempFile& failed : staged)
            failures_.push_back(CannotWrite(failed.Path(), error));
        return;
    }
    for (TempFile& file : staged) {
        try {
            file.PutInPlace(ops_);
        } catch (const KvqError& e) {
            failures_.emplace_back(e.what());
        }
    }
}

} // namespace kvq
