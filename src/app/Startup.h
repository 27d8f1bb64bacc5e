#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <memory>

namespace kvq {

class Platform;
class TForm1;

// How long the splash window stands at least, counted from the program's start.
inline constexpr qint64 kSplashMilliseconds = 2000;

// The program from its start up to the message loop: the splash is shown and painted, the main
// window created, and then, handling no messages, the program waits until the splash has stood
// for its time before the splash goes. startTick is the platform's tick count when the program
// started. Returns the main window, not yet shown.
std::unique_ptr<TForm1> StartUp(Platform& platform, qint64 startTick);

// What the command line asks of the window: kvqsetup [-h|--help] [-v|--version] [--] [FILE...].
struct CommandLine {
    enum class Action { Run, Help, Version, UsageError };
    Action Do = Action::Run;
    // The setups to open, byte for byte as given (a name that is no UTF-8 included).
    QStringList Files;
    // What is wrong with a command line that is a usage error.
    QString Error;
};

// Reads the program's arguments (argv[0] is the program). Needs no application object, so the
// help, the version and a usage error come without a display.
[[nodiscard]] CommandLine ParseCommandLine(int argc, char** argv);

// Carries out a command line that opens no window: the help or the version on standard output
// (exit status 0, or 1 when it cannot be written), a usage error on standard error (2).
[[nodiscard]] int RunWithoutWindow(const CommandLine& commandLine);

} // namespace kvq
