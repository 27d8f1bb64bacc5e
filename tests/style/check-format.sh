#!/usr/bin/env bash
# Fails when a C++ source or header is not laid out as .clang-format says; prints where.
#   check-format.sh SOURCE_DIR
set -euo pipefail
cd "$1"
find src tests bench -name '*.cpp' -o -name '*.h' | sort | xargs clang-format --dry-run -Werror
