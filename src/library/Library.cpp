#include "library/Library.h"

#include "base/TextFormat.h"
#include "base/Utils.h"
#include "setup/SetupDocument.h"
#include "setup/Sheet.h"

#include <algorithm>
#include <array>
#include <filesystem>
#include <map>
#include <set>
#include <utility>

namespace kvq {

namespace fs = std::filesystem;

namespace {

struct MakeName {
    std::string_view letters; // the two characters after the dot
    std::string_view make;
};
// The makes as the file dialog's filter names them.
// clang-format off
constexpr std::array kMakes = {
    MakeName{"bb", "Brabham"},
    MakeName{"br", "BRM"},
    MakeName{"co", "Coventry"},
    MakeName{"ea", "Eagle"},
    MakeName{"fe", "Ferrari"},
    MakeName{"lo", "Lotus"},
    MakeName{"mu", "Murusama"},
};
// clang-format on

std::uint64_t RecordHash(const SetupRecord& record) {
    // FNV-1a: quick, and equal hashes are checked byte for byte before they count.
    std::uint64_t hash = 14695981039346656037ULL;
    for (const std::uint8_t byte : record.ToBytes()) hash = (hash ^ byte) * 1099511628211ULL;
    return hash;
}

// The folder's own name, also for "." or a name ending in "/".
std::string FolderName(const fs::path& folder) {
    std::error_code ec;
    fs::path full = fs::absolute(folder, ec).lexically_normal();
    if (!full.has_filename()) full = full.parent_path();
    return full.filename().string();
}

std::string TrackOf(const std::string& root, const std::string& path) {
    const fs::path below = fs::path(path).lexically_relative(root);
    auto first = below.begin();
    if (below.empty() || *first == "." || std::next(first) == below.end())
        return FolderName(fs::path(path).parent_path().empty() ? fs::path(".")
                                                               : fs::path(path).parent_path());
    return first->string();
}

LibraryEntry EntryOf(const std::string& root, const std::string& path, fs::file_type type,
                     const CurrentLimits& limits) {
    LibraryEntry entry;
    entry.Path = path;
    entry.Track = TrackOf(root, path);
    entry.Make = MakeOfFileName(path);
    entry.Gears = GearboxKindFromFileName(path);
    if (type == fs::file_type::not_found) {
        entry.Problem = EntryProblem::NotFound;
        return entry;
    }
    if (type != fs::file_type::regular) {
        entry.Problem = EntryProblem::NotRegularFile;
        return entry;
    }
    const SetupFileRead read = ReadSetupFile(path, Waiting::Never);
    entry.Size = read.size;
    entry.ModifiedNs = read.modifiedNs;
    switch (read.outcome) {
    case SetupFileRead::Outcome::Missing: entry.Problem = EntryProblem::NotFound; return entry;
    case SetupFileRead::Outcome::Unreadable:
        entry.Problem = EntryProblem::FailedToOpen;
        return entry;
    case SetupFileRead::Outcome::NotRegular:
        entry.Problem = EntryProblem::NotRegularFile;
        return entry;
    case SetupFileRead::Outcome::Read: break;
    }
    if (read.bytesRead < 4) {
        entry.Problem = EntryProblem::TooShort;
        return entry;
    }
    if (!read.record.HasMagic()) {
        entry.Problem = EntryProblem::InvalidFileType;
        return entry;
    }
    entry.Stored = read.record;
    entry.Shown = read.record;
    Normalise(entry.Shown, limits);
    entry.Normalised = entry.Shown == entry.Stored;
    entry.Hash = RecordHash(entry.Stored);
    return entry;
}

LibraryEntry FolderProblem(const std::string& root, const std::string& path, EntryProblem problem,
                           std::string detail = {}) {
    LibraryEntry entry;
    entry.Path = path;
    entry.Track = TrackOf(root, path);
    entry.Problem = problem;
    entry.Detail = std::move(detail);
    return entry;
}

class Scanner {
public:
    Scanner(const CurrentLimits& limits, const ScanProgress& progress)
        : limits_(limits), progress_(progress) {}

    void Root(const std::string& root) {
        std::error_code ec;
        const fs::file_type type = fs::status(root, ec).type();
        if (type == fs::file_type::directory)
            Folder(root, root);
        else
            Add(EntryOf(root, root,
                        ec && type != fs::file_type::not_found ? fs::file_type::unknown : type,
                        limits_));
    }

    [[nodiscard]] bool Stopped() const { return stopped_; }
    std::vector<LibraryEntry> Entries() && { return std::move(entries_); }

private:
    void Add(LibraryEntry entry) {
        entries_.push_back(std::move(entry));
        if (progress_ && !progress_(entries_.size())) stopped_ = true;
    }

    void Folder(const std::string& root, const std::string& folder) {
        std::error_code ec;
        const fs::path real = fs::canonical(folder, ec);
        if (ec)
            return Add(FolderProblem(root, folder, EntryProblem::FolderUnreadable, ec.message()));
        if (std::find(chain_.begin(), chain_.end(), real) != chain_.end())
            return Add(FolderProblem(root, folder, EntryProblem::LinkLoop));
        // A folder reached a second way (another link, a root inside a root) is not read again.
        if (!scanned_.insert(real).second) return;
        // The names first, in their order, so that which way a folder is reached does not vary.
        std::vector<std::pair<std::string, fs::file_type>> children;
        fs::directory_iterator it(folder, ec);
        for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
            std::error_code typeError;
            fs::file_type type = it->symlink_status(typeError).type();
            if (type == fs::file_type::symlink) type = it->status(typeError).type();
            children.emplace_back(it->path().string(), type);
        }
        if (ec)
            return Add(FolderProblem(root, folder, EntryProblem::FolderUnreadable, ec.message()));
        std::sort(children.begin(), children.end());
        chain_.push_back(real);
        for (const auto& [path, type] : children) {
            if (stopped_) break;
            if (type == fs::file_type::directory)
                Folder(root, path);
            else if (!MakeOfFileName(path).empty())
                Add(EntryOf(root, path, type, limits_));
        }
        chain_.pop_back();
    }

