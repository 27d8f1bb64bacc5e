#include "base/Utils.h"

#include "base/System.h"
#include "base/TextFormat.h"
#include "base/Version.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>
#include <optional>

namespace kvq {

std::string VersionString() { return Format("%d.%d", {kVersionMajor, kVersionMinor}); }

std::string ProgramCaption() { return "KVQ Setup V" + VersionString(); }

float ToSingle(double value) {
    // Rounded to nearest as the hardware would, without the undefined cast beyond the range.
    constexpr double kMax = std::numeric_limits<float>::max();
    constexpr double kOverflow = 0x1.ffffffp127; // halfway between the largest float and 2^128
    constexpr float kInf = std::numeric_limits<float>::infinity();
    if (value > kMax) return value >= kOverflow ? kInf : std::numeric_limits<float>::max();
    if (value < -kMax) return value <= -kOverflow ? -kInf : -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

std::string ReplaceExtension(std::string_view path, std::string_view extension) {
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    const std::size_t keep =
        dot == std::string_view::npos ? path.size() : path.size() - name.size() + dot;
    return std::string(path.substr(0, keep)).append(extension);
}

std::string ErrorBoxText(std::string_view message) {
    std::string text(message);
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text.push_back('.');
    return text;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
    // A pipe of that name would keep the program waiting for a writer.
    std::error_code ec;
    if (!std::filesystem::is_regular_file(sys::NativePath(path), ec))
        throw KvqError("Cannot open file " + PrintableName(path));
    std::ifstream in(sys::NativePath(path), std::ios::binary);
    std::vector<std::string> lines;
    std::string line;
    while (in && std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    if (!in.eof() || in.bad()) throw KvqError("Cannot open file " + PrintableName(path));
    return lines;
}

namespace {

bool IsSurrogate(char32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

struct Utf8Char {
    char32_t code;
    std::size_t length;
};

// The character at the start of text, or nothing when no well-formed UTF-8 sequence starts
// there (overlong forms, surrogates and values beyond U+10FFFF are not well-formed).
std::optional<Utf8Char> DecodeUtf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) return Utf8Char{lead, 1};
    std::size_t length = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (text.size() < length) return std::nullopt;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return std::nullopt;
        code = code << 6 | (byte(i) & 0x3F);
    }
    if (code < smallest || code > 0x10FFFF || IsSurrogate(code)) return std::nullopt;
    return Utf8Char{code, length};
}

void AppendUtf8(std::string& out, char32_t code) {
    const auto put = [&](char32_t bits) { out.push_back(static_cast<char>(bits)); };
    if (code < 0x80) {
        put(code);
    } else if (code < 0x800) {
        put(0xC0 | code >> 6);
        put(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        put(0xE0 | code >> 12);
        put(0x80 | (code >> 6 & 0x3F));
        put(0x80 | (code & 0x3F));
    } else {
        put(0xF0 | code >> 18);
        put(0x80 | (code >> 12 & 0x3F));
        put(0x80 | (code >> 6 & 0x3F));
        put(0x80 | (code & 0x3F));
    }
}

constexpr char16_t kEscapedByteBase = 0xDC00;

} // namespace

std::string PrintableName(std::string_view name) {
    std::string out;
    while (!name.empty()) {
        const auto c = DecodeUtf8(name);
        const std::size_t length = c ? c->length : 1;
        // C0 controls, DEL and the C1 controls, which terminals also obey.
        const bool control = c && (c->code < 0x20 || (c->code >= 0x7F && c->code < 0xA0));
        if (c && !control) {
            out.append(name.substr(0, length));
        } else if (c && c->code == '\n') {
            out.append("\\n");
        } else if (c && c->code == '\t') {
            out.append("\\t");
        } else if (c && c->code == '\r') {
            out.append("\\r");
        } else {
            static constexpr char kDigits[] = "0123456789abcdef";
            for (const char byte : name.substr(0, length)) {
                const auto value = static_cast<unsigned char>(byte);
                out.append("\\x").append({kDigits[value >> 4], kDigits[value & 0xF]});
            }
        }
        name.remove_prefix(length);
    }
    return out;
}

std::u16string FileNameToUtf16(std::string_view name) {
    std::u16string out;
    while (!name.empty()) {
        const auto c = DecodeUtf8(name);
        if (!c) {
            const auto byte = static_cast<unsigned char>(name[0]);
            out.push_back(static_cast<char16_t>(kEscapedByteBase + byte));
            name.remove_prefix(1);
            continue;
        }
        if (c->code < 0x10000) {
            out.push_back(static_cast<char16_t>(c->code));
        } else {
            out.push_back(static_cast<char16_t>(0xD800 + ((c->code - 0x10000) >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + ((c->code - 0x10000) & 0x3FF)));
        }
        name.remove_prefix(c->length);
    }
    return out;
}

std::string FileNameFromUtf16(std::u16string_view name) {
    std::string out;
    for (std::size_t i = 0; i < name.size(); ++i) {
        char32_t code = name[i];
        const char32_t next = i + 1 < name.size() ? name[i + 1] : 0;
        if (code >= 0xD800 && code < 0xDC00 && next >= 0xDC00 && next <= 0xDFFF) {
            code = 0x10000 + ((code - 0xD800) << 10) + (next - 0xDC00);
            ++i;
        } else if (code >= kEscapedByteBase + 0x80 && code <= kEscapedByteBase + 0xFF) {
            out.push_back(static_cast<char>(code - kEscapedByteBase));
            continue;
        } else if (IsSurrogate(code)) {
            code = 0xFFFD; // no byte of a name stands for it
        }
        AppendUtf8(out, code);
    }
    return out;
}

std::string_view FileNameOf(std::string_view path) {
    const auto slash = path.find_last_of(sys::FolderSeparators());
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

namespace {
MessageNames messageNames = MessageNames::FileName;
} // namespace

void NameFilesInMessages(MessageNames names) { messageNames = names; }

std::string MessageName(std::string_view path) {
    return PrintableName(messageNames == MessageNames::FileName ? FileNameOf(path) : path);
}

namespace {

std::string_view SeparatorsOf(PathStyle style) { return style == PathStyle::Windows ? "\\/" : "/"; }

bool IsSeparator(char c, PathStyle style) {
    return SeparatorsOf(style).find(c) != std::string_view::npos;
}

// The length of the root the path starts with: "/", "C:\" (or "C:" alone), "\\server\share\".
std::size_t RootLength(std::string_view path, PathStyle style) {
    const auto separatorAt = [&](std::size_t i) {
        return i < path.size() && IsSeparator(path[i], style);
    };
    if (style == PathStyle::Posix) return separatorAt(0) ? 1 : 0;
    if (path.size() >= 2 && path[1] == ':') return separatorAt(2) ? 3 : 2;
    if (!separatorAt(0)) return 0;
    if (!separatorAt(1)) return 1;
    // A share: the server's name, then the share's, each ended by a separator.
    std::size_t end = 2;
    for (int part = 0; part < 2 && end < path.size(); ++part) {
        while (end < path.size() && !IsSeparator(path[end], style)) ++end;
        if (end < path.size()) ++end;
    }
    return end;
}

} // namespace

std::string AbsolutePath(std::string_view path) {
    const PathStyle style = sys::SystemPathStyle();
    std::string whole(path);
    if (!IsAbsolutePath(path, style)) {
        std::error_code ignored;
        whole = sys::PathText(std::filesystem::current_path(ignored) / sys::NativePath(path));
    }
    // The root in the system's own separators ("C:/" may be given), then the steps.
    const char separator = SeparatorsOf(style).front();
    std::string result = whole.substr(0, RootLength(whole, style));
    std::ranges::replace_if(
        result, [&](char c) { return IsSeparator(c, style); }, separator);
    for (std::size_t at = result.size(); at < whole.size();) {
        const std::size_t end =
            std::min(whole.find_first_of(SeparatorsOf(style), at), whole.size());
        const std::string_view step = std::string_view(whole).substr(at, end - at);
        if (!step.empty() && step != ".") result = JoinPath(result, step, style);
        at = end + 1;
    }
    // A name that ended in a separator keeps it: it names a folder.
    if (!path.empty() && IsSeparator(path.back(), style) && !IsSeparator(result.back(), style))
        result += separator;
    return result;
}

bool SameFile(const std::string& a, const std::string& b) {
    if (a == b) return true;
    sys::FileStatus one, other;
    return sys::StatusOf(a, one) == 0 && sys::StatusOf(b, other) == 0 &&
           one.kind != sys::FileKind::Missing && other.kind != sys::FileKind::Missing &&
           one.device == other.device && one.index == other.index;
}

bool IsAbsolutePath(std::string_view path, PathStyle style) {
    // On Windows "C:" leads to the working folder of that drive, "\" to the root of the working
    // folder's drive.
    return RootLength(path, style) >= (style == PathStyle::Windows ? 3 : 1);
}

std::string FolderOf(std::string_view path, PathStyle style) {
    const std::size_t root = RootLength(path, style);
    const auto separator = path.find_last_of(SeparatorsOf(style));
    if (separator == std::string_view::npos || separator < root)
        return std::string(path.substr(0, root));
    return std::string(path.substr(0, separator));
}

std::string JoinPath(std::string_view folder, std::string_view name, PathStyle style) {
    std::string path(folder);
    if (!path.empty() && !IsSeparator(path.back(), style)) path += SeparatorsOf(style).front();
    return path.append(name);
}

std::string NextFolderOnTheWay(std::string_view above, std::string_view folder, PathStyle style) {
    const std::size_t start =
        above.empty() || IsSeparator(above.back(), style) ? above.size() : above.size() + 1;
    if (start >= folder.size()) return {};
    const auto end = folder.find_first_of(SeparatorsOf(style), start);
    return std::string(folder.substr(start, end == std::string_view::npos ? end : end - start));
}

namespace {

// One step of shortening the folder part: the leftmost remaining folder name becomes "...".
std::string ShortenFolderOnce(std::string folder, char sep) {
    const std::string root(1, sep);
    if (folder == root) return {};
    const bool rooted = !folder.empty() && folder.front() == sep;
    if (rooted) folder.erase(0, 1);
    const std::string marker = std::string("...") + sep;
    if (folder.starts_with(marker)) folder.erase(0, marker.size());
    const auto end = folder.find(sep);
    folder = end == std::string::npos ? std::string() : marker + folder.substr(end + 1);
    return rooted ? root + folder : folder;
}

} // namespace

std::string ShortenPath(std::string_view path, std::size_t maxLength, PathStyle style) {
    const bool windows = style == PathStyle::Windows;
    const char sep = windows ? '\\' : '/';
    const auto split = path.find_last_of(windows ? "\\:" : "/");
    std::string folder(split == std::string_view::npos ? std::string_view()
                                                       : path.substr(0, split + 1));
    const std::string name(split == std::string_view::npos ? path : path.substr(split + 1));
    std::string drive;
    if (windows && folder.size() >= 2 && folder[1] == ':') {
        drive = folder.substr(0, 2);
        folder.erase(0, 2);
    }
    const std::string rootMarker = std::string(1, sep) + "..." + sep;
    std::string result(path);
    while ((!folder.empty() || !drive.empty()) && result.size() > maxLength) {
        if (folder == rootMarker) {
            drive.clear();
            folder = rootMarker.substr(1);
        } else if (folder.empty()) {
            drive.clear();
        } else {
            folder = ShortenFolderOnce(folder, sep);
        }
        result.assign(drive).append(folder).append(name);
    }
    return result;
}

} // namespace kvq
