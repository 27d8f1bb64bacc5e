#!/usr/bin/env bash
# Builds the Debian package into a folder of the test's own, unpacks it there with dpkg -x (it is
# never installed into the system) and checks it as dpkg, a desktop, a software centre, man and
# lintian see it. Every tool it calls is one that scripts/deps.sh installs: one that is missing
# fails the test.
#   check-package.sh BUILD_DIR VERSION
set -euo pipefail
build=$1 version=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$work" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack"; }
deb=$work/kvqsetup_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "no package $deb"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"
dpkg-deb -f "$deb" Depends

# The dependencies are those dpkg-shlibdeps found in the programs.
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6printsupport6; do
    [[ $depends == *"$library ("* ]] || fail "Depends has no $library"
done

# The completion of kvqsetup-cli is loaded by bash-completion.
[[ $(dpkg-deb -f "$deb" Recommends) == *bash-completion* ]] || fail "Recommends has no bash-completion"

root=$work/root
dpkg -x "$deb" "$root"

# The programs are built with the hardening of Debian's own packages: position-independent,
# relocations bound at start-up and read-only after, a stack protector, checked C library calls.
for program in kvqsetup kvqsetup-cli; do
    elf=$root/usr/lib/kvqsetup/$program
    readelf -hW "$elf" | grep -q 'Type: *DYN' || fail "$program is not position-independent"
    readelf -lW "$elf" | grep -q GNU_RELRO || fail "$program has no read-only relocations"
    readelf -dW "$elf" | grep -q 'FLAGS.*\bNOW\b' || fail "$program does not bind at start-up"
    symbols=$(readelf --dyn-syms -W "$elf")
    grep -q ' __stack_chk_fail' <<<"$symbols" || fail "$program has no stack protector"
    grep -v __stack_chk_fail <<<"$symbols" | grep -qE ' __[a-z0-9_]+_chk\b' ||
        fail "$program has no checked C library calls"
done
for f in lib/kvqsetup/kvqsetup lib/kvqsetup/kvqsetup-cli lib/kvqsetup/Help.txt \
         lib/kvqsetup/alternative.kvq bin/kvqsetup bin/kvqsetup-cli \
         share/applications/kvqsetup.desktop share/icons/hicolor/scalable/apps/kvqsetup.svg \
         share/mime/packages/kvqsetup.xml share/bash-completion/completions/kvqsetup-cli \
         share/man/man1/kvqsetup.1.gz share/man/man1/kvqsetup-cli.1.gz \
         share/doc/kvqsetup/copyright share/doc/kvqsetup/changelog.gz; do
    [ -e "$root/usr/$f" ] || fail "the package has no /usr/$f"
done
# The file-type database is the system's, rebuilt by its trigger: none from the build machine.
[ -z "$(find "$root/usr/share/mime" -mindepth 1 -maxdepth 1 ! -name packages)" ] ||
    fail "the package holds a file-type database"

# The programs run from the unpacked tree; the window's version needs no display.
[ "$("$root/usr/bin/kvqsetup-cli" --version)" = "kvqsetup-cli $version" ] || fail "kvqsetup-cli --version"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/kvqsetup" --version)" = "kvqsetup $version" ] ||
    fail "kvqsetup --version"

# The manual pages render without a warning and are the programs' own help of this version.
for program in kvqsetup kvqsetup-cli; do
    page=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l \
        "$root/usr/share/man/man1/$program.1.gz" 2>"$work/man.err")
    [ ! -s "$work/man.err" ] || { cat "$work/man.err"; fail "man warns on $program(1)"; }
    for part in NAME DESCRIPTION "EXIT STATUS" FILES "$program $version"; do
        grep -q "$part" <<<"$page" || fail "$program(1) has no $part"
    done
done
for text in --version KVQSETUP.INI kvqsetup.lmt; do
    LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/kvqsetup.1.gz" | grep -q -- "$text" ||
        fail "kvqsetup(1) does not tell $text"
done
for command in sheet normalise import copy-gearbox copy-chassis dump diff set; do
    LC_ALL=C.UTF-8 man -l "$root/usr/share/man/man1/kvqsetup-cli.1.gz" | grep -q "^ *$command " ||
        fail "kvqsetup-cli(1) does not tell the command $command"
done

desktop-file-validate "$root/usr/share/applications/kvqsetup.desktop" || fail "desktop entry"

# The software centre's description: valid, of this release, for the desktop entry and file type
# the package installs.
metainfo=$(find "$root/usr/share/metainfo" -name '*.metainfo.xml')
[ "$(wc -l <<<"$metainfo")" -eq 1 ] || fail "one metainfo file wanted"
appstreamcli validate --no-net --strict "$metainfo" || fail "AppStream metadata"
field() { xmllint --xpath "string($1)" "$metainfo"; }
[ "$(basename "$metainfo")" = "$(field /component/id).metainfo.xml" ] || fail "metainfo file name"
[ "$(field '/component/releases/release[1]/@version')" = "$version" ] || fail "metainfo release"
[ -f "$root/usr/share/applications/$(field '/component/launchable')" ] || fail "metainfo launchable"
mediatype=$(field /component/provides/mediatype)
grep -q "type=\"$mediatype\"" "$root/usr/share/mime/packages/kvqsetup.xml" || fail "metainfo mediatype"

zcat "$root/usr/share/doc/kvqsetup/changelog.gz" >"$work/changelog"
[ "$(dpkg-parsechangelog -l "$work/changelog" -S Version)" = "$version" ] ||
    fail "the changelog's latest entry is not $version"

# No errors and no warnings (lintian says so when it runs as root, as tests here do).
lintian --fail-on error,warning "$deb" || fail "lintian"
echo "package OK"
