#pragma once

#include <QtGlobal>

#include <memory>

namespace kvq {

class Platform;
class TForm1;

// How long the splash window stands at least, counted from the program's start.
inline constexpr qint64 kSplashMilliseconds = 2000;

// The program from its start up to the message loop: the splash is shown and painted, the main
// window created, and then, handling no messages, the program waits until the splash has stood
// for its time before the splash goes. startTick is the platform's tick count when the program
// started. Returns the main window, not yet shown.
std::unique_ptr<TForm1> StartUp(Platform& platform, qint64 startTick);

} // namespace kvq
