#pragma once

#include <QObject>

namespace kvq {

// Lets SIGINT, SIGTERM and SIGHUP end the window as they end the companion, but only from the
// event loop: a save under way, whatever its disk's pace, puts its file in place first and
// leaves no temporary file behind. Then the program ends by the signal (a shell sees 128 + its
// number). Any thread may take a signal: its handler only writes it into a pipe that the event
// loop reads. A signal the process ignores stays ignored. A window program on Windows gets no
// such signals (see EndingSignalsWindows.cpp).
void EndOnSignalsFromTheEventLoop(QObject* parent);

} // namespace kvq
