#include "setup/AtomicFile.h"

#include "app/Utils.h"

#include <cerrno>
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

void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data, FileOps& ops) {
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
    if (ops.Fsync(fd) != 0) failAndClean(errno, true);
    if (ops.Close(fd) != 0) failAndClean(errno, false);
    if (ops.Rename(tempName.c_str(), target.c_str()) != 0) failAndClean(errno, false);
}

} // namespace kvq
