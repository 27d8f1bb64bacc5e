#include "settings/IniProfile.h"

#include "base/System.h"
#include "base/Utils.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>

namespace kvq {

namespace {

constexpr auto npos = std::string_view::npos;

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= 32; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, {}, AsciiLower, AsciiLower);
}

std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != npos; }

// The line end that starts at pos: CR LF, or the CR or LF alone.
std::string_view LineEndAt(std::string_view text, std::size_t pos) {
    return text.substr(pos, text.substr(pos, 2) == "\r\n" ? 2 : 1);
}

// What one line, without its line end, holds. The views point into the line.
struct Line {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name;
    std::string_view value; // of a key: blanks removed, quotes kept
};

Line ParseLine(std::string_view text) {
    const std::string_view line = Trim(text);
    if (line.empty() || line.front() == ';') return {};
    if (line.front() == '[') {
        const auto close = line.find(']');
        return {Line::Section, Trim(line.substr(1, close == npos ? npos : close - 1)), {}};
    }
    const auto equals = line.find('=');
    if (equals == npos) return {};
    return {Line::Key, Trim(line.substr(0, equals)), Trim(line.substr(equals + 1))};
}

// The value cut to its first kMaxValueLength characters.
std::string_view Cut(std::string_view value) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const bool startsCharacter = (static_cast<unsigned char>(value[i]) & 0xC0) != 0x80;
        if (startsCharacter && characters++ == IniProfile::kMaxValueLength)
            return value.substr(0, i);
    }
    return value;
}

[[noreturn]] void FailToRead(const std::string& path, const std::string& reason) {
    throw KvqError("Cannot read " + PrintableName(FileNameOf(path)) + ": " + reason);
}

} // namespace

// Where a key is, or where it would go.
struct IniProfile::Place {
    bool sectionFound = false;
    bool keyFound = false;
    std::string_view value;   // the key's value as it stands, when found
    std::size_t insertAt = 0; // after the last key of the section's first appearance
};

IniProfile::Place IniProfile::Locate(std::string_view section, std::string_view key) const {
    Place place;
    bool inSection = false;
    bool firstAppearance = false;
    const std::string_view text(text_);
    for (std::size_t pos = 0; pos < text.size();) {
        const auto end = text.find_first_of("\r\n", pos);
        const std::size_t next = end == npos ? text.size() : end + LineEndAt(text, end).size();
        const Line line = ParseLine(text.substr(pos, end - pos));
        if (line.kind == Line::Section) {
            inSection = SameName(line.name, section);
            firstAppearance = inSection && !place.sectionFound;
            if (firstAppearance) {
                place.sectionFound = true;
                place.insertAt = next;
            }
        } else if (line.kind == Line::Key && inSection) {
            if (SameName(line.name, key)) {
                place.keyFound = true;
                place.value = line.value;
                return place;
            }
            if (firstAppearance) place.insertAt = next;
        }
        pos = next;
    }
    return place;
}

std::string IniProfile::Read(std::string_view section, std::string_view key,
                             std::string_view defaultValue) const {
    const Place place = Locate(section, key);
    return std::string(Cut(place.keyFound ? Unquote(place.value) : defaultValue));
}

void IniProfile::Write(std::string_view section, std::string_view key, std::string_view value) {
    const std::string header = "[" + std::string(section) + "]";
    const bool quoted = Unquote(Trim(value)) != value;
    const std::string keyLine =
        std::string(key) + "=" + (quoted ? "\"" + std::string(value) + "\"" : std::string(value));
    // A name is fit to be written when it reads back as itself.
    const Line readHeader = ParseLine(header);
    const Line readKey = ParseLine(keyLine);
    if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value) ||
        readHeader.kind != Line::Section || readHeader.name != section ||
        readKey.kind != Line::Key || readKey.name != key)
        throw KvqError("Cannot write the key " + std::string(key) + " of the section " +
                       std::string(section));

    const Place place = Locate(section, key);
    if (place.keyFound) {
        const auto at = static_cast<std::size_t>(place.value.data() - text_.data());
        text_.replace(at, place.value.size(), keyLine, key.size() + 1);
    } else if (place.sectionFound) {
        InsertLines(place.insertAt, {keyLine});
    } else {
        InsertLines(text_.size(), {header, keyLine});
    }
}

void IniProfile::InsertLines(std::size_t pos, std::initializer_list<std::string_view> lines) {
    const auto end = text_.find_first_of("\r\n");
    const std::string eol(end == npos ? "\n" : LineEndAt(text_, end));
    std::string block;
    for (const std::string_view line : lines) block.append(line).append(eol);
    // After a last line without a line end the new lines get the line end before them, so the
    // text still ends as it did.
    if (pos == text_.size() && !text_.empty() && text_.back() != '\n' && text_.back() != '\r') {
        block.erase(block.size() - eol.size());
        block.insert(0, eol);
    }
    text_.insert(pos, block);
}

IniProfile IniProfile::Load(const std::string& path) {
    // Only an ordinary file holds settings; opening a pipe of that name would wait for a writer.
    sys::FileStatus status;
    if (const int error = sys::StatusOf(path, status)) {
        if (error == ENOTDIR) return {};
        FailToRead(path, std::strerror(error));
    }
    if (status.kind != sys::FileKind::Regular) return {};

    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(sys::OpenStream(path, "rb"),
                                                               &std::fclose);
    if (!file) FailToRead(path, std::strerror(errno));
    std::string text;
    std::array<char, 1 << 14> buffer{};
    while (const std::size_t n = std::fread(buffer.data(), 1, buffer.size(), file.get())) {
        if (text.size() + n > kMaxFileSize) FailToRead(path, "the file is too large");
        text.append(buffer.data(), n);
    }
    if (std::ferror(file.get())) FailToRead(path, std::strerror(errno));
    return IniProfile(std::move(text));
}

void IniProfile::Save(const std::string& path, FileOps& ops) const {
    WriteFileAtomically(
        path, std::span(reinterpret_cast<const std::uint8_t*>(text_.data()), text_.size()), ops);
}

} // namespace kvq
