#include "app/Startup.h"

#include "app/Main.h"
#include "app/Platform.h"
#include "app/Splash.h"

#include <QApplication>

namespace kvq {

std::unique_ptr<TForm1> StartUp(Platform& platform, qint64 startTick) {
    const qint64 deadline = startTick + kSplashMilliseconds;
    auto splash = std::make_unique<TSplashForm>();
    splash->show();
    splash->repaint();
    // Lets the window system map and paint the splash; no user input is handled yet.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    QCoreApplication::setApplicationName(kApplicationTitle);

    auto form = std::make_unique<TForm1>(platform);

    platform.Sleep(deadline - platform.TickCount());
    splash->hide();
    return form;
}

} // namespace kvq
