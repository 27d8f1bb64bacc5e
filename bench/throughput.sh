#!/usr/bin/env bash
# Files per second of kvqsetup-cli sheet, dump and normalise over one folder of generated setups,
# against cat of the same files as the floor. Not part of ctest.
#
#   bench/throughput.sh [CLI [COUNT]]    defaults: build/bin/kvqsetup-cli, 10000 files
#
# Times with hyperfine when it is installed (apt-get install hyperfine), else once with bash's time.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
cli=$(realpath "${1:-$source_dir/build/bin/kvqsetup-cli}")
count=${2:-10000}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/variants" "$work/setups"

# 100 different setups made by the companion itself, not yet normalised (the example's gear
# ratios are the rounded ones), then repeated into COUNT files of 264 bytes.
for i in $(seq 0 99); do
    "$cli" set "$source_dir/examples/default.br1" "SymmetricFlag=$((i % 2))" "Fuel=$((1 + i % 46))" \
        "TyrePressureFL=$((16 + i % 15))" "CamberRR=-$((i % 5)).25" "BumpRL=$((1 + i % 5))" \
        "GearIndex1=$((i % 10))" "GearIndex4=$((25 + i % 61))" "DiffIndex=$((86 + i % 4))" \
        -o "$work/variants/$i.br1"
done
for ((n = 0; n < count; n += 100)); do cat "$work"/variants/*.br1; done |
    head -c $((count * 264)) >"$work/all"
split -b 264 -a 6 -d --additional-suffix=.fe2 "$work/all" "$work/setups/car"
rm "$work/all"
cd "$work"

# name, command, what to do before each run of it: writers start from an empty folder.
runs=(
    "cat" "cat setups/*.fe2 >/dev/null" ":"
    "sheet" "'$cli' sheet setups/*.fe2 >/dev/null" ":"
    "dump" "'$cli' dump setups/*.fe2 >/dev/null" ":"
    "dump --json" "'$cli' dump --json setups/*.fe2 >/dev/null" ":"
    "cp" "cp setups/*.fe2 out/" "rm -rf out && mkdir out"
    "normalise -d" "'$cli' normalise setups/*.fe2 -d out" "rm -rf out && mkdir out"
)
names=() commands=() prepares=()
for ((i = 0; i < ${#runs[@]}; i += 3)); do
    names+=("${runs[i]}") commands+=("${runs[i + 1]}") prepares+=(--prepare "${runs[i + 2]}")
done

# Mean seconds of each command, one a line.
if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 1 --runs 5 "${prepares[@]}" --export-csv times.csv \
        "${commands[@]}" >/dev/null
    means=$(tail -n +2 times.csv | awk -F, '{ print $2 }')
else
    TIMEFORMAT=%R
    means=$(for ((i = 0; i < ${#commands[@]}; i++)); do
        bash -c "${prepares[2 * i + 1]}"
        { time bash -c "${commands[i]}" >/dev/null; } 2>&1
    done)
fi

echo "$count files of 264 bytes, $(nproc) cores, $(. /etc/os-release && echo "$PRETTY_NAME")"
paste <(printf '%s\n' "${names[@]}") <(echo "$means") | awk -F'\t' -v count="$count" '
    NR == 1 { floor = $2 }
    { printf "%-13s %8.3f s %10.0f files/s %6.1f x cat\n", $1, $2, count / $2, $2 / floor }'
echo "(each one run over all files; cp and normalise -d write into an empty folder, normalise"
echo " through temporary files flushed to disk together and then renamed over their targets)"
