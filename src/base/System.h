#pragma once

// What the core and the companion ask of the operating system: files and folders by name, the
// signals that end the program, its command line and its version. One implementation file per
// system (SystemPosix.cpp, SystemWindows.cpp); nothing above this header knows which one runs.
//
// Names are the program's strings: bytes as given on Linux, UTF-8 on Windows (turned into the
// system's UTF-16 here). Calls that can fail return -1 (or an error number) and leave errno set,
// so that messages give the system's reason through std::strerror on every system.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// How paths are written: Windows paths have "\" and "/" as folder ends and start at a drive
// ("C:\") or a share ("\\server\share\"); POSIX paths have "/" and start at "/".
enum class PathStyle { Windows, Posix };

} // namespace kvq

namespace kvq::sys {

// How this system writes paths.
[[nodiscard]] PathStyle SystemPathStyle();
// The characters that end a folder in a path: "/" on Linux, "\" and "/" on Windows.
[[nodiscard]] std::string_view FolderSeparators();

// What two paths of one file have in common where the system does not tell upper from lower case
// in names: on Windows the path upper-cased as the system does it; on Linux the path itself.
[[nodiscard]] std::string PathKey(const std::string& path);

// A name as the standard library's paths take it, and back.
[[nodiscard]] std::filesystem::path NativePath(std::string_view path);
[[nodiscard]] std::string PathText(const std::filesystem::path& path);

enum class FileKind { Missing, Regular, Folder, Other };

struct FileStatus {
    FileKind kind = FileKind::Missing;
    unsigned mode = 0; // the permission bits (07777)
    unsigned owner = 0;
    unsigned group = 0;
    std::uint64_t device = 0; // the file system that holds it
    std::uint64_t index = 0;  // the file's number on it (inode, file index)
    std::uint64_t size = 0;
    std::int64_t modifiedNs = 0; // last written, in nanoseconds since 1970 (UTC)
};

// 0 and what is at path, symbolic links followed (Missing when nothing is there), or the error.
int StatusOf(const std::string& path, FileStatus& status);
// 0 and what the open file is, or the error.
int StatusOf(int fd, FileStatus& status);
// 0 when the user may write the file (root may write any), or the error that says why not.
int CheckWritable(const std::string& path);

// Open files by number. Without waiting, an open never waits for the other end of a pipe.
int OpenForReading(const std::string& path, bool wait);
int OpenForWriting(const std::string& path, bool wait);
long ReadSome(int fd, void* data, std::size_t size);
int CloseFile(int fd);
// std::fopen for the program's names.
[[nodiscard]] std::FILE* OpenStream(const std::string& path, const char* mode);

// An open folder, in which names are made, renamed and removed.
int OpenFolder(const std::string& folder);
int RemoveIn(int folder, const char* name);
// The longest name the folder takes.
[[nodiscard]] std::size_t MaxNameLength(int folder);
// Gives the open file the owner and group of like where the writer may; else leaves them.
void TakeOwnership(int fd, const FileStatus& like);
// The permission bits of a newly made file: read and write for all, less the umask.
[[nodiscard]] unsigned NewFileMode();

// Whether the user may make files in the folder; making a folder only its user may enter.
[[nodiscard]] bool MayWriteIn(const std::string& folder);
void MakePrivateFolder(const std::string& folder);

// The signals that end the program (SIGINT, SIGTERM, SIGHUP; Ctrl+C, Ctrl+Break and closing the
// console on Windows). While held, an ending signal waits for the release.
void HoldEndingSignals();
void ReleaseEndingSignals();
// From now on an ending signal runs cleanUp, then ends the program as the signal would have.
// One that the program ignores stays ignored.
void OnEndingSignals(void (*cleanUp)());

// The value of a variable of the environment as the program's string; none when it is unset.
[[nodiscard]] std::optional<std::string> EnvironmentVariable(const char* name);

// The arguments after the program's name, as the program's strings.
[[nodiscard]] std::vector<std::string> CommandLineArguments(int argc, char** argv);
// Makes standard input, output and error fit for the companion: open, and carrying bytes
// unchanged (no line-end translation), so a record written to "-o -" stays 264 bytes.
void PrepareStandardStreams();
// The version of the running program, "2.3.10.84" (on Windows, from its version resource).
[[nodiscard]] std::string ProgramVersion();

} // namespace kvq::sys
