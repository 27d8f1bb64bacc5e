#!/usr/bin/env bash
# kvqsetup-cli list over a setup library like the simulation's (20 tracks x 7 makes, 10,000
# setups in all), against cat of the same files, and the memory the library takes. Not part of
# ctest.
#
#   bench/library.sh [CLI [TREE]]    defaults: build/bin/kvqsetup-cli, a temporary folder
#
# Given TREE, the setups are made there and kept (for a look at them in the window). Times with
# hyperfine when it is installed, else once each with bash's time.
set -euo pipefail

source_dir=$(cd "$(dirname "$0")/.." && pwd)
cli=$(realpath "${1:-$source_dir/build/bin/kvqsetup-cli}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
tree=${2:-$work/tree}
mkdir -p "$tree" "$work/variants" "$work/empty"

# 100 different setups made by the companion itself, some of them alike, then 10,000 files:
# 60 track-and-make folders of 72 setups and 80 of 71.
for i in $(seq 0 99); do
    "$cli" set "$source_dir/examples/default.br1" "Fuel=$((1 + i % 46))" \
        "SteeringRatio=$((7 + i % 14))" "FrontBrakeBias=$((40 + i % 30))" \
        "GearIndex6=$((25 + i % 61))" "DiffIndex=$((86 + i % 4))" -o "$work/variants/$i.br1"
done
makes=(bb br co ea fe lo mu)
n=0
for track in $(seq -w 1 20); do
    mkdir -p "$tree/Track$track"
    for make in "${makes[@]}"; do
        files=$((n < 60 ? 72 : 71))
        for ((i = 0; i < files; i++)); do
            cp "$work/variants/$(((n * 7 + i) % 100)).br1" \
                "$tree/Track$track/setup$i.$make$((1 + i % 3))"
        done
        n=$((n + 1))
    done
done
count=$(find "$tree" -type f | wc -l)
find "$tree" -type f >"$work/files"

cat_all="xargs -a '$work/files' cat >/dev/null"
list="'$cli' list '$tree' >/dev/null"
if command -v hyperfine >/dev/null; then
    hyperfine --style none --warmup 1 --runs 10 --export-csv "$work/times.csv" "$cat_all" \
        "$list" "'$cli' list --json '$tree' >/dev/null" "'$cli' list --sort -fuel \
        --where 'fuel<20 make=brm' '$tree' >/dev/null" >/dev/null
    means=$(tail -n +2 "$work/times.csv" | awk -F, '{ print $2 }')
else
    TIMEFORMAT=%R
    bash -c "$cat_all"
    means=$(for command in "$cat_all" "$list" "'$cli' list --json '$tree' >/dev/null" \
        "'$cli' list --sort -fuel --where 'fuel<20 make=brm' '$tree' >/dev/null"; do
        { time bash -c "$command"; } 2>&1
    done)
fi

# Peak resident memory of list over the library, less that of list over an empty folder.
peak() { /usr/bin/time -f %M "$cli" list "$1" 2>&1 >/dev/null | tail -1; }
full=$(peak "$tree")
empty=$(peak "$work/empty")

echo "$count setups, $(nproc) cores, $(. /etc/os-release && echo "$PRETTY_NAME")"
paste <(printf '%s\n' cat list "list --json" "list --sort --where") <(echo "$means") |
    awk -F'\t' -v count="$count" '
    NR == 1 { floor = $2 }
    { printf "%-20s %8.3f s %10.0f files/s %6.2f x cat\n", $1, $2, count / $2, $2 / floor }'
echo "list's peak resident memory: $((full / 1024)) MB, $(((full - empty) / 1024)) MB more than" \
    "over an empty folder"
