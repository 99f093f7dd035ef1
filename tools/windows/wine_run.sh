#!/usr/bin/env bash
# Runs a Windows program under Wine, quietly, in the project's own Wine prefix: made on first use
# in the cache (one per Wine version, and per whether 32-bit Wine is there: a prefix made before
# wine32 was installed stays broken), with its wineserver kept alive a minute between runs so
# that each start is quick. The program's exit code is this script's.
# Usage: wine_run.sh PROGRAM.exe ARGS...
#        wine_run.sh --stop              ends the prefix's session (its desktop with it)
#        wine_run.sh --desktop WxH|none  the prefix's settings for showing programs: a virtual
#            desktop of WxH (full screen needs one: a plain X server refuses every display
#            mode), DirectDraw without 3D (it starts in a fraction of the time), and windows
#            that X does not manage
# GLAXEN_WINE_FLAVOUR=NAME gives tests a prefix of their own beside the common one; WINEDEBUG is
# kept when set.
set -u
cache=${GLAXEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glaxen}
version=$(dpkg-query -W -f='${Version}' wine64 2>/dev/null) || version=unknown
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'ok installed' && version+=-with32
export WINEPREFIX=$cache/wine-$version${GLAXEN_WINE_FLAVOUR:+-$GLAXEN_WINE_FLAVOUR}
export WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
if [ "${1:-}" = --stop ]; then
    [ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
    wineserver -w 2>/dev/null
    exit 0
fi
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
# The server and Wine's own services outlive this program: started here, apart from its output,
# they hold no pipe of the caller's open.
wineserver -p 60 </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1
if [ "${1:-}" = --desktop ]; then
    desktop='"Desktop"=-'
    [ "$2" != none ] && desktop='"Desktop"="glaxen"'
    settings=$(mktemp /tmp/glaxen-wine.XXXXXX.reg)
    printf '%s\r\n' REGEDIT4 '' '[HKEY_CURRENT_USER\Software\Wine\Explorer]' "$desktop" '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' "\"glaxen\"=\"$2\"" '' \
        '[HKEY_CURRENT_USER\Software\Wine\Direct3D]' '"renderer"="gdi"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\X11 Driver]' '"Managed"="N"' >"$settings"
    wine regedit /S "Z:${settings//\//\\}"
    status=$?
    rm -f "$settings"
    exit $status
fi
exec wine "$@"
