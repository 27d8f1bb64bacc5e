#include "app/EndingSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace kvq {

namespace {

int signalPipe[2] = {-1, -1};

void PassOn(int signal) {
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signal);
    [[maybe_unused]] const auto written = ::write(signalPipe[1], &byte, 1);
    errno = saved;
}

} // namespace

void EndOnSignalsFromTheEventLoop(QObject* parent) {
    if (signalPipe[0] >= 0 || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
    auto* reader = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(reader, &QSocketNotifier::activated, [] {
        unsigned char signal = 0;
        if (::read(signalPipe[0], &signal, 1) != 1) return;
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    });
    struct sigaction action {};
    action.sa_handler = PassOn;
    action.sa_flags = SA_RESTART;
    ::sigemptyset(&action.sa_mask);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        ::sigaction(signal, nullptr, &old);
        if (old.sa_handler != SIG_IGN) ::sigaction(signal, &action, nullptr);
    }
}

} // namespace kvq
