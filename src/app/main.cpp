// kvqsetup: the setup viewer and editor.

#include "app/Main.h"
#include "app/Platform.h"
#include "app/Startup.h"
#include "base/Utils.h"

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
    // The names as given, byte for byte (QApplication has taken its own options out of argv):
    // a name that is no UTF-8 still reaches the file system as it is.
    QStringList files;
    for (int i = 1; i < argc; ++i)
        files << QString::fromStdU16String(kvq::FileNameToUtf16(argv[i]));
    form->OpenFiles(files);
    return app.exec();
}
