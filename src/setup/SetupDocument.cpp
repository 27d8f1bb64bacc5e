#include "setup/SetupDocument.h"

#include "app/Utils.h"
#include "setup/AtomicFile.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace kvq {

namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

private:
    int fd_;
};

[[noreturn]] void FailedToOpen(const std::string& path) {
    throw KvqError("Failed to open " + std::string(FileNameOf(path)));
}

} // namespace

bool LoadSetup(TSetup& setup, const std::string& path) {
    setup.FileName = path;
    // Non-blocking, so that a named pipe reads as empty instead of hanging the program.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.get() < 0) {
        if (errno == ENOENT) return false;
        FailedToOpen(path);
    }
    SetupRecord::Bytes bytes{};
    std::size_t got = 0;
    while (got < bytes.size()) {
        const auto n = ::read(file.get(), bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            if (errno == EAGAIN) break;
            FailedToOpen(path);
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    setup.Record = SetupRecord::FromBytes(std::span(bytes.data(), got));
    if (!setup.Record.HasMagic())
        throw KvqError(std::string(FileNameOf(path)) + ": Invalid file type");
    setup.GearboxKind = GearboxKindFromFileName(path);
    setup.Changed = false;
    return true;
}

void WriteSetupFile(const std::string& path, const SetupRecord& record, FileOps& ops) {
    WriteFileAtomically(path, record.ToBytes(), ops);
}

} // namespace kvq
