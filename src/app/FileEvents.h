#pragma once

#include "base/FileNotices.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace kvq {

// The notices of the file system (FileNotices), read as the event loop finds them ready.
class TFileEvents {
public:
    using Notice = FileNotices::Notice;

    explicit TFileEvents(Notice notice)
        : notices_(FileNotices::Make(std::move(notice))),
          reader_(ReaderOf(notices_->WaitHandle(), [this] { notices_->Read(); })) {}

    // Watches the file or folder that is at path now, instead of what was watched there before:
    // a file replaced by rename is a new file. False when there is none to watch.
    bool Watch(const std::string& path, bool folder) { return notices_->Watch(path, folder); }
    void Unwatch(const std::string& path) { notices_->Unwatch(path); }

private:
    // What calls read in the event loop when the system's handle is ready: a QSocketNotifier on
    // Linux, a QWinEventNotifier on Windows (one file each); none without a handle.
    static std::unique_ptr<QObject> ReaderOf(std::intptr_t handle, std::function<void()> read);

    std::unique_ptr<FileNotices> notices_;
    // Goes before the handle it waits for.
    std::unique_ptr<QObject> reader_;
};

} // namespace kvq
