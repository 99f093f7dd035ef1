#!/usr/bin/env bash
# The Debian package as a user gets it: unpacked into a scratch root, its files, its declared
# dependencies, its desktop entry, icon and man pages checked, and the installed renderer run
# on the installed music. Usage: package_test.sh GLAXEN.deb
set -u
deb=$1
scratch=$(mktemp -d /tmp/glaxen-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

dpkg-deb -x "$deb" "$root" || { echo "FAIL: cannot unpack $deb"; exit 1; }

# ---------------------------------------------------------------- files and metadata

for file in usr/bin/glaxen usr/bin/glaxen-render usr/share/glaxen/qx-331b_051224.ogg \
    usr/share/applications/glaxen.desktop usr/share/icons/hicolor/32x32/apps/glaxen.png \
    usr/share/pixmaps/glaxen.xpm usr/share/man/man6/glaxen.6.gz \
    usr/share/man/man1/glaxen-render.1.gz; do
    [ -s "$root/$file" ] || fail "the package has no $file"
done
for program in glaxen glaxen-render; do
    [ -x "$root/usr/bin/$program" ] || fail "$program is not executable"
done

[ "$(dpkg-deb -f "$deb" Package)" = glaxen ] || fail "the package is not called glaxen"
depends=$(dpkg-deb -f "$deb" Depends)
for library in libsdl2-2.0-0 libvorbisfile3 libkissfft-float libdeflate0; do
    grep -q "$library" <<<"$depends" || fail "Depends does not name $library: $depends"
done

# ---------------------------------------------------------------- desktop entry, icon, manuals

entry=$root/usr/share/applications/glaxen.desktop
desktop-file-validate "$entry" || fail "desktop-file-validate refuses the desktop entry"
path=$(sed -n 's/^Path=//p' "$entry")
[ "$path" = /usr/share/glaxen ] || fail "the desktop entry starts the show in '$path'"
[ -s "$root$path/qx-331b_051224.ogg" ] || fail "no music in the desktop entry's folder"
grep -qx 'Icon=glaxen' "$entry" || fail "the desktop entry names no icon"

size=$(identify -format '%wx%h' "$root/usr/share/icons/hicolor/32x32/apps/glaxen.png" 2>/dev/null)
[ "$size" = 32x32 ] || fail "the icon is '$size', not 32x32"

for page in man6/glaxen.6.gz man1/glaxen-render.1.gz; do
    warnings=$(zcat "$root/usr/share/man/$page" | groff -man -Tutf8 -ww 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page: $warnings"
done

# ---------------------------------------------------------------- the installed renderer

render=$root/usr/bin/glaxen-render
"$render" --help | grep -q -- '--y4m' || fail "glaxen-render --help lists no --y4m"
"$render" --seed 1 --frames 3 --music "$root/usr/share/glaxen/qx-331b_051224.ogg" \
    --raw "$scratch/frames.raw" || fail "the installed glaxen-render failed"
bytes=$(stat -c %s "$scratch/frames.raw" 2>/dev/null || echo 0)
[ "$bytes" = $((3 * 640 * 480 * 4)) ] || fail "three frames are $bytes bytes"

[ $failures = 0 ] || exit 1
echo "ok: $(basename "$deb"): files, Depends ($depends), desktop entry, icon, manuals, renderer"
