#include "edit/LimitsFile.h"

#include "base/EntryLines.h"
#include "base/System.h"
#include "base/TextFormat.h"
#include "base/Utils.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <memory>

namespace kvq {

std::size_t WordCount(std::string_view text, std::string_view delimiters) {
    if (text.empty()) return 0;
    std::size_t count = 1;
    for (char c : text)
        if (delimiters.find(c) != std::string_view::npos) ++count;
    return count;
}

std::string_view ExtractWord(std::size_t n, std::string_view text, std::string_view delimiters) {
    if (n == 0) return {};
    std::size_t start = 0;
    for (std::size_t column = 1; column < n; ++column) {
        const auto end = text.find_first_of(delimiters, start);
        if (end == std::string_view::npos) return {};
        start = end + 1;
    }
    const auto end = text.find_first_of(delimiters, start);
    return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::string LimitsFilePath(std::string_view programPath) {
    return ReplaceExtension(programPath, ".lmt");
}

namespace {

constexpr std::string_view kComma = ",";

class LimitsParser {
public:
    LimitsParser() : content_{BuiltInLimits(), {}} {}

    void Line(std::string_view line, int number) {
        line_ = number;
        if (line.starts_with(';')) return;
        const std::size_t columns = WordCount(line, kComma);
        if (columns == 0) return;
        int field = kFieldCount;
        if (const auto n = ParseInteger(ExtractWord(1, line, kComma))) {
            field = *n;
        } else {
            Note("first column is not a field number; the line applies to field 45");
        }
        if (field > kFieldCount || field < 1) {
            Note(Format("field %d does not exist; line ignored", {field}));
            return;
        }
        auto column = [&](std::size_t k) { return ExtractWord(k, line, kComma); };
        // Whole numbers go into their targets column by column; one that does not read leaves
        // its target.
        auto integers = [&](std::initializer_list<std::int32_t*> targets) {
            std::size_t k = 2;
            for (std::int32_t* target : targets) {
                if (k > columns) break;
                if (const auto v = ParseInteger(column(k)))
                    *target = *v;
                else
                    Note(Format("column %d is not an integer; value unchanged", {k}));
                ++k;
            }
        };
        VisitField(field, content_.Tables,
                   Overloaded{
                       [&](IntegerLimit& row) {
                           integers({&row.MinValue, &row.MaxValue, &row.Increment});
                       },
                       [&](RealLimit& row) {
                           float* targets[] = {&row.MinValue, &row.MaxValue, &row.Increment};
                           for (std::size_t k = 2; k <= 4 && k <= columns; ++k) {
                               const auto v = ParseReal(column(k));
                               if (!v) {
                                   Note(Format(
                                       "column %d is not a number; rest of the line ignored", {k}));
                                   break;
                               }
                               *targets[k - 2] = ToSingle(*v);
                           }
                       },
                       [&](ListLimit& row) {
                           integers({&row.MinIndex, &row.MaxIndex});
                       },
                       [&](ToggleRow) { Note("the asymmetry toggle has no limits; line ignored"); },
                   });
    }

    LimitsFileContent Take() { return std::move(content_); }

private:
    void Note(std::string what) { content_.Notes.push_back({line_, std::move(what)}); }

    LimitsFileContent content_;
    int line_ = 0;
};

LimitsFileContent ParseLines(EntryLineReader& reader) {
    LimitsParser parser;
    std::string line;
    while (reader.Next(line)) parser.Line(line, reader.LineNumber());
    return parser.Take();
}

} // namespace

LimitsFileContent ParseLimits(std::string_view text) {
    EntryLineReader reader(text);
    return ParseLines(reader);
}

std::optional<LimitsFileContent> ReadLimitsFile(const std::string& path) {
    // Only an ordinary file counts: a folder or a pipe of that name is no limits file.
    sys::FileStatus status;
    if (sys::StatusOf(path, status) == 0 && status.kind != sys::FileKind::Regular &&
        status.kind != sys::FileKind::Missing)
        return std::nullopt;
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(sys::OpenStream(path, "rb"),
                                                               &std::fclose);
    if (!file) {
        if (errno == ENOENT) return std::nullopt;
        throw KvqError("Cannot read " + PrintableName(path) + ": " + std::strerror(errno));
    }
    EntryLineReader reader(file.get(), path);
    return ParseLines(reader);
}

} // namespace kvq
