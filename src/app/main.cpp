// kvqsetup: the setup viewer and editor.

#include "app/Main.h"
#include "app/Platform.h"
#include "app/Startup.h"

#include <QApplication>

#include <clocale>

int main(int argc, char** argv) {
    const qint64 startTick = kvq::SteadyMilliseconds();
    QApplication app(argc, argv);
    // QApplication takes the number format from the user's locale; the program's is always ".".
    std::setlocale(LC_NUMERIC, "C");
    kvq::QtPlatform platform;
    auto form = kvq::StartUp(platform, startTick);
    form->show();
    form->OpenFiles(QApplication::arguments().mid(1));
    return app.exec();
}
