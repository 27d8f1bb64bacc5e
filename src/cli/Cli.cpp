#include "cli/Cli.h"

#include "base/System.h"
#include "base/Utils.h"
#include "edit/LimitsFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

namespace kvq::cli {

WriteError::WriteError(int error)
    : std::runtime_error(std::string("kvqsetup-cli: write error: ") + std::strerror(error)) {}

std::optional<std::string> Options::Value(std::string_view option) const {
    const auto it = Values.find(option);
    if (it == Values.end()) return std::nullopt;
    return it->second;
}

Options ParseOptions(const std::vector<std::string>& args,
                     std::initializer_list<std::string_view> valueOptions,
                     std::initializer_list<std::string_view> flags,
                     std::initializer_list<std::string_view> repeatable) {
    auto contains = [](std::initializer_list<std::string_view> list, std::string_view name) {
        return std::find(list.begin(), list.end(), name) != list.end();
    };
    Options options;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with('-')) {
            options.Positional.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (contains(valueOptions, arg) || contains(repeatable, arg)) {
            if (i + 1 >= args.size()) throw UsageError("option " + arg + " needs a value");
            if (contains(repeatable, arg)) {
                options.Repeated[arg].push_back(args[++i]);
                continue;
            }
            if (options.Values.contains(arg)) throw UsageError("option " + arg + " given twice");
            options.Values[arg] = args[++i];
        } else if (contains(flags, arg)) {
            options.Flags.insert(arg);
        } else {
            throw UsageError("unknown option " + arg);
        }
    }
    return options;
}

CurrentLimits LimitsFromOptions(const Options& options) {
    CurrentLimits limits;
    if (const auto path = options.Value("--limits")) {
        auto content = ReadLimitsFile(*path);
        if (!content) {
            std::error_code ec;
            const bool exists = std::filesystem::exists(sys::NativePath(*path), ec);
            throw UsageError(std::string(exists ? "limits file is not a regular file: "
                                                : "limits file not found: ") +
                             *path);
        }
        limits.SetFileLimits(content->Tables);
        limits.SelectFileLimits();
    }
    return limits;
}

std::string OutputFromOptions(const Options& options) {
    const auto output = options.Value("-o");
    if (!output) throw UsageError("no output file given (-o OUT)");
    return *output;
}

void WriteOutput(const std::string& output, const SetupRecord& record) {
    if (output != "-") return WriteSetupFile(output, record, SystemFileOps(), Waiting::Allowed);
    const auto& bytes = record.ToBytes();
    PrintOut({reinterpret_cast<const char*>(bytes.data()), bytes.size()});
}

TSetup LoadSetupOrThrow(const std::string& path) {
    TSetup setup;
    if (!LoadSetup(setup, path, Waiting::Allowed))
        throw KvqError(MessageName(path) + ": file not found");
    return setup;
}

int ForEachSetup(const std::vector<std::string>& paths,
                 const std::function<void(const std::string& path, TSetup& setup)>& action) {
    int status = kOk;
    for (const std::string& path : paths) {
        try {
            TSetup setup = LoadSetupOrThrow(path);
            action(path, setup);
        } catch (const KvqError& e) {
            PrintError(e.what());
            status = kBadInput;
        }
    }
    return status;
}

void PrintError(std::string_view message) {
    // Names and arguments in messages have their control characters shown, not obeyed.
    const std::string printable = PrintableName(message);
    std::fwrite(printable.data(), 1, printable.size(), stderr);
    std::fputc('\n', stderr);
}

void PrintOut(std::string_view text) {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) throw WriteError(errno);
}

void CloseStandardOutput() {
    if (std::fflush(stdout) != 0 || std::ferror(stdout) || std::fclose(stdout) != 0)
        throw WriteError(errno);
}

} // namespace kvq::cli
