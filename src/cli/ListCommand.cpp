// list: every setup under folders, one a line, as text, JSON Lines or CSV.

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "cli/Json.h"
#include "library/LibraryCsv.h"
#include "library/LibraryFilter.h"

#include <algorithm>

namespace kvq::cli {

namespace {

enum class Output { Text, Json, Csv };

std::string TextLine(const LibraryEntry& entry) {
    // Names are shown with their control characters escaped, tabs too: a tab parts the columns.
    std::string line = PrintableName(entry.Path) + "\t" + PrintableName(entry.Track) + "\t" +
                       std::string(entry.Make) + "\t" + std::to_string(entry.Gears);
    for (const KeyValue key : kKeyValues) line += "\t" + KeyValueText(entry, key);
    return line + "\n";
}

Json EntryJson(const LibraryEntry& entry, std::optional<std::size_t> group) {
    Json keyValues = Json::object();
    for (const KeyValue key : kKeyValues) {
        const std::string text = KeyValueText(entry, key);
        const auto number = ParseReal(text);
        keyValues[std::string(KeyValueName(key))] = number ? Json(*number) : Json(text);
    }
    Json json = {
        {"file", entry.Path},
        {"track", entry.Track},
        {"make", entry.Make},
        {"gearboxKind", entry.Gears},
        {"modified", UtcTime(entry.ModifiedNs)},
        {"size", entry.Size},
        {"normalised", entry.Normalised},
        {"duplicate", entry.Duplicate},
    };
    if (group) json["group"] = *group;
    json["keyValues"] = std::move(keyValues);
    json["fields"] = RecordFieldsJson(entry.Stored);
    return json;
}

std::string Line(Output output, const LibraryEntry& entry, std::optional<std::size_t> group) {
    switch (output) {
    case Output::Json: return JsonLine(EntryJson(entry, group));
    case Output::Csv: return CsvLine(entry, group);
    case Output::Text: break;
    }
    return TextLine(entry);
}

} // namespace

int RunList(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits", "--sort"},
                                         {"--json", "--csv", "--duplicates"}, {"--where"});
    if (options.Positional.empty()) throw UsageError("no folder given");
    if (options.Has("--json") && options.Has("--csv")) throw UsageError("give --json or --csv");
    const Output output = options.Has("--json")  ? Output::Json
                          : options.Has("--csv") ? Output::Csv
                                                 : Output::Text;
    std::vector<LibraryFilter> filters;
    if (const auto where = options.Repeated.find("--where"); where != options.Repeated.end()) {
        for (const std::string& expression : where->second) try {
                filters.emplace_back(expression);
            } catch (const FilterError& e) {
                throw UsageError(e.what());
            }
    }
    std::vector<SortKey> sort;
    if (const auto keys = options.Value("--sort")) try {
            sort = ParseSortKeys(*keys);
        } catch (const KvqError& e) {
            throw UsageError(std::string("--sort: ") + e.what());
        }
    const CurrentLimits limits = LimitsFromOptions(options);

    std::vector<LibraryEntry> entries = ScanLibrary(options.Positional, limits);
    int status = kOk;
    for (const LibraryEntry& entry : entries) {
        if (entry.IsSetup()) continue;
        PrintError(entry.ProblemMessage());
        status = kBadInput;
    }
    std::erase_if(entries, [&](const LibraryEntry& entry) {
        return !entry.IsSetup() || !std::all_of(filters.begin(), filters.end(),
                                                [&](const auto& f) { return f.Matches(entry); });
    });
    std::stable_sort(entries.begin(), entries.end(),
                     [&](const auto& a, const auto& b) { return CompareEntries(a, b, sort) < 0; });

    std::string out = output == Output::Csv ? CsvHeader(options.Has("--duplicates")) : "";
    if (options.Has("--duplicates")) {
        // Each group of identical records together, groups by their first member.
        const auto groups = DuplicateGroups(entries);
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (output == Output::Text && g > 0) out += "\n";
            for (const std::size_t i : groups[g]) out += Line(output, entries[i], g + 1);
        }
    } else {
        for (const LibraryEntry& entry : entries) out += Line(output, entry, std::nullopt);
    }
    PrintOut(out);
    return status;
}

} // namespace kvq::cli
