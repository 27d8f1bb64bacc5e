#pragma once

// What the tests of reading and writing setup files share.

#include "base/Utils.h"
#include "setup/ImportTemplate.h"
#include "setup/SetupDocument.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kvq::test {

inline std::vector<std::uint8_t> TemplateBytes() {
    const auto& bytes = ImportTemplate().ToBytes();
    return {bytes.begin(), bytes.end()};
}

// The message of opening the file, or "no error".
inline std::string LoadError(const std::string& path) {
    TSetup setup;
    try {
        LoadSetup(setup, path);
    } catch (const KvqError& e) {
        return e.what();
    }
    return "no error";
}

// The message of the write, or "" when it succeeds.
inline std::string WriteError(const std::string& path) {
    try {
        WriteSetupFile(path, ImportTemplate());
    } catch (const KvqError& e) {
        return e.what();
    }
    return "";
}

// The names in the folder that start with ".": temporary files left behind.
inline int HiddenFiles(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
        count += entry.path().filename().string().starts_with('.');
    return count;
}

} // namespace kvq::test
