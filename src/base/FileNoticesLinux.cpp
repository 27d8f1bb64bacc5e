// The notices of the file system on Linux: one inotify instance, read when it is readable.
#include "base/FileNotices.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <set>
#include <sys/inotify.h>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace kvq {

namespace {

class InotifyNotices final : public FileNotices {
public:
    explicit InotifyNotices(Notice notice)
        : notice_(std::move(notice)), fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~InotifyNotices() override {
        if (fd_ >= 0) ::close(fd_);
    }

    bool Watch(const std::string& path, bool folder) override {
        // A file: what writes it, renames it or removes it. A folder: what comes, goes or is
        // written in it, and the folder itself going.
        constexpr std::uint32_t kFile =
            IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVE_SELF | IN_DELETE_SELF;
        constexpr std::uint32_t kFolder = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO |
                                          IN_MODIFY | IN_CLOSE_WRITE | IN_ATTRIB | IN_MOVE_SELF |
                                          IN_DELETE_SELF | IN_ONLYDIR;
        const int watch =
            fd_ < 0 ? -1 : ::inotify_add_watch(fd_, path.c_str(), folder ? kFolder : kFile);
        const auto before = watchOf_.find(path);
        if (before != watchOf_.end() && before->second != watch) Drop(path);
        if (watch < 0) return false;
        watchOf_[path] = watch;
        pathsOf_[watch].insert(path);
        return true;
    }

    void Unwatch(const std::string& path) override {
        if (watchOf_.contains(path)) Drop(path);
    }

    [[nodiscard]] std::intptr_t WaitHandle() const override { return fd_; }

    void Read() override {
        alignas(inotify_event) std::array<char, 64 * 1024> buffer{};
        for (;;) {
            const auto n = ::read(fd_, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return;
            for (long at = 0; at < n;) {
                inotify_event event{};
                std::memcpy(&event, buffer.data() + at, sizeof event);
                const char* name = buffer.data() + at + sizeof event;
                Tell(event, event.len > 0 ? std::string(name) : std::string());
                at += static_cast<long>(sizeof event + event.len);
            }
        }
    }

private:
    // The path is watched no more; its watch ends with the last path on it. The same file or
    // folder under several paths is one watch of the system's.
    void Drop(const std::string& path) {
        const int watch = watchOf_.at(path);
        watchOf_.erase(path);
        auto& paths = pathsOf_.at(watch);
        paths.erase(path);
        if (!paths.empty()) return;
        pathsOf_.erase(watch);
        ::inotify_rm_watch(fd_, watch);
    }

    void Tell(const inotify_event& event, const std::string& name) {
        if (event.mask & IN_Q_OVERFLOW) {
            std::vector<std::string> all;
            for (const auto& [path, watch] : watchOf_) all.push_back(path);
            for (const std::string& path : all) notice_(path, {}, false);
            return;
        }
        const auto found = pathsOf_.find(event.wd);
        if (found == pathsOf_.end()) return;
        const std::set<std::string> paths = found->second;
        const bool gone = (event.mask & (IN_MOVE_SELF | IN_DELETE_SELF | IN_IGNORED)) != 0;
        if (gone)
            for (const std::string& path : paths) Drop(path);
        for (const std::string& path : paths) notice_(path, name, gone);
    }

    Notice notice_;
    int fd_;
    std::unordered_map<std::string, int> watchOf_;
    std::unordered_map<int, std::set<std::string>> pathsOf_;
};

} // namespace

std::unique_ptr<FileNotices> FileNotices::Make(Notice notice) {
    return std::make_unique<InotifyNotices>(std::move(notice));
}

} // namespace kvq
