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

# The file-type database built from the package knows every make's files and the magic.
mime="$prefix/share/mime"
[ -f "$mime/globs2" ] || update-mime-database "$mime"
for make in bb br co ea fe lo mu; do
    grep -q "application/x-kvq-setup:\*\.$make?" "$mime/globs2" || fail "no glob for *.$make?"
done
grep -q 'PGTS' "$mime/magic" || fail "no magic PGTS"
[ -f "$mime/application/x-kvq-setup.xml" ] || fail "the file type is not in the database"
echo "install tree OK"
