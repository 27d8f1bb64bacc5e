// kvqsetup: the setup viewer and editor.

#include "app/Main.h"
#include "app/EndingSignals.h"
#include "app/Platform.h"
#include "app/Startup.h"

#include <QApplication>
#include <QSessionManager>

#include <clocale>

int main(int argc, char** argv) {
    const qint64 startTick = kvq::SteadyMilliseconds();
    const kvq::CommandLine commandLine = kvq::ParseCommandLine(argc, argv);
    if (commandLine.Do != kvq::CommandLine::Action::Run) return kvq::RunWithoutWindow(commandLine);
    // The command line is the program's alone: Qt gets none of it, so no file name is taken for
    // an option of Qt's (its settings come from the environment: QT_QPA_PLATFORM, DISPLAY, ...).
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    // QApplication takes the number format from the user's locale; the program's is always ".".
    std::setlocale(LC_NUMERIC, "C");
    kvq::QtPlatform platform;
    auto form = kvq::StartUp(platform, startTick);
    kvq::EndOnSignalsFromTheEventLoop(&app);
    // A log-out asks about the changed pages as closing the window does; Cancel stays logged in.
    QObject::connect(&app, &QGuiApplication::commitDataRequest, form.get(),
                     [&form](QSessionManager& manager) {
                         if (manager.allowsInteraction() && !form->close()) manager.cancel();
                         manager.release();
                     });
    form->show();
    form->OpenFiles(commandLine.Files);
    return app.exec();
}
