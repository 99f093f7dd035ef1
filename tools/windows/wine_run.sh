#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the project's own Wine prefix: made on first use
# in the cache (one per Wine version, and per whether 32-bit Wine is there: a prefix made before
# wine32 was installed stays broken), with its wineserver kept alive a minute between runs so
# that each start is quick. The program's exit code is this script's.
# Usage: wine_run.sh PROGRAM.exe ARGS...
set -u
cache=${GLAXEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glaxen}
version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || version=unknown
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed' && version+=-with32
export WINEPREFIX=${GLAXEN_WINEPREFIX:-$cache/wine-$version}
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -e "$WINEPREFIX/.complete" ]; then
    mkdir -p "$cache"
    (
        flock 9
        [ -e "$WINEPREFIX/.complete" ] && exit 0
        rm -rf "$WINEPREFIX"
        echo "wine_run: making the Wine prefix $WINEPREFIX" >&2
        wineboot -i >/dev/null 2>&1 && wineserver -w && touch "$WINEPREFIX/.complete"
    ) 9>"$cache/.wine.lock" || { echo "wine_run: cannot make $WINEPREFIX" >&2; exit 125; }
fi
wineserver -p 60 2>/dev/null
exec wine "$@"
