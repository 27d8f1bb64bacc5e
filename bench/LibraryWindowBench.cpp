// The Setup Library window over a tree of setups, offscreen: the time until its table is complete
// and sorted, the longest the event loop waited during the scan, a sort by another column, each
// key of a filter typed, and the resident memory the library added. Not part of ctest.
//
//   bench/library.sh build/bin/kvqsetup-cli /tmp/tree     (makes the 10,000 setups and keeps them)
//   build/bin/kvq_library_bench /tmp/tree [FILTER]       default filter: "track07 fuel<20"
#include "OffscreenHome.h"
#include "app/LibraryWindow.h"
#include "app/Main.h"
#include "app/Platform.h"
#include "app/Startup.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QLineEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

namespace {

double ResidentMb() {
    std::ifstream statm("/proc/self/statm");
    long pages = 0;
    long resident = 0;
    statm >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE)) / 1e6;
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s TREE [FILTER]\n", argv[0]);
        return 2;
    }
    const QString tree = QString::fromLocal8Bit(argv[1]);
    const QString filter = argc > 2 ? QString::fromLocal8Bit(argv[2]) : "track07 fuel<20";
    QTemporaryDir home;
    UseOffscreenHome(home);
    int qtArgc = 1;
    QApplication app(qtArgc, argv);

    kvq::QtPlatform platform;
    auto form = kvq::StartUp(platform, kvq::SteadyMilliseconds() - kvq::kSplashMilliseconds);
    form->show();
    auto* library = form->findChild<kvq::LibraryWindow*>("Library1");
    auto* table = library->findChild<QTableView*>("LibraryTable1");
    library->SetRoots({});
    library->show();
    QCoreApplication::processEvents();
    const double before = ResidentMb();

    // The event loop's longest wait while the scan runs, from a timer that asks every millisecond.
    QElapsedTimer sinceTick;
    double longestWait = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        longestWait = std::max(longestWait, Ms(sinceTick));
        sinceTick.restart();
    });
    QElapsedTimer scan;
    QEventLoop loop;
    QObject::connect(library, &kvq::LibraryWindow::ScanFinished, &loop, &QEventLoop::quit);
    scan.start();
    sinceTick.start();
    ticker.start(1);
    library->SetRoots({tree});
    loop.exec();
    QCoreApplication::processEvents();
    const double complete = Ms(scan);
    ticker.stop();
    const double after = ResidentMb();

    QElapsedTimer sort;
    sort.start();
    table->sortByColumn(kvq::LibraryModel::Fuel, Qt::DescendingOrder);
    QCoreApplication::processEvents();
    const double sorted = Ms(sort);

    // Each key of the filter as typing gives it: the text one character longer, then painted.
    auto* box = library->findChild<QLineEdit*>("Filter1");
    double slowestKey = 0;
    double allKeys = 0;
    for (int length = 1; length <= filter.size(); ++length) {
        QElapsedTimer key;
        key.start();
        box->setText(filter.left(length));
        table->viewport()->repaint();
        slowestKey = std::max(slowestKey, Ms(key));
        allKeys += Ms(key);
    }
    std::printf("%zu entries: table complete and sorted %.0f ms, longest event loop wait during "
                "the scan %.1f ms, sort by fuel %.1f ms; filter \"%s\" (%d rows left): %.2f ms a "
                "key on average, %.2f ms the slowest; resident memory %.1f MB more\n",
                library->Model().Entries().size(), complete, longestWait, sorted,
                qPrintable(filter), table->model()->rowCount(), allKeys / filter.size(), slowestKey,
                after - before);
    // Destroyed without closing: the bench leaves no settings behind.
    form.reset();
    return 0;
}
