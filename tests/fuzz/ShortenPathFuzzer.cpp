// A path to shorten, after one byte that gives the length to shorten it to; both path styles.
#include "FuzzInput.h"
#include "base/Utils.h"

#include <string>

using namespace kvq;
using fuzz::Require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::size_t maxLength = data[0];
    const std::string_view path(reinterpret_cast<const char*>(data) + 1, size - 1);
    for (const PathStyle style : {PathStyle::Windows, PathStyle::Posix}) {
        const char* folderEnds = style == PathStyle::Windows ? "\\:" : "/";
        const auto split = path.find_last_of(folderEnds);
        const std::string_view name =
            split == std::string_view::npos ? path : path.substr(split + 1);
        const std::string shortened = ShortenPath(path, maxLength, style);
        Require(shortened.size() <= path.size(), "never longer than the path");
        Require(shortened.ends_with(name), "the file's own name stays whole");
        const std::string_view folder(shortened.data(), shortened.size() - name.size());
        Require(folder.empty() || std::string_view(folderEnds).find(folder.back()) != folder.npos,
                "a folder part ends where a folder ends");
        Require(shortened.size() <= maxLength || shortened == name,
                "short enough, or the file's name alone");
    }
    return 0;
}
