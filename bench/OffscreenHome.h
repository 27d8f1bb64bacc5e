#pragma once

#include <QTemporaryDir>

#include <cstdlib>

// The window benches run offscreen in a folder of their own, which is also their HOME, so that
// nothing of the user's is read or written.
inline void UseOffscreenHome(const QTemporaryDir& home) {
    ::setenv("HOME", qPrintable(home.path()), 1);
    ::setenv("XDG_CONFIG_HOME", qPrintable(home.path() + "/.config"), 1);
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
}
