// The system seam on Linux and other POSIX systems.

#include "base/AtomicFile.h"
#include "base/System.h"
#include "base/Version.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kvq {

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

} // namespace kvq

namespace kvq::sys {

namespace {

FileStatus StatusFrom(const struct stat& info) {
    FileStatus status;
    status.kind = S_ISREG(info.st_mode)   ? FileKind::Regular
                  : S_ISDIR(info.st_mode) ? FileKind::Folder
                                          : FileKind::Other;
    status.mode = info.st_mode & 07777;
    status.owner = info.st_uid;
    status.group = info.st_gid;
    status.device = info.st_dev;
    status.index = info.st_ino;
    status.size = static_cast<std::uint64_t>(info.st_size);
    status.modifiedNs =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    return status;
}

} // namespace

PathStyle SystemPathStyle() { return PathStyle::Posix; }

std::string_view FolderSeparators() { return "/"; }

std::string PathKey(const std::string& path) { return path; }

std::filesystem::path NativePath(std::string_view path) { return std::filesystem::path(path); }

std::string PathText(const std::filesystem::path& path) { return path.string(); }

int StatusOf(const std::string& path, FileStatus& status) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        status = {};
        return errno == ENOENT ? 0 : errno;
    }
    status = StatusFrom(info);
    return 0;
}

int StatusOf(int fd, FileStatus& status) {
    struct stat info {};
    if (::fstat(fd, &info) != 0) return errno;
    status = StatusFrom(info);
    return 0;
}

int CheckWritable(const std::string& path) {
    // A read-only file system says so here too.
    return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

int OpenForReading(const std::string& path, bool wait) {
    // Opening a pipe waits for its writer; without waiting the open returns at once.
    return ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | (wait ? 0 : O_NONBLOCK));
}

int OpenForWriting(const std::string& path, bool wait) {
    // Without waiting, a pipe nobody reads fails at once (ENXIO) instead of stopping the program.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (wait ? 0 : O_NONBLOCK));
    // Once a reader is there, the data waits for it to take them.
    if (fd >= 0 && !wait) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

long ReadSome(int fd, void* data, std::size_t size) { return ::read(fd, data, size); }

int CloseFile(int fd) { return ::close(fd); }

std::FILE* OpenStream(const std::string& path, const char* mode) {
    return std::fopen(path.c_str(), mode);
}

int OpenFolder(const std::string& folder) {
    return ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
}

int RemoveIn(int folder, const char* name) { return ::unlinkat(folder, name, 0); }

std::size_t MaxNameLength(int folder) {
    const long length = ::fpathconf(folder, _PC_NAME_MAX);
    return static_cast<std::size_t>(length < 0 ? NAME_MAX : length);
}

void TakeOwnership(int fd, const FileStatus& like) {
    // Only root may give a file away; a user may still give it one of their groups.
    if (::fchown(fd, like.owner, like.group) != 0 &&
        ::fchown(fd, static_cast<uid_t>(-1), like.group) != 0) {
        // Neither is allowed: the new file is the writer's, as with any editor.
    }
}

unsigned NewFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool MayWriteIn(const std::string& folder) { return ::access(folder.c_str(), W_OK) == 0; }

void MakePrivateFolder(const std::string& folder) { ::mkdir(folder.c_str(), 0700); }

namespace {

constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP};

void (*cleanUpOnSignal)() = nullptr;

void CleanUpAndEnd(int signal) {
    cleanUpOnSignal();
    // Ends the process by the same signal once the handler returns.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

// The signal mask before the ending signals were held.
thread_local sigset_t maskBeforeHold;

} // namespace

void HoldEndingSignals() {
    sigset_t set;
    ::sigemptyset(&set);
    for (const int signal : kEndingSignals) ::sigaddset(&set, signal);
    ::pthread_sigmask(SIG_BLOCK, &set, &maskBeforeHold);
}

void ReleaseEndingSignals() { ::pthread_sigmask(SIG_SETMASK, &maskBeforeHold, nullptr); }

void OnEndingSignals(void (*cleanUp)()) {
    cleanUpOnSignal = cleanUp;
    struct sigaction action {};
    action.sa_handler = &CleanUpAndEnd;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : kEndingSignals) ::sigaddset(&action.sa_mask, signal);
    for (const int signal : kEndingSignals) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
}

std::optional<std::string> EnvironmentVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return value;
}

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
    return {argv + 1, argv + argc};
}

void PrepareStandardStreams() {
    // A closed standard stream gets /dev/null, open the wrong way round: files the program opens
    // cannot take its number, and using it still fails (output: "Bad file descriptor").
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
}

std::string ProgramVersion() { return kVersionText; }

} // namespace kvq::sys
