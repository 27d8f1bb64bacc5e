#!/usr/bin/env bash
# The window's command line as a shell sees it: help, version and usage errors go to the right
# stream with the right exit status, and come without a display (with none, a window could not
# even start).
#   check-command-line.sh KVQSETUP
set -uo pipefail
program=$1
out=$(mktemp) err=$(mktemp)
trap 'rm -f "$out" "$err"' EXIT
failed=0
fail() { echo "FAILED: $*" >&2; failed=1; }

# matches FILE PATTERN: the whole file matches the extended regular expression ("": is empty).
matches() {
    if [ -z "$2" ]; then [ ! -s "$1" ]; else grep -Ezq "^$2\$" "$1"; fi
}

# check STATUS STDOUT-PATTERN STDERR-PATTERN ARGS...; standard output goes to $stdout.
stdout=$out
check() {
    local status=$1 out_pattern=$2 err_pattern=$3
    shift 3
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" "$@" >"$stdout" 2>"$err"
    local got=$?
    [ "$got" -eq "$status" ] || fail "kvqsetup $*: exit status $got, not $status"
    matches "$out" "$out_pattern" || fail "kvqsetup $*: standard output: $(cat "$out")"
    matches "$err" "$err_pattern" || fail "kvqsetup $*: standard error: $(cat "$err")"
}

help='Usage: kvqsetup \[OPTION\]\.\.\. \[--\] \[FILE\]\.\.\.
.*KVQSETUP\.INI .*kvqsetup\.lmt .*\*\.kvq .*'
usage_error() { printf "kvqsetup: %s\nTry 'kvqsetup --help' for more information\\\\.\n" "$1"; }
for option in --help -h; do
    check 0 "$help" "" "$option"
done
check 0 "$help" "" car.br1 --help
grep -q 'XDG_CONFIG_HOME/kvqsetup (~/\.config/kvqsetup' "$out" ||
    fail "--help does not tell the user's folder"
for option in --version -v; do
    check 0 'kvqsetup [0-9]+\.[0-9]+\.[0-9]+\.[0-9]+
' "" "$option"
done
check 2 "" "$(usage_error "Unknown option 'bogus'\\.")" --bogus car.br1
# Qt reads no options of its own from the command line: its settings come from the environment.
check 2 "" "$(usage_error "Unknown option 'platform'\\.")" -platform offscreen
: >"$out" # nothing reaches it below
stdout=/dev/full check 1 "" 'kvqsetup: write error: No space left on device
' --help
exit $failed
