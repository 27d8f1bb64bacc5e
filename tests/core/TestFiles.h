#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace kvq::test {

// A fresh folder that is removed with everything in it when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& Path() const { return path_; }
    // The path of a file name inside the folder, as a string.
    [[nodiscard]] std::string File(std::string_view name) const;

private:
    std::filesystem::path path_;
};

void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes);
void WriteText(const std::string& path, std::string_view text);
[[nodiscard]] std::vector<std::uint8_t> ReadBytes(const std::string& path);
[[nodiscard]] std::string ReadText(const std::string& path);

// Makes a FIFO (a named pipe) at path; false on a system that has none (Windows).
bool MakeFifo(const std::string& path);

// The folder of the project's sources, for the bundled examples.
[[nodiscard]] std::filesystem::path SourceDir();

} // namespace kvq::test
