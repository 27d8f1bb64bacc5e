#pragma once

#include "base/System.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace kvq {

// The one exception type of the program. Its text is shown to the user exactly as it stands
// (the error box appends the full stop where one is due).
class KvqError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Below low gives low; otherwise above high gives high; otherwise the value. So with low above
// high, a value below low gives low and every other value gives high.
[[nodiscard]] constexpr std::int32_t ClampInt(std::int32_t value, std::int32_t low,
                                              std::int32_t high) {
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

// As ClampInt, compared in single precision; a value that is not a number gives low.
[[nodiscard]] constexpr float ClampFloat(float value, float low, float high) {
    if (value != value) return low;
    if (value < low) return low;
    if (value > high) return high;
    return value;
}

// The ASCII letter in lower case; every other byte as it is, whatever the locale.
[[nodiscard]] constexpr char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A double in single precision; beyond the range of a float it becomes an infinity of its sign.
[[nodiscard]] float ToSingle(double value);

// The text of the error box: the message, with a full stop appended when its last character
// sorts after "." (a letter or digit, say).
[[nodiscard]] std::string ErrorBoxText(std::string_view message);

// The lines of a text file, without their line ends (LF or CR LF). Throws KvqError
// "Cannot open file PATH" when it is no regular file or cannot be read.
[[nodiscard]] std::vector<std::string> ReadTextLines(const std::string& path);

// The program's version as "major.minor", "2.3" for 2.3.10.84.
[[nodiscard]] std::string VersionString();

// The program's name and version as the caption and the printout show them: "KVQ Setup V2.3".
[[nodiscard]] std::string ProgramCaption();

// Our copyright notice, shown after the program's name and version and on the splash window.
inline constexpr const char* kCopyrightNotice = "(C) 2026 KVQ Setup authors";

// The name as a message shows it: control characters (line breaks, ESC, ...) and bytes that are
// no UTF-8 become visible escapes ("\n", "\t", "\r", "\x1b", "\xe9"), so that a file name cannot
// rewrite the user's terminal or break a message box. Every other character stays as it is.
[[nodiscard]] std::string PrintableName(std::string_view name);

// A file name, which is bytes, as UTF-16 text for the window, and back. Bytes that are no UTF-8
// travel as the unpaired surrogates U+DC80..U+DCFF, so every name comes back byte for byte.
[[nodiscard]] std::u16string FileNameToUtf16(std::string_view name);
[[nodiscard]] std::string FileNameFromUtf16(std::u16string_view name);

// The file name without its folder: "car.br3" for "/home/me/car.br3".
[[nodiscard]] std::string_view FileNameOf(std::string_view path);

// How messages name a file. The window names it without its folder ("car.br3: Invalid file
// type"); the companion names it by the path as typed, as Unix tools do, so that a script's user
// sees which folder failed. Each front end chooses once, as it starts.
enum class MessageNames { FileName, PathAsGiven };
void NameFilesInMessages(MessageNames names);
// The path as messages name it, its control characters escaped.
[[nodiscard]] std::string MessageName(std::string_view path);

// The path made absolute against the working folder, without resolving links; "." steps and
// doubled separators are dropped, ".." steps kept (behind a link they lead elsewhere). Its folders
// end in the system's own separator ("\" on Windows).
[[nodiscard]] std::string AbsolutePath(std::string_view path);

// Whether both paths lead to one file or folder that is there (links followed), which may have
// several names.
[[nodiscard]] bool SameFile(const std::string& a, const std::string& b);

// Whether the path starts at a root: "/" for POSIX; a drive's "C:\" or a share for Windows.
[[nodiscard]] bool IsAbsolutePath(std::string_view path, PathStyle style = sys::SystemPathStyle());
// The folder an absolute path lies in: "/home/me" for "/home/me/car.br3". A root ("/", "C:\",
// "\\server\share\") is its own folder.
[[nodiscard]] std::string FolderOf(std::string_view path, PathStyle style = sys::SystemPathStyle());
// The name in the folder: "/home/me/car.br3", "C:\car.br3".
[[nodiscard]] std::string JoinPath(std::string_view folder, std::string_view name,
                                   PathStyle style = sys::SystemPathStyle());
// The name in above of the first folder on the way down to folder, which lies below it: "me" for
// "/home" and "/home/me/setups".
[[nodiscard]] std::string NextFolderOnTheWay(std::string_view above, std::string_view folder,
                                             PathStyle style = sys::SystemPathStyle());

// The path with the extension of its file name replaced, or added when it has none:
// ReplaceExtension("/opt/kvq/kvqsetup", ".lmt") is "/opt/kvq/kvqsetup.lmt".
[[nodiscard]] std::string ReplaceExtension(std::string_view path, std::string_view extension);

// The path shortened to at most maxLength characters where its folders allow: folder names are
// replaced by "..." from the left, then the drive goes, then the marker, until the file's own
// name, which is never shortened, stands alone. Windows paths are read with "\\" and ":" as
// folder ends.
[[nodiscard]] std::string ShortenPath(std::string_view path, std::size_t maxLength,
                                      PathStyle style = PathStyle::Posix);

} // namespace kvq
