#!/usr/bin/env bash
# Installs what is missing, builds, and starts KVQ Setup on the bundled example setup (or on the
# setup files given). Without a display it prints their setup sheets with the companion instead.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kvq_install_missing
kvq_runtime_dir

[ -f build/CMakeCache.txt ] || cmake --preset default
cmake --build build

if [ $# -eq 0 ]; then set -- examples/default.br1; fi
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
    exec build/bin/kvqsetup "$@"
fi
echo "No display (DISPLAY and WAYLAND_DISPLAY are unset): printing the setup sheets instead." >&2
exec build/bin/kvqsetup-cli sheet "$@"
