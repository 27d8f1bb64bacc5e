#include "setup/AtomicFile.h"

#include "app/Utils.h"

#include <cerrno>
#include <fcntl.h>
#include <set>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace kvq {

int FileOps::Mkstemp(char* pathTemplate) { return ::mkstemp(pathTemplate); }
long FileOps::Write(int fd, const void* data, std::size_t size) { return ::write(fd, data, size); }
int FileOps::Fsync(int fd) { return ::fsync(fd); }
int FileOps::Close(int fd) { return ::close(fd); }
int FileOps::Rename(const char* from, const char* to) { return ::rename(from, to); }

int FileOps::SyncFolder(const char* folder) {
    const int fd = ::open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return -1;
    const int result = ::syncfs(fd);
    const int error = errno;
    ::close(fd);
    errno = error;
    return result;
}

FileOps& SystemFileOps() {
    static FileOps ops;
    return ops;
}

namespace {

[[noreturn]] void Fail(std::string_view path, int error) {
    throw KvqError("Cannot write " + std::string(FileNameOf(path)) + ": " + std::strerror(error));
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

} // namespace

namespace {

// A file written beside its target under a temporary name, not yet in place.
struct TempFile {
    std::string target;
    std::string temp;
};

// Writes the data to a new temporary file in the target's folder, with the target's permission
// bits, flushed to disk when asked. On failure the temporary file is gone and KvqError names path.
TempFile WriteTemp(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops,
                   bool flush) {
    const std::string target = ResolveTarget(path);
    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
    std::string tempName = folder + "." + std::string(FileNameOf(target)) + ".XXXXXX";
    std::vector<char> pathTemplate(tempName.begin(), tempName.end());
    pathTemplate.push_back('\0');

    const int fd = ops.Mkstemp(pathTemplate.data());
    if (fd < 0) Fail(path, errno);
    tempName = pathTemplate.data();

    auto failAndClean = [&](int error, bool open) {
        if (open) ops.Close(fd);
        ::unlink(tempName.c_str());
        Fail(path, error);
    };

    struct stat existing {};
    const mode_t mode = ::stat(target.c_str(), &existing) == 0 ? (existing.st_mode & 07777)
                                                                : DefaultMode();
    ::fchmod(fd, mode);

    std::size_t written = 0;
    while (written < data.size()) {
        const long n = ops.Write(fd, data.data() + written, data.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            failAndClean(errno, true);
        }
        if (n == 0) failAndClean(ENOSPC, true);
        written += static_cast<std::size_t>(n);
    }
    if (flush && ops.Fsync(fd) != 0) failAndClean(errno, true);
    if (ops.Close(fd) != 0) failAndClean(errno, false);
    return {target, tempName};
}

// Renames the temporary file over its target; on failure removes it and throws for path.
void PutInPlace(const TempFile& file, const std::string& path, FileOps& ops) {
    if (ops.Rename(file.temp.c_str(), file.target.c_str()) == 0) return;
    const int error = errno;
    ::unlink(file.temp.c_str());
    Fail(path, error);
}

} // namespace

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops) {
    PutInPlace(WriteTemp(path, data, ops, true), path, ops);
}

struct AtomicBatch::Staged {
    std::string path;
    TempFile file;
};

AtomicBatch::AtomicBatch(FileOps& ops) : ops_(ops) {}

AtomicBatch::~AtomicBatch() {
    for (const Staged& staged : staged_) ::unlink(staged.file.temp.c_str());
}

void AtomicBatch::Stage(const std::string& path, std::span<const std::uint8_t> data) {
    staged_.push_back({path, WriteTemp(path, data, ops_, false)});
}

std::vector<std::string> AtomicBatch::Commit() {
    std::vector<Staged> staged = std::move(staged_);
    staged_.clear();
    std::vector<std::string> failures;
    // One flush of each file system holding a staged file stands for a flush of every file.
    std::set<std::string> folders;
    for (const Staged& s : staged) {
        const auto slash = s.file.target.rfind('/');
        folders.insert(slash == std::string::npos ? "." : s.file.target.substr(0, slash + 1));
    }
    for (const std::string& folder : folders) {
        if (ops_.SyncFolder(folder.c_str()) == 0) continue;
        const int error = errno;
        for (const Staged& s : staged) {
            ::unlink(s.file.temp.c_str());
            failures.push_back("Cannot write " + std::string(FileNameOf(s.path)) + ": " +
                               std::strerror(error));
        }
        return failures;
    }
    for (const Staged& s : staged) {
        try {
            PutInPlace(s.file, s.path, ops_);
        } catch (const KvqError& e) {
            failures.emplace_back(e.what());
        }
    }
    return failures;
}

} // namespace kvq
