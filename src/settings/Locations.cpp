#include "settings/Locations.h"

#include "base/System.h"
#include "base/Utils.h"

#include <filesystem>

namespace kvq {

namespace {

bool Exists(const std::string& path) {
    std::error_code ec;
    return std::filesystem::exists(sys::NativePath(path), ec);
}

} // namespace

std::string SettingsFilePath(std::string_view path) {
    std::string settings = ReplaceExtension(path, ".INI");
    for (auto i = settings.size() - FileNameOf(settings).size(); i < settings.size(); ++i)
        if (settings[i] >= 'a' && settings[i] <= 'z')
            settings[i] = static_cast<char>(settings[i] - 'a' + 'A');
    return settings;
}

std::string FileLocations::UserCopy(const std::string& besideProgram) const {
    return JoinPath(UserFolder, FileNameOf(besideProgram));
}

std::string FileLocations::SettingsToRead(const std::string& besideProgram) const {
    if (UserFolder.empty() || !Exists(UserCopy(besideProgram))) return besideProgram;
    return UserCopy(besideProgram);
}

std::string FileLocations::SettingsToWrite(const std::string& besideProgram) const {
    return UserFolder.empty() ? besideProgram : UserCopy(besideProgram);
}

std::string FileLocations::LimitsFile(const std::string& besideProgram) const {
    if (UserFolder.empty() || Exists(besideProgram)) return besideProgram;
    return UserCopy(besideProgram);
}

std::vector<std::string> FileLocations::VocabularyFolders() const {
    std::vector<std::string> folders{ProgramFolder};
    std::error_code ec;
    if (!UserFolder.empty() && std::filesystem::is_directory(sys::NativePath(UserFolder), ec))
        folders.push_back(UserFolder);
    return folders;
}

std::string UserConfigFolder(const char* xdgConfigHome, const char* home) {
    if (xdgConfigHome && xdgConfigHome[0] == '/') return std::string(xdgConfigHome) + "/kvqsetup";
    if (home && home[0] != '\0') return std::string(home) + "/.config/kvqsetup";
    return {};
}

std::string UserAppDataFolder(const std::optional<std::string>& appData) {
    if (!appData || !IsAbsolutePath(*appData, PathStyle::Windows)) return {};
    return JoinPath(*appData, "kvqsetup", PathStyle::Windows);
}

FileLocations LocateFiles(const std::string& programFolder) {
    if (sys::MayWriteIn(programFolder)) return {programFolder, {}};
    return {programFolder, UsersOwnFolder()};
}

void MakeFolderFor(const std::string& file) {
    std::filesystem::path folder;
    for (const auto& part : sys::NativePath(file).parent_path()) {
        folder /= part;
        // A folder that is there already is left as it is.
        sys::MakePrivateFolder(sys::PathText(folder));
    }
}

} // namespace kvq