    const CurrentLimits& limits_;
    const ScanProgress& progress_;
    std::vector<LibraryEntry> entries_;
    std::vector<fs::path> chain_; // the folders being scanned, outermost first
    std::set<fs::path> scanned_;  // every folder scanned, by its real path
    bool stopped_ = false;
};

} // namespace

std::string_view ProblemText(EntryProblem problem) {
    switch (problem) {
    case EntryProblem::None: break;
    case EntryProblem::InvalidFileType: return "Invalid file type";
    case EntryProblem::TooShort: return "too short for a setup";
    case EntryProblem::FailedToOpen: return "Failed to open";
    case EntryProblem::NotRegularFile: return "not a regular file";
    case EntryProblem::NotFound: return "file not found";
    case EntryProblem::FolderUnreadable: return "folder cannot be read";
    case EntryProblem::LinkLoop: return "link to a folder above it";
    }
    return "";
}

std::string LibraryEntry::ProblemMessage() const {
    std::string message = Path + ": " + std::string(ProblemText(Problem));
    if (!Detail.empty()) message += ": " + Detail;
    return message;
}

std::string_view MakeOfFileName(std::string_view path) {
    const std::string_view name = FileNameOf(path);
    const auto dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot != 4) return {};
    const std::array letters = {LowerAscii(name[dot + 1]), LowerAscii(name[dot + 2])};
    for (const MakeName& make : kMakes)
        if (make.letters == std::string_view(letters.data(), letters.size())) return make.make;
    return {};
}

std::string_view KeyValueName(KeyValue key) {
    switch (key) {
    case KeyValue::Fuel: return "Fuel";
    case KeyValue::SteeringRatio: return "SteeringRatio";
    case KeyValue::FrontBrakeBias: return "FrontBrakeBias";
    case KeyValue::DiffRatio: return "DiffRatio";
    case KeyValue::TopGear: break;
    }
    return "TopGearRatio";
}

double TopGearRatio(const LibraryEntry& entry) {
    const FloatSlot top{field::GearRatio1.slot + entry.Gears - 1};
    return OverallRatio(entry.Shown.Get(top), entry.Shown.Get(field::DiffRatio));
}

std::string KeyValueText(const LibraryEntry& entry, KeyValue key) {
    if (!entry.IsSetup()) return {};
    const SetupRecord& r = entry.Shown;
    std::string text;
    switch (key) {
    case KeyValue::Fuel: text = std::to_string(SheetFuel(r.Get(field::Fuel))); break;
    case KeyValue::SteeringRatio: text = Format("%.0f", {r.Get(field::SteeringRatio)}); break;
    case KeyValue::FrontBrakeBias: text = std::to_string(r.Get(field::FrontBrakeBias)); break;
    case KeyValue::DiffRatio: text = DiffText(r.Get(field::DiffRatio)); break;
    case KeyValue::TopGear:
        text = GearText(r.Get(FloatSlot{field::GearRatio1.slot + entry.Gears - 1}),
                        r.Get(field::DiffRatio));
        break;
    }
    // The sheet pads its figures to their columns.
    text.erase(0, text.find_first_not_of(' '));
    return text;
}

LibraryEntry ReadLibraryEntry(const std::string& root, const std::string& path,
                              const CurrentLimits& limits) {
    std::error_code ec;
    const fs::file_type type = fs::status(path, ec).type();
    return EntryOf(root, path,
                   ec && type != fs::file_type::not_found ? fs::file_type::unknown : type, limits);
}

std::vector<LibraryEntry> ScanLibrary(const std::vector<std::string>& roots,
                                      const CurrentLimits& limits, const ScanProgress& progress) {
    Scanner scanner(limits, progress);
    for (const std::string& root : roots) {
        if (scanner.Stopped()) break;
        scanner.Root(root);
    }
    std::vector<LibraryEntry> entries = std::move(scanner).Entries();
    std::sort(entries.begin(), entries.end(),
              [](const LibraryEntry& a, const LibraryEntry& b) { return a.Path < b.Path; });
    MarkDuplicates(entries);
    return entries;
}

std::vector<std::vector<std::size_t>> DuplicateGroups(const std::vector<LibraryEntry>& entries) {
    // Entries of one hash, split by their records (equal hashes of different records are rare).
    std::map<std::uint64_t, std::vector<std::vector<std::size_t>>> byHash;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].IsSetup()) continue;
        auto& groups = byHash[entries[i].Hash];
        const auto same = std::find_if(groups.begin(), groups.end(), [&](const auto& group) {
            return entries[group.front()].Stored == entries[i].Stored;
        });
        if (same == groups.end())
            groups.push_back({i});
        else
            same->push_back(i);
    }
    std::vector<std::vector<std::size_t>> duplicates;
    for (auto& [hash, groups] : byHash)
        for (auto& group : groups)
            if (group.size() > 1) duplicates.push_back(std::move(group));
    std::sort(duplicates.begin(), duplicates.end());
    return duplicates;
}

void MarkDuplicates(std::vector<LibraryEntry>& entries) {
    for (LibraryEntry& entry : entries) entry.Duplicate = false;
    for (const auto& group : DuplicateGroups(entries))
        for (const std::size_t i : group) entries[i].Duplicate = true;
}

} // namespace kvq
