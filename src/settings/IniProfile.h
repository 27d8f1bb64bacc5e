#pragma once

#include "base/AtomicFile.h"

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kvq {

// The text of a settings file in the common INI format, held in memory so that reading or
// changing many values costs one read and one write of the file.
//
// How the text reads, as the classic Windows profile functions read it:
// - A line ends at LF, CR LF or CR alone. Blanks are characters of code 32 or below.
// - A line whose first non-blank character is "[" starts a section, named by the text up to the
//   first "]" (or the line's end) with the blanks around it removed.
// - A line whose first non-blank character is ";" is a comment.
// - Any other line with an "=" is a key: the text before the first "=" names it and the rest is
//   its value, both with the blanks around them removed; a value enclosed in a pair of double or
//   single quotes loses them. Lines without "=", and keys before the first section, are
//   passed over.
// - Section and key names are compared without regard to the case of ASCII letters. A section
//   that appears more than once counts as one, read in file order: the first line of a key wins.
// The text is UTF-8 or anything else: no byte sequence is an error.
class IniProfile {
public:
    // Longer values are read cut to this many characters (a UTF-8 sequence counts as one).
    static constexpr std::size_t kMaxValueLength = 2047;
    // A settings file is small; a larger file is refused rather than read into memory.
    static constexpr std::size_t kMaxFileSize = 16 << 20;

    IniProfile() = default;
    explicit IniProfile(std::string text) : text_(std::move(text)) {}

    // The content of the file at path. A missing file, or a folder or device of that name, gives
    // an empty profile; a file that cannot be read or is larger than kMaxFileSize throws KvqError.
    [[nodiscard]] static IniProfile Load(const std::string& path);

    // The key's value; defaultValue when the section or the key is missing. A key that is present
    // with an empty value gives the empty text.
    [[nodiscard]] std::string Read(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const;

    // Gives the key the value. The key is added after the last key of the section's first
    // appearance, the section with the key at the end of the text, using the text's own line end
    // (the first one in it: LF, CR LF or CR; LF for a text without one). Every other byte stays as
    // it was. A value that would not read back the same is written in double quotes. A line break
    // in any of the three, and a section or key name that would not read back the same (blanks
    // around it, "]" in a section, "=" in a key, a key starting with ";" or "["), throws KvqError
    // and changes nothing.
    void Write(std::string_view section, std::string_view key, std::string_view value);

    [[nodiscard]] const std::string& Text() const { return text_; }

    // Replaces the file at path with the text, whole or not at all (see WriteFileAtomically).
    void Save(const std::string& path, FileOps& ops = SystemFileOps()) const;

private:
    struct Place;
    [[nodiscard]] Place Locate(std::string_view section, std::string_view key) const;
    void InsertLines(std::size_t pos, std::initializer_list<std::string_view> lines);

    std::string text_;
};

} // namespace kvq
