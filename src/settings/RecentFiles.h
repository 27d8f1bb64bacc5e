#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// The setup files opened or saved last, most recent first, as the File menu offers them again.
class RecentFiles {
public:
    static constexpr std::size_t kMaxFiles = 8;

    [[nodiscard]] const std::vector<std::string>& Files() const { return files_; }

    // Puts the path at the top: an equal entry moves there, and the oldest beyond kMaxFiles goes.
    void Add(const std::string& path);
    void Remove(const std::string& path);
    void Clear() { files_.clear(); }

    // The list as one value of the settings file: the paths joined by "|", most recent first.
    // A path such a value cannot carry (one with "|", a control character or a byte that is no
    // UTF-8) is left out, and so is one that is relative or names no file (a blank name), and the
    // oldest entries where the value would grow as long as a settings value is read back cut
    // (IniProfile::kMaxValueLength).
    [[nodiscard]] std::string ToText() const;
    // The list of such a value. What ToText leaves out is passed over, and so are repeated
    // entries and the last entry of a value as long as one read back cut; the list ends at
    // kMaxFiles entries. An empty value, as an older settings file gives, is an empty list.
    [[nodiscard]] static RecentFiles FromText(std::string_view text);

private:
    std::vector<std::string> files_;
};

} // namespace kvq
