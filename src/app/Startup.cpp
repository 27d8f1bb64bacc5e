#include "app/Startup.h"

#include "app/Main.h"
#include "app/Platform.h"
#include "app/Splash.h"

#include "base/System.h"
#include "base/Utils.h"
#include "edit/LimitsFile.h"
#include "settings/Locations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QThread>
#include <QWindow>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace kvq {

namespace {

// The window system maps a window some time after show(), and what is painted before the window
// is exposed never reaches the screen. Since the start-up wait handles no events, the splash is
// painted once it is exposed, before anything waits. User input stays queued meanwhile.
void ShowPainted(QWidget& window, qint64 longest) {
    window.show();
    QElapsedTimer waited;
    waited.start();
    const auto exposed = [&window] {
        return window.windowHandle() && window.windowHandle()->isExposed();
    };
    while (!exposed() && waited.elapsed() < longest) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        QThread::msleep(2);
    }
    window.repaint();
    // Hands the painted pixels to the window system.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

} // namespace

std::unique_ptr<TForm1> StartUp(Platform& platform, qint64 startTick) {
    const qint64 deadline = startTick + kSplashMilliseconds;
    auto splash = std::make_unique<TSplashForm>();
    ShowPainted(*splash, kSplashMilliseconds);
    QCoreApplication::setApplicationName(kApplicationTitle);

    auto form = std::make_unique<TForm1>(platform);

    platform.Sleep(deadline - platform.TickCount());
    splash->hide();
    return form;
}

namespace {

// The name the program's files are named after, and that its messages begin with.
constexpr const char* kProgramName = "kvqsetup";

const QCommandLineOption kHelpOption({"h", "help"}, "display this help and exit");
const QCommandLineOption kVersionOption({"v", "version"}, "output version information and exit");

QString HelpText() {
    const auto name = [](const std::string& path) {
        return QString::fromStdString(std::string(FileNameOf(path)));
    };
    return QString(R"(Usage: %1 [OPTION]... [--] [FILE]...
View and edit the car setups of KVQ, the historic Formula 1 simulation, in a
window. Each FILE opens on a page of its own. File, Setup Library (Ctrl+L)
shows every setup under the folders chosen as one table, sorted by any column
and filtered as typed (fuel<40 gears=6 monza), and opens, compares, copies,
normalises or exports the setups selected.

A setup file is a 264-byte record starting with PGTS. Its extension names the
make: .bb? Brabham, .br? BRM, .co? Coventry, .ea? Eagle, .fe? Ferrari, .lo?
Lotus, .mu? Murusama; the third character decides the gears shown (3: four,
br1: six, else five). Write -- before names that start with "-".

Options:
  -h, --help       %2
  -v, --version    %3

Files:
The program's files lie beside it, in the folder that holds it. A copy whose
folder the user cannot write, such as an installed one, also uses the user's
folder %6.
  Help.txt       the text shown while no setup is open, beside the program
  %4   settings: window position, last file opened, Recent Files,
                 KVQ Default, the library's folders, size and column widths;
                 read from the user's folder when it is there,
                 else from beside the program; written beside the program,
                 or to the user's folder when the program's folder is not
                 writable, when the window closes
  %5   limits file (field,min,max,step a line): the one beside the
                 program, else the user's
  *.kvq          vocabularies for setup text: those beside the program, then
                 the user's, each folder's in name order
)")
        .arg(kProgramName, kHelpOption.description(), kVersionOption.description(),
             name(SettingsFilePath(kProgramName)), name(LimitsFilePath(kProgramName)),
             QString::fromUtf8(UsersOwnFolderRule()));
}

// Standard output is checked as careful tools check it: a text that did not get out is an error.
int PrintOut(const QString& text) {
    std::fputs(text.toStdString().c_str(), stdout);
    if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
    std::fprintf(stderr, "%s: write error: %s\n", kProgramName, std::strerror(errno));
    return 1;
}

} // namespace

CommandLine ParseCommandLine(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) arguments << QString::fromStdU16String(FileNameToUtf16(argv[i]));
    if (arguments.isEmpty()) arguments << kProgramName;
    QCommandLineParser parser;
    // "-platform" is one unknown option, not eight letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions({kHelpOption, kVersionOption});
    CommandLine commandLine;
    if (!parser.parse(arguments)) {
        commandLine.Do = CommandLine::Action::UsageError;
        commandLine.Error = parser.errorText();
    } else if (parser.isSet(kHelpOption)) {
        commandLine.Do = CommandLine::Action::Help;
    } else if (parser.isSet(kVersionOption)) {
        commandLine.Do = CommandLine::Action::Version;
    }
    commandLine.Files = parser.positionalArguments();
    return commandLine;
}

int RunWithoutWindow(const CommandLine& commandLine) {
    switch (commandLine.Do) {
    case CommandLine::Action::Help: return PrintOut(HelpText());
    case CommandLine::Action::Version:
        return PrintOut(
            QString("%1 %2\n").arg(kProgramName, QString::fromStdString(sys::ProgramVersion())));
    default:
        std::fprintf(stderr, "%s: %s\nTry '%s --help' for more information.\n", kProgramName,
                     PrintableName(commandLine.Error.toStdString()).c_str(), kProgramName);
        return 2;
    }
}

} // namespace kvq
