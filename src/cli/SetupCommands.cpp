#include "base/AtomicFile.h"
#include "base/System.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "setup/Sheet.h"

#include <filesystem>
#include <set>

namespace kvq::cli {

int RunSheet(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits"}, {});
    if (options.Positional.empty()) throw UsageError("no setup file given");
    const CurrentLimits limits = LimitsFromOptions(options);
    const bool headers = options.Positional.size() > 1;
    std::string out;
    return ForEachSetup(options.Positional, [&](const std::string& path, TSetup& setup) {
        Normalise(setup.Record, limits);
        out.clear();
        if (headers) out.append("==> ").append(path).append(" <==\n");
        for (const std::string& line : SheetLines(setup)) out.append(line).push_back('\n');
        PrintOut(out);
    });
}

namespace {

// Each IN into the folder under its own name, so a folder of setups is done by one run.
int NormaliseIntoFolder(const Options& options, const std::string& folder) {
    if (options.Value("-o")) throw UsageError("give -o OUT or -d DIR, not both");
    if (options.Positional.empty()) throw UsageError("no setup file given");
    if (!std::filesystem::is_directory(sys::NativePath(folder)))
        throw UsageError("no folder " + folder);
    std::set<std::string_view> names;
    for (const std::string& path : options.Positional)
        if (!names.insert(FileNameOf(path)).second)
            throw UsageError("two files named " + std::string(FileNameOf(path)));
    const CurrentLimits limits = LimitsFromOptions(options);
    // One flush to disk for many files instead of one for every file.
    AtomicBatch batch(SystemFileOps(), Waiting::Allowed);
    int status = ForEachSetup(options.Positional, [&](const std::string& path, TSetup& setup) {
        Normalise(setup.Record, limits);
        batch.Stage(sys::PathText(sys::NativePath(folder) / sys::NativePath(FileNameOf(path))),
                    setup.Record.ToBytes());
    });
    for (const std::string& failure : batch.Commit()) {
        PrintError(failure);
        status = kBadInput;
    }
    return status;
}

} // namespace

int RunNormalise(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits", "-o", "-d"}, {});
    if (const auto folder = options.Value("-d")) return NormaliseIntoFolder(options, *folder);
    if (options.Positional.size() != 1) throw UsageError("give exactly one input file");
    const std::string output = OutputFromOptions(options);
    const CurrentLimits limits = LimitsFromOptions(options);
    TSetup setup = LoadSetupOrThrow(options.Positional.front());
    Normalise(setup.Record, limits);
    WriteOutput(output, setup.Record);
    return kOk;
}

} // namespace kvq::cli
