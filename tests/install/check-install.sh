#!/usr/bin/env bash
# Installs the build into a fresh prefix and checks the installed tree as a desktop and a file
# manager would see it.
#   check-install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in lib/kvqsetup/kvqsetup lib/kvqsetup/kvqsetup-cli lib/kvqsetup/Help.txt \
         lib/kvqsetup/alternative.kvq share/applications/kvqsetup.desktop \
         share/icons/hicolor/scalable/apps/kvqsetup.svg share/mime/packages/kvqsetup.xml \
         share/bash-completion/completions/kvqsetup-cli share/man/man1/kvqsetup.1.gz \
         share/man/man1/kvqsetup-cli.1.gz share/metainfo/io.github.kvqsetup.kvqsetup.metainfo.xml; do
    [ -f "$prefix/$f" ] || fail "missing $f"
done
for program in kvqsetup kvqsetup-cli; do
    [ -L "$prefix/bin/$program" ] || fail "bin/$program is no link"
    [ "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$prefix/lib/kvqsetup/$program")" ] ||
        fail "bin/$program does not lead to lib/kvqsetup/$program"
done

# The installed companion runs from its link.
"$prefix/bin/kvqsetup-cli" sheet "$source/examples/default.br1" | grep -q 'Steering Ratio: 16:1' ||
    fail "the installed kvqsetup-cli does not print the sheet"

desktop-file-validate "$prefix/share/applications/kvqsetup.desktop" || fail "desktop entry"
grep -q '^MimeType=application/x-kvq-setup;$' "$prefix/share/applications/kvqsetup.desktop" ||
    fail "the desktop entry does not open setup files"
xmllint --noout "$prefix/share/mime/packages/kvqsetup.xml" || fail "file type package"
xmllint --noout "$prefix/share/icons/hicolor/scalable/apps/kvqsetup.svg" || fail "icon"

# The file-type database built from the package claims setups by their content, whatever their
# name, and leaves alone the unrelated files that end like a setup's name.
mime="$prefix/share/mime"
[ -f "$mime/globs2" ] || update-mime-database "$mime"
grep -q 'PGTS' "$mime/magic" || fail "no magic PGTS"
[ -f "$mime/application/x-kvq-setup.xml" ] || fail "the file type is not in the database"
! grep -q 'x-kvq-setup' "$mime/globs2" || fail "a name pattern claims files"
files=$prefix/files
mkdir -p "$files"
for name in car.br1 car.lo3 car.mu6 setup; do cp "$source/examples/default.br1" "$files/$name"; done
printf 'PK\003\004 not a setup' >"$files/z.ear"
printf '\xb8\x00\x4c\xcd\x21' >"$files/m.com"
printf '\\begin{thebibliography}{1}\n' >"$files/paper.bbl"
printf 'no setup\n' >"$files/notes.lol"
type_of() {
    XDG_DATA_HOME="$prefix/home" XDG_DATA_DIRS="$prefix/share:/usr/share" \
        gio info -a standard::content-type "$files/$1" | sed -n 's/^ *standard::content-type: //p'
}
for name in car.br1 car.lo3 car.mu6 setup; do
    [ "$(type_of "$name")" = application/x-kvq-setup ] || fail "$name is no setup to the desktop"
done
for name in z.ear m.com paper.bbl notes.lol; do
    [ "$(type_of "$name")" != application/x-kvq-setup ] || fail "$name is claimed as a setup"
done
echo "install tree OK"
