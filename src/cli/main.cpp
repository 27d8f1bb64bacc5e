// kvqsetup-cli: the setup core for scripts and batch work.

#include "base/AtomicFile.h"
#include "base/Utils.h"
#include "base/Version.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <vector>

namespace kvq::cli {
namespace {

constexpr std::array kCommands = {
    Command{"sheet", "[--limits LMT] FILE...",
            "print the setup sheet of each FILE, brought within the limits", &RunSheet},
    Command{"normalise", "[--limits LMT] IN -o OUT | IN... -d DIR",
            "bring IN within the limits and write it to OUT, or each IN to DIR under its own name",
            &RunNormalise},
    Command{"import", "[--vocab-dir DIR] [--limits LMT] [--raw] [TEXTFILE|-] -o OUT",
            "recognise the setup text (default: standard input), write it to OUT within the "
            "limits\n      (as read with --raw) and print its gear count",
            &RunImport},
    Command{"copy-gearbox", "[--limits LMT] SOURCE TARGET -o OUT",
            "write TARGET with the gearbox group of SOURCE to OUT, within the limits",
            &RunCopyGearbox},
    Command{"copy-chassis", "[--limits LMT] SOURCE TARGET -o OUT",
            "write TARGET with the chassis group of SOURCE to OUT, within the limits",
            &RunCopyChassis},
    Command{"dump", "[--json] [--limits LMT] FILE...",
            "print every field of each FILE as stored (--json: one JSON object a line), its gear\n"
            "      count and whether bringing it within the limits would change it",
            &RunDump},
    Command{"diff", "A B",
            "print the fields in which the setups A and B differ, one a line: LABEL: A -> B;\n"
            "      exit 0 when none differ, 1 when some do, 2 on trouble",
            &RunDiff, kDiffTrouble},
    Command{
        "gears", "[--json] FILE...",
        "print the gear ladder of each FILE as stored, one gear a line: the gear, its overall\n"
        "      ratio (gear x diff) and the engine speed change in percent at the upshift into it",
        &RunGears},
    Command{"set", "[--limits LMT] [--quiet] FILE FIELD=VALUE... -o OUT | --fields",
            "write FILE to OUT with the fields set as an edit in the window sets them (within the\n"
            "      limits, partner side too while SymmetricFlag is 1; a value clamped is told\n"
            "      unless --quiet); --fields lists the FIELDs",
            &RunSet},
};

const Command* FindCommand(std::string_view name) {
    for (const Command& command : kCommands)
        if (command.Name == name) return &command;
    return nullptr;
}

std::string UsageLine(const Command& command) {
    return "usage: kvqsetup-cli " + std::string(command.Name) + " " + std::string(command.Usage);
}

std::string GeneralHelp() {
    std::string text = "usage: kvqsetup-cli COMMAND [ARGS...]\n"
                       "       kvqsetup-cli COMMAND --help\n\ncommands:\n";
    for (const Command& command : kCommands) {
        text += "  " + std::string(command.Name) + " " + std::string(command.Usage) + "\n      " +
                std::string(command.Summary) + "\n";
    }
    text +=
        "\n--limits LMT puts the limits of the limits file LMT in force instead of the built-in "
        "ones.\n-o - writes the record to standard output.\nExit status: 0 done, 1 a file "
        "could not be read or written (import: or the text was\nnot recognised; set: an "
        "assignment was refused), 2 a usage error.\n"
        "diff: 0 the same, 1 different, 2 trouble.\n";
    return text;
}

// The command line without a known command: help, the version or a usage error.
int RunWithoutCommand(const std::vector<std::string>& all) {
    if (all.empty()) {
        std::fputs(GeneralHelp().c_str(), stderr);
        return kUsageError;
    }
    if (all.front() == "--help" || all.front() == "-h" || all.front() == "help") {
        PrintOut(GeneralHelp());
        return kOk;
    }
    if (all.front() == "--version") {
        PrintOut(std::string("kvqsetup-cli ") + kVersionText + "\n");
        return kOk;
    }
    PrintError("kvqsetup-cli: unknown command " + all.front());
    std::fputs(GeneralHelp().c_str(), stderr);
    return kUsageError;
}

int RunCommand(const Command& command, const std::vector<std::string>& args) {
    for (const std::string& arg : args) {
        if (arg == "--") break;
        if (arg == "--help" || arg == "-h") {
            PrintOut(UsageLine(command) + "\n" + std::string(command.Summary) + "\n");
            return kOk;
        }
    }
    try {
        return command.Run(args);
    } catch (const UsageError& e) {
        PrintError("kvqsetup-cli " + std::string(command.Name) + ": " + e.what());
        PrintError(UsageLine(command));
        return kUsageError;
    } catch (const WriteError&) {
        throw;
    } catch (const std::exception& e) {
        PrintError(e.what());
        return command.Trouble;
    }
}

// A closed standard stream gets /dev/null, open the wrong way round: files the program opens
// cannot take its number, and using it still fails (output: "Bad file descriptor"), as it should.
void OpenClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
}

int Main(int argc, char** argv) {
    OpenClosedStandardStreams();
    RemoveTemporaryFilesOnSignals();
    const std::vector<std::string> all(argv + 1, argv + argc);
    const Command* command = all.empty() ? nullptr : FindCommand(all.front());
    try {
        const int status =
            command ? RunCommand(*command, {all.begin() + 1, all.end()}) : RunWithoutCommand(all);
        CloseStandardOutput();
        return status;
    } catch (const WriteError& e) {
        PrintError(e.what());
        return command ? command->Trouble : kBadInput;
    }
}

} // namespace
} // namespace kvq::cli

int main(int argc, char** argv) { return kvq::cli::Main(argc, argv); }
