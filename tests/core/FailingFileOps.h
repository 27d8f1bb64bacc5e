#pragma once

#include "base/AtomicFile.h"

#include <cerrno>
#include <cstring>
#include <string>

namespace kvq::test {

// Fails one chosen step of writing with the given error.
class FailingOps : public FileOps {
public:
    enum Step {
        FailCreate,
        FailChmod,
        FailWrite,
        FailShortWrite,
        FailSync,
        FailClose,
        FailRename,
        FailSyncFolder
    };
    FailingOps(Step step, int error) : step_(step), error_(error) {}

    int CreateNew(int folder, const char* name) override {
        return step_ == FailCreate ? Fail() : FileOps::CreateNew(folder, name);
    }
    int Fchmod(int fd, mode_t mode) override {
        return step_ == FailChmod ? Fail() : FileOps::Fchmod(fd, mode);
    }
    long Write(int fd, const void* data, std::size_t size) override {
        if (step_ == FailWrite) return Fail();
        // A disk that fills up: the first write takes part of the data, the next one nothing.
        if (step_ == FailShortWrite) return shortDone_++ ? 0 : FileOps::Write(fd, data, size / 2);
        return FileOps::Write(fd, data, size);
    }
    int Fsync(int fd) override { return step_ == FailSync ? Fail() : FileOps::Fsync(fd); }
    int Close(int fd) override {
        if (step_ == FailClose) {
            FileOps::Close(fd);
            return Fail();
        }
        return FileOps::Close(fd);
    }
    int Rename(int folder, const char* a, const char* b) override {
        return step_ == FailRename ? Fail() : FileOps::Rename(folder, a, b);
    }
    int SyncFolder(int folder) override {
        return step_ == FailSyncFolder ? Fail() : FileOps::SyncFolder(folder);
    }

private:
    int Fail() {
        errno = error_;
        return -1;
    }
    Step step_;
    int error_;
    int shortDone_ = 0;
};

// Every step a write can fail at, with a typical error and the system's text for it.
struct WriteFailure {
    FailingOps::Step step;
    int error;
    std::string reason;
};
inline const WriteFailure kWriteFailures[] = {
    {FailingOps::FailCreate, EACCES, std::strerror(EACCES)},
    {FailingOps::FailChmod, EPERM, std::strerror(EPERM)},
    {FailingOps::FailWrite, EIO, std::strerror(EIO)},
    {FailingOps::FailShortWrite, 0, std::strerror(ENOSPC)},
    {FailingOps::FailSync, ENOSPC, std::strerror(ENOSPC)},
    {FailingOps::FailClose, EIO, std::strerror(EIO)},
    {FailingOps::FailRename, EXDEV, std::strerror(EXDEV)},
};

} // namespace kvq::test
