#!/usr/bin/env bash
# Installs what is missing, builds from scratch where needed, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kvq_install_missing
kvq_comma_locale
kvq_runtime_dir

cmake --preset ci
cmake --build --preset ci
ctest --preset ci

# The Qt-free layers and the companion cross-built for Windows in build-windows/, their tests
# run under Wine (a private configuration in build-windows/wineprefix, no display), and the
# companion's tests of build/ against kvqsetup-cli.exe.
cmake --preset windows
cmake --build --preset windows
ctest --preset windows

# The same suite again under AddressSanitizer and UndefinedBehaviorSanitizer, with the fuzz
# corpus replayed, in build-asan/.
cmake --preset asan
cmake --build --preset asan
ctest --preset asan
