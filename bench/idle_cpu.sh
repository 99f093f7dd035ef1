#!/usr/bin/env bash
# CPU benchmark: the share of one core the show uses over SECONDS, from /proc (user and system
# time against the time that passed): presenting full screen under Xvfb with a window manager,
# inactive (another window has the focus), and with no display at all.
# Usage: idle_cpu.sh GLAXEN [SECONDS]
set -u
glaxen=$(realpath "$1")
seconds=${2:-5}
work=$(mktemp -d /tmp/glaxen-idle.XXXXXX)
app= other= wm= xvfb=
trap 'kill $app $other $wm $xvfb 2>/dev/null; wait $app $other $wm $xvfb 2>/dev/null; rm -rf "$work"' EXIT
cp "$(dirname "$glaxen")"/*.ogg "$work/" 2>/dev/null

# Share of a core process $1 uses over the next $seconds seconds.
share() {
    local hz ticks0 ticks1 wall0 wall1
    hz=$(getconf CLK_TCK)
    ticks() { awk '{ sub(/.*\) /, ""); print $12 + $13 }' "/proc/$1/stat"; }
    ticks0=$(ticks "$1") wall0=$(date +%s%N)
    sleep "$seconds"
    ticks1=$(ticks "$1") wall1=$(date +%s%N)
    awk -v t=$((ticks1 - ticks0)) -v w=$((wall1 - wall0)) -v hz="$hz" \
        'BEGIN { printf "%.3f", t / hz / (w / 1e9) }'
}

# The visible window of the given name or class pattern, waiting up to 10 s.
window() {
    local id
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible "$1" "$2" 2>/dev/null | tail -1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    return 1
}

Xvfb -displayfd 1 -screen 0 1024x768x24 -nolock -nolisten tcp -nolisten unix >"$work/display" 2>/dev/null &
xvfb=$!
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.05; done
export DISPLAY=":$(head -1 "$work/display")"
evilwm -fn fixed >/dev/null 2>&1 &
wm=$!
for _ in $(seq 300); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
done

(cd "$work" && exec env SDL_AUDIODRIVER=dummy "$glaxen") >/dev/null 2>&1 &
app=$!
dialog=$(window --class '^glaxen$') || { echo "no dialog"; exit 1; }
xdotool windowfocus --sync "$dialog" key Return 2>/dev/null
sleep 3  # the show's window up and presenting
echo "cpu_presenting: $(share $app)"
xmessage -geometry +0+0 "another window" >/dev/null 2>&1 &
other=$!
xdotool windowfocus "$(window --name '^xmessage$')" 2>/dev/null
sleep 1
echo "cpu_inactive: $(share $app)"
kill $app
wait $app

(cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy "$glaxen") \
    >/dev/null 2>&1 &
app=$!
sleep 2  # past the start-up
echo "cpu_no_display: $(share $app)"
