#!/usr/bin/env bash
# Start-up benchmark of glaxen.exe under Wine: in a 640 x 480 Wine desktop on Xvfb, the time
# from launching the program to its dialog on screen, and from Return to the first frame, RUNS
# times, with each run and the medians; then the frames per second of five seconds of show, as
# Wine's DirectDraw counts its flips. Usage: startup_wine.sh GLAXEN.exe PROBE [RUNS]
set -u
glaxen=$(realpath "$1")
probe=$(realpath "$2")
runs=${3:-5}
wine_run=$(dirname "$(realpath "$0")")/../tools/windows/wine_run.sh
export GLAXEN_WINE_FLAVOUR=e2e
work=$(mktemp -d /tmp/glaxen-startup.XXXXXX)
trap '"$wine_run" --stop; kill $xvfb 2>/dev/null; wait $xvfb 2>/dev/null; rm -rf "$work"' EXIT

Xvfb -displayfd 1 -screen 0 640x480x24 -nolock -nolisten tcp -nolisten unix >"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
"$wine_run" --stop
"$wine_run" --desktop 640x480

dialogs=()
frames=()
for run in $(seq "$runs"); do
    start=$(date +%s%3N)
    (cd "$(dirname "$glaxen")" && exec "$wine_run" "$glaxen") >/dev/null 2>&1 &
    app=$!
    shown=$("$probe" window 216x45 30 glaxen.exe) || { echo "run $run: no dialog"; kill $app; wait $app; continue; }
    pressed=$(date +%s%3N)
    xdotool key Return
    first=$("$probe" lit 0 100 640 280 30) || { echo "run $run: no frame"; kill $app; wait $app; continue; }
    xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
    wait $app
    dialogs+=($((shown - start)))
    frames+=($((first - pressed)))
    echo "run $run: launch to dialog $((shown - start)) ms, Return to first frame $((first - pressed)) ms"
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "wine_startup_dialog_ms: $(median "${dialogs[@]}")"
echo "wine_startup_first_frame_ms: $(median "${frames[@]}")"

(cd "$(dirname "$glaxen")" && exec env WINEDEBUG=+fps "$wine_run" "$glaxen") 2>"$work/fps" &
app=$!
"$probe" window 216x45 30 glaxen.exe >/dev/null && xdotool key Return
sleep 5
xdotool keydown Escape; sleep 0.1; xdotool keyup Escape
wait $app
fps=$(grep -o 'ddraw_surface_update_frontbuffer.*approx [0-9.]*' "$work/fps" | grep -o '[0-9.]*$')
echo "wine_frames_per_second: $(median $fps) (the median of $(wc -w <<<"$fps") of Wine's counts)"
