#!/usr/bin/env bash
# Which Windows build this machine can test under Wine: i686 where Wine runs 32-bit programs,
# x86_64 where it does not. A 32-bit program that could not run would exit 0 having done
# nothing, so the probe must return a code of its own.
set -u
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d /tmp/glaxen-wine-arch.XXXXXX)
trap 'rm -rf "$work"' EXIT
printf 'int main(void) { return 42; }\n' >"$work/probe.c"
if i686-w64-mingw32-gcc-posix -o "$work/probe.exe" "$work/probe.c" 2>/dev/null; then
    "$here/wine_run.sh" "$work/probe.exe" >/dev/null 2>&1
    [ $? = 42 ] && { echo i686; exit 0; }
fi
echo x86_64
