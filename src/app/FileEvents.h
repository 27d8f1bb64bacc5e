#pragma once

#include <functional>
#include <memory>
#include <string>

namespace kvq {

// What the file system tells of the files and folders watched: the portable face of the
// system's own notices (inotify on Linux). Paths are taken as the system takes them, as bytes,
// so a name that is no UTF-8 is watched like any other.
class TFileEvents {
public:
    // Something happened at a watched path: to the entry of that name in the watched folder, or,
    // with an empty name, to the watched file or folder itself. gone: the path no longer leads to
    // what was watched (it was removed or moved away), and it is watched no more. When the
    // system has lost notices, every watched path is told, with an empty name.
    using Notice = std::function<void(const std::string& path, const std::string& name, bool gone)>;

    explicit TFileEvents(Notice notice);
    ~TFileEvents();
    TFileEvents(const TFileEvents&) = delete;
    TFileEvents& operator=(const TFileEvents&) = delete;

    // Watches the file or folder that is at path now, instead of what was watched there before:
    // a file replaced by rename is a new file. False when there is none to watch.
    bool Watch(const std::string& path, bool folder);
    void Unwatch(const std::string& path);

private:
    class System;
    std::unique_ptr<System> system_;
};

} // namespace kvq
