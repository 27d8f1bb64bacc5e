#pragma once

#include "edit/FieldTable.h"
#include "setup/SetupDocument.h"

#include <functional>
#include <initializer_list>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Shared pieces of the command-line companion's commands.
namespace kvq::cli {

// diff follows cmp and diff: 1 means the files differ, so its trouble is 2.
enum ExitStatus : int { kOk = 0, kBadInput = 1, kUsageError = 2, kDiffTrouble = 2 };

// A command line the command cannot run: its text is printed with the command's usage line.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Standard output could not be written: "kvqsetup-cli: write error: REASON". Nothing more is
// done, as with cat.
class WriteError : public std::runtime_error {
public:
    explicit WriteError(int error);
};

// A command's arguments sorted into options with values, flags and the rest. "--" ends the
// options; "-" alone is an ordinary argument (standard input).
struct Options {
    std::vector<std::string> Positional;
    std::map<std::string, std::string, std::less<>> Values;
    std::set<std::string, std::less<>> Flags;
    std::map<std::string, std::vector<std::string>, std::less<>> Repeated; // in the order given

    [[nodiscard]] bool Has(std::string_view flag) const { return Flags.contains(flag); }
    [[nodiscard]] std::optional<std::string> Value(std::string_view option) const;
};

// Throws UsageError for an unknown option, an option without its value or one of valueOptions
// given twice; repeatable options may be given any number of times.
[[nodiscard]] Options ParseOptions(const std::vector<std::string>& args,
                                   std::initializer_list<std::string_view> valueOptions,
                                   std::initializer_list<std::string_view> flags,
                                   std::initializer_list<std::string_view> repeatable = {});

// The limits in force for a command: the built-in ones, or those of the file named by --limits.
// A --limits file that does not exist or is no regular file is a usage error; one that cannot be
// read throws KvqError.
[[nodiscard]] CurrentLimits LimitsFromOptions(const Options& options);

// The one output file named by -o ("-": standard output); a usage error when it is missing.
[[nodiscard]] std::string OutputFromOptions(const Options& options);

// Writes the record to the output file, or to standard output for "-". Pipes and devices are
// written in place, a pipe's reader waited for.
void WriteOutput(const std::string& output, const SetupRecord& record);

// Loads a setup for a command, reading pipes and devices to their end. A missing file becomes
// the error "PATH: file not found".
[[nodiscard]] TSetup LoadSetupOrThrow(const std::string& path);

// Runs the action on the setup of each file in turn. A file that cannot be read, or an action
// that fails with KvqError, is told on standard error and the others are still done; the result
// is kBadInput then, else kOk.
int ForEachSetup(const std::vector<std::string>& paths,
                 const std::function<void(const std::string& path, TSetup& setup)>& action);

// Prints a message line on standard error, control characters in it escaped (PrintableName).
void PrintError(std::string_view message);

// Writes text to standard output as it is. Throws WriteError when it cannot.
void PrintOut(std::string_view text);

// Flushes and closes standard output. Throws WriteError when something written was lost.
void CloseStandardOutput();

// One command of the companion.
struct Command {
    std::string_view Name;
    std::string_view Usage;   // the arguments after the command's name
    std::string_view Summary; // one line for the general help
    int (*Run)(const std::vector<std::string>& args);
    int Trouble = kBadInput; // the exit status when something goes wrong
};

} // namespace kvq::cli
