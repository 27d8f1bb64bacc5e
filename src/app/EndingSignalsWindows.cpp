#include "app/EndingSignals.h"

namespace kvq {

// A program of the window system has no console, so Windows sends it none of the console's
// ending events (Ctrl+C, Ctrl+Break, closing the console); the end of the session that it does
// get reaches the window as QGuiApplication::commitDataRequest, which asks about the changed
// pages as closing the window does. Nothing is left to catch here.
void EndOnSignalsFromTheEventLoop(QObject* /*parent*/) {}

} // namespace kvq
