#include "base/System.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"
#include "import/TextImport.h"
#include "setup/GroupCopy.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

namespace kvq::cli {

namespace {

// The part of a text file (or of standard input, "-") that the import reads.
std::string ReadImportText(const std::string& path) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(nullptr, &std::fclose);
    std::FILE* in = stdin;
    if (path != "-") {
        file.reset(sys::OpenStream(path, "rb"));
        if (!file && errno == ENOENT) throw KvqError(MessageName(path) + ": file not found");
        if (!file) throw KvqError("Cannot read " + MessageName(path) + ": " + std::strerror(errno));
        in = file.get();
    }
    std::string text(kImportTextLimit, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), in));
    if (std::ferror(in))
        throw KvqError("Cannot read " + MessageName(path) + ": " + std::strerror(errno));
    return text;
}

int RunCopyGroup(const std::vector<std::string>& args,
                 bool (*copyGroup)(TSetup& target, const std::string& path, Waiting waiting)) {
    const Options options = ParseOptions(args, {"--limits", "-o"}, {});
    if (options.Positional.size() != 2) throw UsageError("give a source and a target file");
    const std::string output = OutputFromOptions(options);
    const CurrentLimits limits = LimitsFromOptions(options);
    const std::string& source = options.Positional[0];
    TSetup target = LoadSetupOrThrow(options.Positional[1]);
    if (!copyGroup(target, source, Waiting::Allowed))
        throw KvqError(MessageName(source) + ": file not found");
    Normalise(target.Record, limits);
    WriteOutput(output, target.Record);
    return kOk;
}

} // namespace

int RunImport(const std::vector<std::string>& args) {
    const Options options = ParseOptions(args, {"--vocab-dir", "--limits", "-o"}, {"--raw"});
    if (options.Positional.size() > 1) throw UsageError("give at most one text file");
    const std::string output = OutputFromOptions(options);
    const CurrentLimits limits = LimitsFromOptions(options);
    TextImport import;
    import.LoadVocabularies(options.Value("--vocab-dir").value_or(""));
    // The window passes over unusable vocabulary files in silence; here their authors learn why.
    for (const DroppedVocabulary& dropped : import.DroppedFiles()) {
        const std::string line = dropped.Line > 0 ? ":" + std::to_string(dropped.Line) : "";
        PrintError(dropped.File + line + ": " + dropped.Why + "; vocabulary not used");
    }
    const std::string text =
        ReadImportText(options.Positional.empty() ? "-" : options.Positional[0]);
    if (!import.Recognise(text, limits)) {
        PrintError("not recognised");
        return kBadInput;
    }
    SetupRecord record = import.CopyImportedRecord();
    if (!options.Has("--raw")) Normalise(record, limits);
    WriteOutput(output, record);
    // On standard output the record stands alone.
    if (output != "-") PrintOut(std::to_string(import.ImportedGearCount()) + "\n");
    return kOk;
}

int RunCopyGearbox(const std::vector<std::string>& args) {
    return RunCopyGroup(args, &CopyGearboxFromFile);
}

int RunCopyChassis(const std::vector<std::string>& args) {
    return RunCopyGroup(args, &CopyChassisFromFile);
}

} // namespace kvq::cli
