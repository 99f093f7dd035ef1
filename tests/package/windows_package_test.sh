#!/usr/bin/env bash
# The Windows package as a user gets it: the zip extracted, holding one folder with glaxen.exe
# (a self-contained 32-bit GUI program), the music beside it and a README that warns of the
# flashing images and says to extract before running. Usage: windows_package_test.sh ZIP OBJDUMP
set -u
zip=$(realpath "$1")
objdump=$2
here=$(dirname "$(realpath "$0")")
scratch=$(mktemp -d /tmp/glaxen-windows-package.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

(cd "$scratch" && cmake -E tar xf "$zip") || { echo "FAIL: cannot extract $zip"; exit 1; }
folder=$scratch/$(basename "$zip" .zip)
[ -d "$folder" ] || { echo "FAIL: the zip holds no folder $(basename "$folder")"; exit 1; }
for file in glaxen.exe qx-331b_051224.ogg README.txt; do
    [ -s "$folder/$file" ] || fail "the package has no $file"
done
[ "$(ls "$folder" | wc -l)" = 3 ] || fail "the package holds more than its three files: $(ls "$folder")"
"$here/../win32/exe_check.sh" "$objdump" "$folder/glaxen.exe" 32 >/dev/null || fail "glaxen.exe: $("$here/../win32/exe_check.sh" "$objdump" "$folder/glaxen.exe" 32)"
readme=$folder/README.txt
grep -q $'\r$' "$readme" || fail "README.txt has no Windows line ends"
grep -qi 'flashing images' "$readme" || fail "README.txt gives no warning of flashing images"
grep -q 'Extract the folder before running' "$readme" || fail "README.txt does not say to extract first"
grep -q 'Escape' "$readme" || fail "README.txt names no keys"
[ $failures = 0 ] || exit 1
echo "ok: $(basename "$zip"): glaxen.exe ($(stat -c %s "$folder/glaxen.exe") bytes), the music, README.txt"
