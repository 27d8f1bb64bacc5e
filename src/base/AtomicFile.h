#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <sys/types.h>
#include <vector>

namespace kvq {

// Whether reading or writing a file may wait for the other end of a pipe, or for a terminal. The
// command-line companion waits, as cat does. The window must never stop: it reads regular files
// only, and writes into a pipe only while a reader holds it open.
enum class Waiting { Never, Allowed };

// An open file descriptor, closed when it goes.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : fd_(fd) {}
    ~FileDescriptor();
    FileDescriptor(FileDescriptor&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
    FileDescriptor& operator=(FileDescriptor&& other) noexcept;
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    [[nodiscard]] int get() const { return fd_; }

private:
    int fd_;
};

// The system calls a file is written through. Tests replace single steps to prove that a failure
// at any point leaves the old file as it was.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Each returns what the POSIX call of the same name returns and leaves errno set on failure.
    // Names are taken in the open folder given.
    // Creates a new file readable and writable by its owner alone (openat, O_CREAT | O_EXCL).
    virtual int CreateNew(int folder, const char* name);
    virtual long Write(int fd, const void* data, std::size_t size);
    virtual int Fchmod(int fd, mode_t mode);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(int folder, const char* from, const char* to);
    // Flushes the whole file system that holds the folder to disk.
    virtual int SyncFolder(int folder);
};

// The operations of the running system.
FileOps& SystemFileOps();

// Writes the bytes to path as careful Unix tools do. A regular file, a missing one or a symbolic
// link to either is replaced whole or not at all: a temporary file in the target's folder is
// written, flushed to disk and renamed over the target. The new file keeps the old one's
// permission bits and, where the system lets the writer give them, its owner and group. A file
// its user may not write is refused, as an editor refuses it (root may). Anything else that
// exists (a device, a pipe, a socket) is opened and written in place; a folder is refused.
// A failure removes the temporary file and throws KvqError "Cannot write NAME: REASON".
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         FileOps& ops = SystemFileOps(), Waiting waiting = Waiting::Never);

// Lets SIGINT, SIGTERM and SIGHUP remove the temporary files of this process that are not yet in
// place, then end the process as they would have (a shell sees 128 + the signal's number). A
// signal the process ignores stays ignored. For a program with one thread.
void RemoveTemporaryFilesOnSignals();

class TempFile; // a file written beside its target, not yet in place

// Writes many files with the guarantee of WriteFileAtomically, flushing them to disk together
// instead of one by one: each target is replaced whole, or not at all.
class AtomicBatch {
public:
    // At most this many files wait under temporary names; the batch puts them in place before it
    // stages more, so that a process killed outright leaves no more than these behind.
    static constexpr std::size_t kMaxStaged = 64;

    explicit AtomicBatch(FileOps& ops = SystemFileOps(), Waiting waiting = Waiting::Never);
    // Removes the temporary files of whatever was staged and not committed.
    ~AtomicBatch();
    AtomicBatch(const AtomicBatch&) = delete;
    AtomicBatch& operator=(const AtomicBatch&) = delete;

    // Writes the data beside path under a temporary name; a target that is no regular file is
    // written in place at once. Throws KvqError as WriteFileAtomically does; the other staged
    // files stay staged.
    void Stage(const std::string& path, std::span<const std::uint8_t> data);

    // Flushes every staged file to disk, then puts each in place of its target. Returns the
    // messages of the files that could not be put in place, since the batch began; a failed flush
    // fails every file it stood for.
    std::vector<std::string> Commit();

private:
    void PutStagedInPlace();

    FileOps& ops_;
    Waiting waiting_;
    std::vector<TempFile> staged_;
    std::vector<std::string> failures_;
};

} // namespace kvq
