#include "app/Utils.h"

#include "Version.h"
#include "app/TextFormat.h"

#include <fstream>
#include <limits>

namespace kvq {

std::string VersionString() { return Format("%d.%d", {kVersionMajor, kVersionMinor}); }

std::string ProgramCaption() { return "KVQ Setup V" + VersionString(); }

float ToSingle(double value) {
    // Rounded to nearest as the hardware would, without the undefined cast beyond the range.
    constexpr double kMax = std::numeric_limits<float>::max();
    constexpr double kOverflow = 0x1.ffffffp127; // halfway between the largest float and 2^128
    constexpr float kInf = std::numeric_limits<float>::infinity();
    if (value > kMax) return value >= kOverflow ? kInf : std::numeric_limits<float>::max();
    if (value < -kMax) return value <= -kOverflow ? -kInf : -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    const std::size_t keep = dot == std::string_view::npos ? path.size()
                                                           : path.size() - name.size() + dot;
    return std::string(path.substr(0, keep)).append(extension);
}

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
    return text;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    if (!in.eof() || in.bad()) throw KvqError("Cannot open file " + path);
    return lines;
}

std::string_view FileNameOf(std::string_view path) {
    const auto slash = path.rfind('/');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {

// One step of shortening the folder part: the leftmost remaining folder name becomes "...".
std::string ShortenFolderOnce(std::string folder, char sep) {
    const std::string root(1, sep);
    if (folder == root) return {};
    const bool rooted = !folder.empty() && folder.front() == sep;
    if (rooted) folder.erase(0, 1);
    const std::string marker = std::string("...") + sep;
    if (folder.starts_with(marker)) folder.erase(0, marker.size());
    const auto end = folder.find(sep);
    folder = end == std::string::npos ? std::string() : marker + folder.substr(end + 1);
    return rooted ? root + folder : folder;
}

} // namespace

std::string ShortenPath(std::string_view path, std::size_t maxLength, PathStyle style) {
    const bool windows = style == PathStyle::Windows;
    const char sep = windows ? '\\' : '/';
    const auto split = path.find_last_of(windows ? "\\:" : "/");
    std::string folder(split == std::string_view::npos ? std::string_view()
                                                        : path.substr(0, split + 1));
    const std::string name(split == std::string_view::npos ? path : path.substr(split + 1));
    std::string drive;
    if (windows && folder.size() >= 2 && folder[1] == ':') {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    const std::string rootMarker = std::string(1, sep) + "..." + sep;
    std::string result(path);
    while ((!folder.empty() || !drive.empty()) && result.size() > maxLength) {
        if (folder == rootMarker) {
            drive.clear();
            folder = rootMarker.substr(1);
        } else if (folder.empty()) {
            drive.clear();
        } else {
            folder = ShortenFolderOnce(folder, sep);
        }
        result = drive + folder + name;
    }
    return result;
}

} // namespace kvq
