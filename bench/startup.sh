#!/usr/bin/env bash
# Start-up benchmark: under Xvfb with a small window manager, the time from launching the show
# to its dialog on screen, and from Return to the first frame on screen. Runs RUNS times and
# prints each run and the medians; uses the end-to-end tests' helpers.
# Usage: startup.sh GLAXEN PROBE [RUNS]
set -u
glaxen=$(realpath "$1")
probe=$(realpath "$2")
runs=${3:-7}
scenario=startup
source "$(dirname "$(realpath "$0")")/../tests/e2e/e2e_lib.sh"
start_display 1024x768x24 wm
cp "$(dirname "$glaxen")"/*.ogg "$work/" 2>/dev/null

dialogs=()
frames=()
for run in $(seq "$runs"); do
    start=$(date +%s%3N)
    (cd "$work" && exec env SDL_AUDIODRIVER=dummy "$glaxen") >/dev/null 2>&1 &
    app=$!
    shown=$("$probe" window 280x32 10) || { echo "run $run: no dialog"; kill $app; wait $app; continue; }
    dialog=$(xdotool search --onlyvisible --class '^glaxen$' | head -1)
    xdotool windowfocus --sync "$dialog" 2>/dev/null  # as a person's click would, before the key
    pressed=$(date +%s%3N)
    xdotool key Return
    first=$("$probe" lit 100 200 824 368 10) || { echo "run $run: no frame"; kill $app; wait $app; continue; }
    xdotool key Escape
    wait $app
    xdotool keyup Escape  # the release found no window: let it not stay held for the next run
    dialogs+=($((shown - start)))
    frames+=($((first - pressed)))
    echo "run $run: launch to dialog $((shown - start)) ms, Return to first frame $((first - pressed)) ms"
    sleep 0.3
done
median() { printf '%s\n' "$@" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
echo "startup_dialog_ms: $(median "${dialogs[@]}")"
echo "startup_first_frame_ms: $(median "${frames[@]}")"
