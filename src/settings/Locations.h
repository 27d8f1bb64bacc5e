#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// The settings file of a path: its extension replaced by ".INI" (or ".INI" added) and the ASCII
// letters of the file's own name upper-cased; the folders stay as they are, since names are
// case-sensitive here. "/opt/kvq/KVQSETUP.INI" for "/opt/kvq/kvqsetup".
[[nodiscard]] std::string SettingsFilePath(std::string_view path);

// Where the window finds its own files. They lie beside the program, which is the first place
// looked in. A copy whose folder the user cannot write (an installed one) also has a folder of
// the user's own: its settings are kept there, and the user may add a limits file and
// vocabularies there. The functions take the path of a file beside the program.
struct FileLocations {
    std::string ProgramFolder;
    // Empty for a copy in a folder the user may write: then nothing changes.
    std::string UserFolder;

    // The settings file to read: the user's when it exists, else the one beside the program,
    // where an administrator may have put defaults.
    [[nodiscard]] std::string SettingsToRead(const std::string& besideProgram) const;
    // The settings file to write: the user's, else the one beside the program.
    [[nodiscard]] std::string SettingsToWrite(const std::string& besideProgram) const;
    // The limits file: the one beside the program when it exists, else the user's.
    [[nodiscard]] std::string LimitsFile(const std::string& besideProgram) const;
    // The folders whose vocabulary files are loaded, in order: the program's, then the user's
    // when it exists.
    [[nodiscard]] std::vector<std::string> VocabularyFolders() const;

private:
    [[nodiscard]] std::string UserCopy(const std::string& besideProgram) const;
};

// The user's folder for the program's files on Linux: $XDG_CONFIG_HOME/kvqsetup when that
// variable holds an absolute path, else $HOME/.config/kvqsetup; empty when neither can be had.
// Either variable may be null (unset).
[[nodiscard]] std::string UserConfigFolder(const char* xdgConfigHome, const char* home);
// On Windows: %APPDATA%\kvqsetup when that variable holds an absolute path; else empty.
[[nodiscard]] std::string UserAppDataFolder(const std::optional<std::string>& appData);
// The one of the two that this system's users have, from the environment.
[[nodiscard]] std::string UsersOwnFolder();
// Where that folder is, as the help tells it.
[[nodiscard]] std::string_view UsersOwnFolderRule();

// The locations for a program in programFolder, from the file system (may the user write the
// folder?) and the environment.
[[nodiscard]] FileLocations LocateFiles(const std::string& programFolder);

// Makes the folder of the file, and the folders above it that are missing, each readable by the
// user alone, as the user's configuration folders are made. A folder that cannot be made is
// left: writing the file then fails as it would have anyway.
void MakeFolderFor(const std::string& file);

} // namespace kvq
