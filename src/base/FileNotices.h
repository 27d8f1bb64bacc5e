#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kvq {

// What the file system tells of the files and folders watched: inotify on Linux,
// ReadDirectoryChangesW on Windows. It does not wait: the event loop of a front end waits on
// WaitHandle() and calls Read() when it is ready. Paths are the program's strings (bytes on
// Linux, UTF-8 on Windows), so a name that is no UTF-8 is watched like any other.
class FileNotices {
public:
    // Something happened at a watched path: to the entry of that name in the watched folder, or,
    // with an empty name, to the watched file or folder itself. gone: the path no longer leads to
    // what was watched (it was removed or moved away), and it is watched no more. When the
    // system has lost notices, every watched path is told, with an empty name.
    using Notice = std::function<void(const std::string& path, const std::string& name, bool gone)>;

    // The system's own, telling notice.
    [[nodiscard]] static std::unique_ptr<FileNotices> Make(Notice notice);
    FileNotices() = default;
    virtual ~FileNotices() = default;
    FileNotices(const FileNotices&) = delete;
    FileNotices& operator=(const FileNotices&) = delete;

    // Watches the file or folder that is at path now, instead of what was watched there before:
    // a file replaced by rename is a new file. False when there is none to watch.
    virtual bool Watch(const std::string& path, bool folder) = 0;
    virtual void Unwatch(const std::string& path) = 0;

    // What is ready when notices wait to be read: the inotify descriptor, readable, on Linux; an
    // event, signalled, on Windows (a HANDLE). -1 when the system gave none: nothing is told.
    [[nodiscard]] virtual std::intptr_t WaitHandle() const = 0;
    // Tells the notices that have come, without waiting. A notice may watch and unwatch paths.
    virtual void Read() = 0;
};

} // namespace kvq
