#pragma once

// Runs the companion as a script does and keeps what it printed.

#include "../core/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include <sys/wait.h>

namespace kvq::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// The argument in single quotes for the shell.
inline std::string Quote(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

class CliFixture : public ::testing::Test {
protected:
    // Standard input is the file stdinPath, or nothing.
    CliRun Cli(const std::vector<std::string>& args, const std::string& stdinPath = "/dev/null") {
        return Shell(CliCommand(args) + " <" + Quote(stdinPath));
    }

    // The companion with its arguments as a shell command, for Shell.
    static std::string CliCommand(const std::vector<std::string>& args) {
        std::string command = Quote(OtherCli() ? OtherCli() : KVQ_CLI_PATH);
        for (const auto& arg : args) command += " " + Quote(arg);
        return command;
    }

    // Runs a shell command line, keeping what it printed; redirections in it come first.
    CliRun Shell(const std::string& line) {
        const std::string command =
            "( " + line + " ) >" + Quote(dir.File("stdout")) + " 2>" + Quote(dir.File("stderr"));
        const int raw = std::system(command.c_str());
        return {WEXITSTATUS(raw), ReadText(dir.File("stdout")), ReadText(dir.File("stderr"))};
    }

    // The program that KVQ_CLI names instead of this build's companion (a script that runs the
    // Windows build under Wine), or null.
    static const char* OtherCli() { return std::getenv("KVQ_CLI"); }

    static std::string Example(const char* name) {
        return (SourceDir() / "examples" / name).string();
    }

    TempDir dir;
};

} // namespace kvq::test
