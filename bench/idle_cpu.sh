#!/usr/bin/env bash
# CPU benchmark: the share of one core the show uses over SECONDS, from /proc: presenting full
# screen under Xvfb with a window manager, inactive (another window has the focus), and with no
# display at all. Uses the end-to-end tests' helpers. Usage: idle_cpu.sh GLAXEN [SECONDS]
set -u
glaxen=$(realpath "$1")
seconds=${2:-5}
scenario=idle_cpu
source "$(dirname "$(realpath "$0")")/../tests/e2e/e2e_lib.sh"
cp "$(dirname "$glaxen")"/*.ogg "$work/" 2>/dev/null

# True once a visible window of class glaxen is up; sets window.
glaxen_window() { window=$(xdotool search --onlyvisible --class '^glaxen$' 2>/dev/null | tail -1); [ -n "$window" ]; }

start_display 1024x768x24 wm
(cd "$work" && exec env SDL_AUDIODRIVER=dummy "$glaxen") >/dev/null 2>&1 &
app_pid=$!
wait_until 10 "the dialog" glaxen_window
xdotool windowfocus --sync "$window" key Return 2>/dev/null
sleep 3  # the show's window up and presenting
cpu_share "$app_pid" "$seconds" && echo "cpu_presenting: $share"
xmessage -geometry +0+0 "another window" >/dev/null 2>&1 &
xmessage_up() { window=$(xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null | tail -1); [ -n "$window" ]; }
wait_until 10 "another window" xmessage_up
xdotool windowfocus "$window" 2>/dev/null
sleep 1
cpu_share "$app_pid" "$seconds" && echo "cpu_inactive: $share"
kill "$app_pid"
wait "$app_pid"

(cd "$work" && exec env -u DISPLAY -u WAYLAND_DISPLAY SDL_AUDIODRIVER=dummy "$glaxen") \
    >/dev/null 2>&1 &
app_pid=$!
sleep 2  # past the start-up
cpu_share "$app_pid" "$seconds" && echo "cpu_no_display: $share"
