#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

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
};

// The operations of the running system.
FileOps& SystemFileOps();

// Writes the bytes to path so that the file is either replaced whole or not touched: a temporary
// file in the same folder is written, flushed to disk and renamed over the target. An existing
// target keeps its permission bits; a symbolic link is followed, so the file it names is replaced.
// A failure removes the temporary file and throws KvqError with the system's message for it.
void WriteFileAtomically(const std::string& path, std::span<const std::uint8_t> data,
                         FileOps& ops = SystemFileOps());

} // namespace kvq
