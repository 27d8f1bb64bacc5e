#!/usr/bin/env bash
# Installs what is missing, builds, and shows the setup sheet of the bundled example setup (or of
# the setup files given) with the command-line companion.
set -euo pipefail
cd "$(dirname "$0")"
source scripts/deps.sh
kvq_install_missing
kvq_runtime_dir

[ -f build/CMakeCache.txt ] || cmake --preset default
cmake --build build

if [ $# -eq 0 ]; then set -- examples/default.br1; fi
exec build/bin/kvqsetup-cli sheet "$@"
