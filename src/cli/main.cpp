// kvqsetup-cli: the setup core for scripts and batch work.

#include "base/AtomicFile.h"
#include "base/System.h"
#include "base/Utils.h"
#include "cli/Cli.h"
#include "cli/Commands.h"

#include <array>
#include <cstdio>
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
    Command{"diff", "[--normalised [--limits LMT]] A B",
            "print the fields in which the setups A and B differ, one a line: LABEL: A -> B;\n"
            "      as stored, or with --normalised as opening them would bring them;\n"
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
    Command{"list",
            "[--limits LMT] [--where EXPR]... [--sort KEY[,KEY]...] [--json | --csv] "
            "[--duplicates] DIR...",
            "list every setup under the folders DIR, one a line: path, track, make, gears, fuel,\n"
            "      steering ratio, brake bias, diff ratio and top gear as the sheet prints them;\n"
            "      files that are no setup are named on standard error. EXPR: words found in the\n"
            "      path, track or make, \"dup\", KEY<VALUE, KEY<=, KEY>, KEY>=, KEY=, KEY!=; KEY:\n"
            "      path, track, make, gears, size, modified, TopGearRatio or a field dump prints\n"
            "      (-KEY sorts down); --duplicates lists identical records together",
            &RunList},
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
        PrintOut("kvqsetup-cli " + sys::ProgramVersion() + "\n");
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

int Main(int argc, char** argv) {
    sys::PrepareStandardStreams();
    NameFilesInMessages(MessageNames::PathAsGiven);
    RemoveTemporaryFilesOnSignals();
    const std::vector<std::string> all = sys::CommandLineArguments(argc, argv);
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
