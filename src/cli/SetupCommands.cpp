#include "app/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "setup/Sheet.h"

namespace kvq::cli {

int RunSheet(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits"}, {});
    if (options.Positional.empty()) throw UsageError("no setup file given");
    const CurrentLimits limits = LimitsFromOptions(options);
    const bool headers = options.Positional.size() > 1;
    int status = kOk;
    std::string out;
    for (const std::string& path : options.Positional) {
        try {
            TSetup setup = LoadSetupOrThrow(path);
            Normalise(setup.Record, limits);
            out.clear();
            if (headers) out.append("==> ").append(path).append(" <==\n");
            for (const std::string& line : SheetLines(setup)) out.append(line).push_back('\n');
            PrintOut(out);
        } catch (const KvqError& e) {
            PrintError(e.what());
            status = kBadInput;
        }
    }
    return status;
}

int RunNormalise(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--limits", "-o"}, {});
    if (options.Positional.size() != 1) throw UsageError("give exactly one input file");
    const std::string output = OutputFromOptions(options);
    const CurrentLimits limits = LimitsFromOptions(options);
    TSetup setup = LoadSetupOrThrow(options.Positional.front());
    Normalise(setup.Record, limits);
    WriteSetupFile(output, setup.Record);
    return kOk;
}

} // namespace kvq::cli
