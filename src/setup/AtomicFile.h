#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace kvq {

// The system calls a file is written through. Tests replace single steps to prove that a failure
// at any point leaves the old file as it was.
class FileOps {
public:
    virtual ~FileOps() = default;
    // Each returns what the POSIX call of the same name returns and leaves errno set on failure.
    virtual int Mkstemp(char* pathTemplate);
    virtual long Write(int fd, const void* data, std::size_t size);
    virtual int Fsync(int fd);
    virtual int Close(int fd);
    virtual int Rename(const char* from, const char* to);
    // Flushes the whole file system that holds the folder to disk.
    virtual int SyncFolder(const char* folder);
};

// The operations of the running system.
FileOps& SystemFileOps();

// Writes the bytes to path so that the file is either replaced whole or not touched: a temporary
// file in the same folder is written, flushed to disk and renamed over the target. An existing
// target keeps its permission bits; a symbolic link is followed, so the file it names is replaced.
// A failure removes the temporary file and throws KvqError with the system's message for it.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         FileOps& ops = SystemFileOps());

// Writes many files with the guarantee of WriteFileAtomically, flushing them to disk together
// instead of one by one: each target is replaced whole, or not at all.
class AtomicBatch {
public:
    explicit AtomicBatch(FileOps& ops = SystemFileOps());
    // Removes the temporary files of whatever was staged and not committed.
    ~AtomicBatch();
    AtomicBatch(const AtomicBatch&) = delete;
    AtomicBatch& operator=(const AtomicBatch&) = delete;

    // Writes the data beside path under a temporary name. Throws KvqError as WriteFileAtomically
    // does; the other staged files stay staged.
    void Stage(const std::string& path, std::span<const std::uint8_t> data);

    // Flushes every staged file to disk, then puts each in place of its target. Returns the
    // messages of the files that could not be put in place; a failed flush fails them all.
    std::vector<std::string> Commit();

private:
    struct Staged;
    FileOps& ops_;
    std::vector<Staged> staged_;
};

} // namespace kvq
