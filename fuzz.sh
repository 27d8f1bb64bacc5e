#!/usr/bin/env bash
# Builds the fuzz targets (clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer) into
# build-fuzz/, runs each for SECONDS (default 60) over a copy of its seed corpus in
# tests/fuzz/corpus/, and prints what each run did. Exits non-zero when any run found a crash.
# Crashing inputs are kept in build-fuzz/runs/TARGET/crashes/: replay one with
# build-fuzz/bin/fuzz_TARGET FILE.
set -euo pipefail
cd "$(dirname "$0")"
seconds="${1:-60}"
source scripts/deps.sh
kvq_install_missing

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

export UBSAN_OPTIONS=print_stacktrace=1
runs=build-fuzz/runs
rows=()
failed=0
for seeds in tests/fuzz/corpus/*/; do
    target=$(basename "$seeds")
    run="$runs/$target"
    rm -rf "$run"
    mkdir -p "$run/corpus" "$run/crashes"
    cp "$seeds"* "$run/corpus/"
    before=$(find "$run/corpus" -type f | wc -l)
    echo "Fuzzing $target for $seconds s"
    status=0
    "build-fuzz/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
        -artifact_prefix="$run/crashes/" "$run/corpus" >"$run/log" 2>&1 || status=$?
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$run/log" | tail -1)
    crashes=$(find "$run/crashes" -type f | wc -l)
    if [ "$status" -ne 0 ] && [ "$crashes" -eq 0 ]; then crashes=1; fi
    if [ "$crashes" -ne 0 ]; then
        failed=1
        tail -n 40 "$run/log"
    fi
    rows+=("$target ${executions:-?} $(($(find "$run/corpus" -type f | wc -l) - before)) $crashes")
done

printf '\n%-14s %12s %12s %8s\n' target executions new-inputs crashes
for row in "${rows[@]}"; do
    # shellcheck disable=SC2086
    printf '%-14s %12s %12s %8s\n' $row
done
exit "$failed"
