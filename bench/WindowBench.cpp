// The window with many pages on the setups of one folder, offscreen: the time and CPU to open
// them and to close them one by one, and the CPU the window spends while an unrelated file in that
// folder is created and removed about a hundred times a second. Not part of ctest.
//
//   build/bin/kvq_window_bench [PAGES [SECONDS]]     defaults: 300 pages, 10 s of churn
//
// It runs in a folder of its own, which is also its HOME, and prints one line of figures.
#include "OffscreenHome.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/Startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Wall and CPU seconds of one piece of work.
template <typename F> std::pair<double, double> Timed(F&& work) {
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    work();
    return {wall.nsecsElapsed() / 1e9, CpuSeconds() - cpu};
}

} // namespace

int main(int argc, char** argv) {
    const int pages = argc > 1 ? std::atoi(argv[1]) : 300;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    QTemporaryDir home;
    UseOffscreenHome(home);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    const QString folder = home.path() + "/setups";
    QDir().mkpath(folder);
    QStringList files;
    for (int i = 0; i < pages; ++i) {
        files << folder + QString("/car%1.br1").arg(i);
        QFile::copy(KVQ_SOURCE_DIR "/examples/default.br1", files.back());
    }

    kvq::QtPlatform platform;
    // Started long enough ago for the splash to go at once.
    auto form = kvq::StartUp(platform, kvq::SteadyMilliseconds() - kvq::kSplashMilliseconds);
    form->show();
    const auto [openWall, openCpu] = Timed([&] {
        form->OpenFiles(files);
        QCoreApplication::processEvents();
    });

    int churned = 0;
    const auto [churnWall, churnCpu] = Timed([&] {
        QTimer churn;
        QObject::connect(&churn, &QTimer::timeout, [&] {
            QFile junk(folder + "/junk.tmp");
            if (junk.open(QIODevice::WriteOnly)) junk.write("x");
            junk.close();
            junk.remove();
            ++churned;
        });
        churn.start(10);
        // A loop of its own: quitting the application would close the window.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    });

    const int open = form->PageCount();
    // Every page closed as the user closes one, then the window.
    const auto [closeWall, closeCpu] = Timed([&] {
        while (form->PageCount() > 0) form->ClosePage1Click();
        form->close();
        form.reset();
    });
    std::printf("pages %d (%d open): open %.2f s (cpu %.2f s), close %.2f s (cpu %.2f s), "
                "churn %d files in %.1f s: cpu %.2f s\n",
                pages, open, openWall, openCpu, closeWall, closeCpu, churned, churnWall, churnCpu);
    return 0;
}
