// The window with many pages on the setups of one folder, offscreen: the time and CPU to open
// them and to close them one by one, and the CPU the window spends while an unrelated file in that
// folder is created and removed about a hundred times a second. Not part of ctest.
//
//   build/bin/kvq_window_bench [PAGES [SECONDS]]     defaults: 300 pages, 10 s of churn
//   build/bin/kvq_window_bench --scaling [PAGES]     PAGES (default 2,000) opened and closed
//                                                    against a tenth of them ten times over
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
#include <cstring>
#include <sys/resource.h>

namespace {

double CpuSeconds() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

struct Cost {
    double Wall = 0;
    double Cpu = 0;
    Cost& operator+=(const Cost& other) {
        Wall += other.Wall;
        Cpu += other.Cpu;
        return *this;
    }
};

template <typename F> Cost Timed(F&& work) {
    QElapsedTimer wall;
    wall.start();
    const double cpu = CpuSeconds();
    work();
    return {wall.nsecsElapsed() / 1e9, CpuSeconds() - cpu};
}

struct Round {
    int Open = 0;
    Cost Opening;
    Cost Closing;
    Cost Churn;
    int Churned = 0;
};

// A window opens the pages at once, sits through the churn, then closes every page as the user
// closes one, and then itself.
Round OpenAndClose(const QString& folder, int pages, int seconds) {
    QStringList files;
    for (int i = 0; i < pages; ++i) {
        files << folder + QString("/car%1.br1").arg(i);
        QFile::remove(files.back());
        QFile::copy(KVQ_SOURCE_DIR "/examples/default.br1", files.back());
    }
    kvq::QtPlatform platform;
    // Started long enough ago for the splash to go at once.
    auto form = kvq::StartUp(platform, kvq::SteadyMilliseconds() - kvq::kSplashMilliseconds);
    form->show();
    Round round;
    round.Opening = Timed([&] {
        form->OpenFiles(files);
        QCoreApplication::processEvents();
    });
    round.Churn = Timed([&] {
        QTimer churn;
        QObject::connect(&churn, &QTimer::timeout, [&] {
            QFile junk(folder + "/junk.tmp");
            if (junk.open(QIODevice::WriteOnly)) junk.write("x");
            junk.close();
            junk.remove();
            ++round.Churned;
        });
        churn.start(10);
        // A loop of its own: quitting the application would close the window.
        QEventLoop loop;
        QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
        loop.exec();
    });
    round.Open = form->PageCount();
    round.Closing = Timed([&] {
        while (form->PageCount() > 0) form->ClosePage1Click();
        form->close();
        form.reset();
    });
    return round;
}

} // namespace

int main(int argc, char** argv) {
    const bool scaling = argc > 1 && std::strcmp(argv[1], "--scaling") == 0;
    const int first = scaling ? 2 : 1;
    const int pages = argc > first ? std::atoi(argv[first]) : scaling ? 2000 : 300;
    const int seconds = !scaling && argc > 2 ? std::atoi(argv[2]) : scaling ? 0 : 10;
    QTemporaryDir home;
    UseOffscreenHome(home);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    const QString folder = home.path() + "/setups";
    QDir().mkpath(folder);

    if (!scaling) {
        const Round round = OpenAndClose(folder, pages, seconds);
        std::printf("pages %d (%d open): open %.3f s (cpu %.3f s), close %.3f s (cpu %.3f s), "
                    "churn %d files in %.1f s: cpu %.3f s\n",
                    pages, round.Open, round.Opening.Wall, round.Opening.Cpu, round.Closing.Wall,
                    round.Closing.Cpu, round.Churned, round.Churn.Wall, round.Churn.Cpu);
        return 0;
    }
    // Flat cost per page: all of them at once cost about what a tenth of them costs ten times.
    Cost tenth;
    for (int time = 0; time < 10; ++time) {
        const Round round = OpenAndClose(folder, pages / 10, 0);
        tenth += round.Opening;
        tenth += round.Closing;
    }
    const Round all = OpenAndClose(folder, pages, 0);
    Cost whole = all.Opening;
    whole += all.Closing;
    std::printf("%d pages opened and closed: %.3f s (cpu %.3f s); %d pages ten times: %.3f s "
                "(cpu %.3f s); ratio %.2f\n",
                pages, whole.Wall, whole.Cpu, pages / 10, tenth.Wall, tenth.Cpu,
                whole.Wall / tenth.Wall);
    return 0;
}
