#include "settings/RecentFiles.h"

#include "base/Utils.h"
#include "settings/IniProfile.h"

#include <algorithm>
#include <filesystem>

namespace kvq {

namespace {

constexpr char kSeparator = '|';

// An absolute path, of a file whose name is not blank, that a settings value can carry.
bool Storable(const std::string& path) {
    const std::string_view name = FileNameOf(path);
    return path.size() < IniProfile::kMaxValueLength && std::filesystem::path(path).is_absolute() &&
           name.find_first_not_of(" \t") != std::string_view::npos &&
           path.find(kSeparator) == std::string::npos && PrintableName(path) == path;
}

} // namespace

void RecentFiles::Add(const std::string& path) {
    Remove(path);
    files_.insert(files_.begin(), path);
    if (files_.size() > kMaxFiles) files_.resize(kMaxFiles);
}

void RecentFiles::Remove(const std::string& path) { std::erase(files_, path); }

std::string RecentFiles::ToText() const {
    std::string text;
    for (const std::string& path : files_) {
        if (!Storable(path)) continue;
        const std::size_t length = text.size() + (text.empty() ? 0 : 1) + path.size();
        if (length >= IniProfile::kMaxValueLength) break;
        if (!text.empty()) text += kSeparator;
        text += path;
    }
    return text;
}

RecentFiles RecentFiles::FromText(std::string_view text) {
    RecentFiles list;
    // A value this long was not written so: it was read cut, and its last entry with it.
    if (text.size() >= IniProfile::kMaxValueLength) text = text.substr(0, text.rfind(kSeparator));
    std::size_t start = 0;
    while (start <= text.size() && list.files_.size() < kMaxFiles) {
        const std::size_t end = std::min(text.find(kSeparator, start), text.size());
        const std::string path(text.substr(start, end - start));
        if (Storable(path) && std::ranges::find(list.files_, path) == list.files_.end())
            list.files_.push_back(path);
        start = end + 1;
    }
    return list;
}

} // namespace kvq
