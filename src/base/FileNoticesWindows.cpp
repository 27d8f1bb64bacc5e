// The notices of the file system on Windows: ReadDirectoryChangesW on each folder concerned, all
// reads under way at once and each signalling one event when it completes. Windows tells only of
// the entries of a folder, so a watched file is watched through its folder, by its name, and a
// watched folder through its own handle for its entries and through the folder above it for
// itself (removed, or renamed away). The system keeps a watched folder's handle open, which keeps
// the folders above it from being renamed while it is watched, as with every watch on Windows.
#include "base/FileNotices.h"

#include "base/System.h"
#include "base/SystemWindows.h"

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace kvq {

namespace {

constexpr DWORD kChanges = FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_DIR_NAME |
                           FILE_NOTIFY_CHANGE_ATTRIBUTES | FILE_NOTIFY_CHANGE_SIZE |
                           FILE_NOTIFY_CHANGE_LAST_WRITE;

bool SameName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                  static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

// A folder whose changes are read, once for every path that watches it or an entry in it.
struct Folder {
    HANDLE handle = INVALID_HANDLE_VALUE;
    OVERLAPPED overlapped{};
    // Aligned as the system writes its FILE_NOTIFY_INFORMATION records.
    std::vector<DWORD> buffer = std::vector<DWORD>(16 * 1024);
    bool reading = false;
    // The watched folders that lead here (several paths may): told of every entry.
    std::set<std::string> folderPaths;
    // The watched files and folders in it, by the entry's name.
    std::vector<std::pair<std::wstring, std::string>> entries;
};

// The file system and the number of the folder on it: one Folder for every path to it.
using FolderId = std::pair<DWORD, std::uint64_t>;

// What a completed read brought.
struct Completion {
    FolderId folder;
    bool lost = false; // the system's buffer ran over: notices are lost
    bool failed = false;
    std::vector<char> records;
};

class DirectoryNotices final : public FileNotices {
public:
    explicit DirectoryNotices(Notice notice)
        : notice_(std::move(notice)), event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
    ~DirectoryNotices() override {
        for (auto& [id, folder] : folders_) Close(*folder);
        if (event_) ::CloseHandle(event_);
    }

    bool Watch(const std::string& path, bool folder) override {
        namespace fs = std::filesystem;
        fs::path whole = sys::NativePath(path).lexically_normal();
        if (whole.has_relative_path() && whole.filename().empty()) whole = whole.parent_path();
        const DWORD attributes = ::GetFileAttributesW(SystemName(path).c_str());
        const bool there = attributes != INVALID_FILE_ATTRIBUTES &&
                           (!folder || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0);
        Watched now;
        if (there && folder) now.own = Attach(whole);
        // A root lies in no folder and goes nowhere.
        if (there && whole.has_relative_path()) {
            now.in = Attach(whole.parent_path());
            now.name = whole.filename().native();
        }
        const bool watching = there && (now.own || !folder) && (now.in || folder);
        // What was watched before is let go only after this is in place: a folder watched
        // again goes on being read, and nothing it tells meanwhile is lost.
        const Watched before = watched_.contains(path) ? Forget(path) : Watched{};
        if (watching) {
            if (now.own) now.own->folderPaths.insert(path);
            if (now.in) now.in->entries.emplace_back(now.name, path);
            watched_[path] = now;
        }
        for (Folder* used : {before.own, before.in, now.own, now.in}) Release(used);
        return watching;
    }

    void Unwatch(const std::string& path) override {
        if (watched_.contains(path)) Drop(path);
    }

    [[nodiscard]] std::intptr_t WaitHandle() const override {
        return event_ ? reinterpret_cast<std::intptr_t>(event_) : -1;
    }

    void Read() override {
        // Each read started anew clears the event that every read shares: look again until a
        // round finds none completed, so that no completion goes unseen.
        ::ResetEvent(event_);
        for (;;) {
            std::vector<Completion> completions;
            for (auto& [id, folder] : folders_)
                if (folder->reading) Take(id, *folder, completions);
            if (completions.empty()) return;
            for (const Completion& completion : completions) Tell(completion);
        }
    }

private:
    struct Watched {
        Folder* own = nullptr; // the watched folder's own entries
        Folder* in = nullptr;  // the folder the watched file or folder lies in
        std::wstring name;     // its name there
    };

    // The folder at path, opened for reading its changes, or the one already open there.
    Folder* Attach(const std::filesystem::path& path) {
        const HANDLE handle = ::CreateFileW(
            SystemName(sys::PathText(path)).c_str(), FILE_LIST_DIRECTORY,
            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
        if (handle == INVALID_HANDLE_VALUE) return nullptr;
        BY_HANDLE_FILE_INFORMATION info{};
        if (!::GetFileInformationByHandle(handle, &info)) {
            ::CloseHandle(handle);
            return nullptr;
        }
        const FolderId id{info.dwVolumeSerialNumber,
                          (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
        if (const auto found = folders_.find(id); found != folders_.end()) {
            ::CloseHandle(handle);
            return found->second.get();
        }
        auto folder = std::make_unique<Folder>();
        folder->handle = handle;
        folder->overlapped.hEvent = event_;
        if (!StartReading(*folder)) {
            ::CloseHandle(handle);
            return nullptr;
        }
        return folders_.emplace(id, std::move(folder)).first->second.get();
    }

    static bool StartReading(Folder& folder) {
        folder.reading =
            ::ReadDirectoryChangesW(folder.handle, folder.buffer.data(),
                                    static_cast<DWORD>(folder.buffer.size() * sizeof(DWORD)), FALSE,
                                    kChanges, nullptr, &folder.overlapped, nullptr) != FALSE;
        return folder.reading;
    }

    // The folder is closed once no path needs it.
    void Release(const Folder* folder) {
        const auto at = std::find_if(folders_.begin(), folders_.end(),
                                     [&](const auto& open) { return open.second.get() == folder; });
        if (at == folders_.end() || !folder->folderPaths.empty() || !folder->entries.empty())
            return;
        Close(*at->second);
        folders_.erase(at);
    }

    // The read under way ends before its buffer goes.
    static void Close(Folder& folder) {
        if (folder.reading) {
            ::CancelIoEx(folder.handle, &folder.overlapped);
            DWORD ignored = 0;
            ::GetOverlappedResult(folder.handle, &folder.overlapped, &ignored, TRUE);
        }
        ::CloseHandle(folder.handle);
    }

    // The path is watched no more; what it was watched through stays open.
    Watched Forget(const std::string& path) {
        const Watched watched = watched_.at(path);
        watched_.erase(path);
        if (watched.own) watched.own->folderPaths.erase(path);
        if (watched.in)
            std::erase_if(watched.in->entries,
                          [&](const auto& entry) { return entry.second == path; });
        return watched;
    }

    void Drop(const std::string& path) {
        const Watched watched = Forget(path);
        Release(watched.own);
        Release(watched.in);
    }

    // A completed read: what it brought, and the next read started.
    static void Take(const FolderId& id, Folder& folder, std::vector<Completion>& completions) {
        DWORD bytes = 0;
        if (!::GetOverlappedResult(folder.handle, &folder.overlapped, &bytes, FALSE)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_IO_INCOMPLETE) return;
            completions.push_back(
                {id, error == ERROR_NOTIFY_ENUM_DIR, error != ERROR_NOTIFY_ENUM_DIR, {}});
        } else {
            const char* data = reinterpret_cast<const char*>(folder.buffer.data());
            completions.push_back({id, bytes == 0, false, {data, data + bytes}});
        }
        // A folder that is gone cannot be read again: its paths are gone.
        if (!StartReading(folder)) completions.back().failed = true;
    }

    void Tell(const Completion& completion) {
        if (completion.lost) {
            std::vector<std::string> all;
            for (const auto& [path, watched] : watched_) all.push_back(path);
            for (const std::string& path : all) notice_(path, {}, false);
        }
        for (std::size_t at = 0; at < completion.records.size();) {
            FILE_NOTIFY_INFORMATION record{};
            std::memcpy(&record, completion.records.data() + at, sizeof record);
            std::wstring name(record.FileNameLength / sizeof(WCHAR), L'\0');
            std::memcpy(name.data(),
                        completion.records.data() + at +
                            offsetof(FILE_NOTIFY_INFORMATION, FileName),
                        record.FileNameLength);
            TellEntry(completion.folder, name,
                      record.Action == FILE_ACTION_REMOVED ||
                          record.Action == FILE_ACTION_RENAMED_OLD_NAME);
            if (record.NextEntryOffset == 0) break;
            at += record.NextEntryOffset;
        }
        if (completion.failed) TellFolderGone(completion.folder);
    }

    // The entry of that name in the folder changed, or went.
    void TellEntry(const FolderId& id, const std::wstring& name, bool gone) {
        const auto found = folders_.find(id);
        if (found == folders_.end()) return;
        const Folder& folder = *found->second;
        const std::set<std::string> folderPaths = folder.folderPaths;
        std::vector<std::string> itself;
        for (const auto& [entry, path] : folder.entries)
            if (SameName(entry, name)) itself.push_back(path);
        if (gone)
            for (const std::string& path : itself) Drop(path);
        const std::string entry = Utf8(name);
        for (const std::string& path : folderPaths) notice_(path, entry, false);
        for (const std::string& path : itself) notice_(path, {}, gone);
    }

    void TellFolderGone(const FolderId& id) {
        const auto found = folders_.find(id);
        if (found == folders_.end()) return;
        std::set<std::string> paths = found->second->folderPaths;
        for (const auto& [entry, path] : found->second->entries) paths.insert(path);
        for (const std::string& path : paths) Drop(path);
        for (const std::string& path : paths) notice_(path, {}, true);
    }

    Notice notice_;
    HANDLE event_;
    std::map<FolderId, std::unique_ptr<Folder>> folders_;
    std::map<std::string, Watched> watched_;
};

} // namespace

std::unique_ptr<FileNotices> FileNotices::Make(Notice notice) {
    return std::make_unique<DirectoryNotices>(std::move(notice));
}

} // namespace kvq
