#include "base/AtomicFile.h"

#include "base/Utils.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <list>
#include <optional>
#include <pthread.h>
#include <random>
#include <set>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace kvq {

FileDescriptor::~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
}

FileDescriptor& FileDescriptor::operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

int FileOps::CreateNew(int folder, const char* name) {
    return ::openat(folder, name, O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0600);
}
long FileOps::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileOps::Fchmod(int fd, mode_t mode) { return ::fchmod(fd, mode); }
int FileOps::Fsync(int fd) { return ::fsync(fd); }
int FileOps::Close(int fd) { return ::close(fd); }
int FileOps::Rename(int folder, const char* from, const char* to) {
    return ::renameat(folder, from, folder, to);
}
int FileOps::SyncFolder(int folder) { return ::syncfs(folder); }

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

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

struct PendingFile {
    int folder;
    std::string name;
};

// It changes only while the ending signals are held back, so the handler never finds it half
// changed; the handler only reads it.
std::list<PendingFile> pendingFiles;

void RemovePendingFilesAndEnd(int signal) {
    for (const PendingFile& file : pendingFiles) ::unlinkat(file.folder, file.name.c_str(), 0);
    // Ends the process by the same signal once the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// Holds the ending signals back for as long as it lives.
class SignalsHeld {
public:
    SignalsHeld() {
        sigset_t set;
        ::sigemptyset(&set);
        for (const int signal : kEndingSignals) ::sigaddset(&set, signal);
        ::pthread_sigmask(SIG_BLOCK, &set, &old_);
    }
    ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &old_, nullptr); }
    SignalsHeld(const SignalsHeld&) = delete;
    SignalsHeld& operator=(const SignalsHeld&) = delete;

private:
    sigset_t old_{};
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
    if (std::filesystem::is_symlink(std::filesystem::symlink_status(path, ec))) {
        const auto target = std::filesystem::weakly_canonical(path, ec);
        if (!ec) return target.string();
    }
    return path;
}

// The mode a newly created file gets: read and write for all, less the process's umask.
mode_t DefaultMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// What a write to path finds there.
struct Target {
    bool inPlace = false; // a device, pipe or socket: written as it is
    std::string file;     // the file replaced, symbolic links followed
    std::optional<struct stat> existing;
};

Target Examine(const std::string& path) {
    Target target{false, ResolveTarget(path), std::nullopt};
    struct stat info {};
    if (::stat(target.file.c_str(), &info) != 0) {
        if (errno != ENOENT) Fail(path, errno);
        return target;
    }
    if (S_ISDIR(info.st_mode)) Fail(path, EISDIR);
    target.inPlace = !S_ISREG(info.st_mode);
    // As an editor, refuse a file the user may not write; root may, and a read-only file
    // system says so here.
    if (!target.inPlace && ::faccessat(AT_FDCWD, target.file.c_str(), W_OK, AT_EACCESS) != 0)
        Fail(path, errno);
    target.existing = info;
    return target;
}

void WriteInPlace(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops,
                  Waiting waiting) {
    // Without waiting, a pipe nobody reads fails at once (ENXIO) instead of stopping the program.
    const bool wait = waiting == Waiting::Allowed;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (wait ? 0 : O_NONBLOCK));
    if (fd < 0) Fail(path, errno);
    // Once a reader is there, the data waits for it to take them.
    if (!wait) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    int error = WriteAll(fd, data, ops);
    if (ops.Close(fd) != 0 && error == 0) error = errno;
    if (error != 0) Fail(path, error);
}

// The beginning of a temporary name beside the target: ".NAME.", NAME cut at a character's start
// where needed, so that with six more characters it is no longer than the folder allows a name.
std::string TempPrefix(int folder, std::string_view name) {
    long maxName = ::fpathconf(folder, _PC_NAME_MAX);
    if (maxName < 0) maxName = NAME_MAX;
    std::size_t keep = std::min(name.size(), static_cast<std::size_t>(std::max(maxName - 8, 0L)));
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
        const auto slash = target.rfind('/');
        const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
        folder_ = FileDescriptor(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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
        if (fd_ >= 0) ::close(std::exchange(fd_, -1));
        if (!pending_) return;
        const SignalsHeld held;
        ::unlinkat(Folder(), (*pending_)->name.c_str(), 0);
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
    mode_t mode = DefaultMode();
    if (target.existing) {
        // Only root may give a file away; a user may still give it one of their groups.
        if (::fchown(fd, target.existing->st_uid, target.existing->st_gid) != 0 &&
            ::fchown(fd, static_cast<uid_t>(-1), target.existing->st_gid) != 0) {
            // Neither is allowed: the new file is the writer's, as with any editor.
        }
        mode = target.existing->st_mode & 07777;
    }
    int error = ops.Fchmod(fd, mode) == 0 ? 0 : errno;
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

void RemoveTemporaryFilesOnSignals() {
    struct sigaction action {};
    action.sa_handler = &RemovePendingFilesAndEnd;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) ::sigaddset(&action.sa_mask, signal);
    for (const int signal : kEndingSignals) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
}

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
    std::set<dev_t> flushed;
    for (const TempFile& file : staged) {
        struct stat folder {};
        if (::fstat(file.Folder(), &folder) == 0 && !flushed.insert(folder.st_dev).second) continue;
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
