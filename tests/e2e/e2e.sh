#!/usr/bin/env bash
# End-to-end tests of the show as a person sees it: the real binary in a fresh Xvfb (so no key
# stays held between tests), driven with xdotool, checked on screenshots. Every wait is for a
# state, bounded in generous seconds, and a wait that runs out says what it waited for: the
# tests pass on a busy machine.
# Usage: e2e.sh SCENARIO GLAXEN TOOLS_DIR [MUSIC]
#   GLAXEN: the show's binary; TOOLS_DIR: where shot_stats and send_close are;
#   MUSIC: the music file, for the scenarios that play it.
# E2E_KEEP=DIR keeps the screenshots there, to look at.
set -u
scenario=$1
glaxen=$2
tools=$3
music=${4:-}
work=$(mktemp -d /tmp/glaxen-e2e.XXXXXX)
xvfb_pid=
wm_pid=
app_pid=

# ---------------------------------------------------------------- plumbing

cleanup() {
    [ -n "${E2E_KEEP:-}" ] && mkdir -p "$E2E_KEEP" && cp "$work"/*.png "$E2E_KEEP/" 2>/dev/null
    for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    for pid in $app_pid $wm_pid $xvfb_pid; do wait "$pid" 2>/dev/null; done
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAIL ($scenario): $*"
    [ -s "$work/app.log" ] && { echo "--- the show's standard error:"; cat "$work/app.log"; }
    exit 1
}

# Runs the command $3... every 0.1 s until it succeeds; fails after $1 seconds, naming $2, what
# it waited for.
wait_until() {
    local seconds=$1 what=$2
    shift 2
    local deadline=$((SECONDS + seconds))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || fail "waited $seconds s for $what"
        sleep 0.1
    done
}

# A fresh X server of WIDTHxHEIGHTxDEPTH, with evilwm when the second argument is "wm".
start_display() {
    Xvfb -displayfd 1 -screen 0 "$1" -nolock -nolisten tcp -nolisten unix \
        >"$work/display" 2>/dev/null &
    xvfb_pid=$!
    wait_until 30 "Xvfb to start" test -s "$work/display"
    export DISPLAY=":$(head -1 "$work/display")"
    wait_until 30 "Xvfb to answer" display_answers
    IFS=x read -r screen_w screen_h _ <<<"$1"
    if [ "${2:-}" = wm ]; then wait_until 30 "the window manager to start" wm_started; fi
}

# True when the X server takes a client.
display_answers() { xprop -root >/dev/null 2>&1; }

# Starts evilwm unless it runs; true once it manages the screen. On a busy machine a client
# can now and then fail to connect to a fresh server: a window manager that died of that is
# started again.
wm_started() {
    if [ -z "$wm_pid" ] || ! kill -0 "$wm_pid" 2>/dev/null; then
        [ -n "$wm_pid" ] && wait "$wm_pid" 2>/dev/null
        evilwm -fn fixed >/dev/null 2>&1 &
        wm_pid=$!
    fi
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'
}

# Starts the show in its own folder (with the music when asked) and the dummy audio driver.
start_show() {
    mkdir -p "$work/run"
    [ "${1:-}" = music ] && cp "$music" "$work/run/"
    (cd "$work/run" && exec env SDL_AUDIODRIVER="${AUDIO_DRIVER:-dummy}" "$glaxen") \
        >"$work/app.log" 2>&1 &
    app_pid=$!
}

# The id of the visible glaxen window of the given size, waiting up to $2 seconds.
window_of_size() {
    local size=$1 tries=$(($2 * 20)) id
    while [ "$tries" -gt 0 ]; do
        tries=$((tries - 1))
        for id in $(xdotool search --onlyvisible --class '^glaxen$' 2>/dev/null); do
            if xwininfo -id "$id" 2>/dev/null | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}' |
                grep -qx "$size"; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# A key press as a person makes it, into window $1 (focused first).
press() {
    xdotool windowfocus "$1" 2>/dev/null
    xdotool key "$2"
}

# True once the show's process is gone.
show_ended() { ! kill -0 "$app_pid" 2>/dev/null; }

# Waits up to $1 seconds for the show to end; sets exit_code.
wait_exit() {
    wait_until "$1" "the show to end" show_ended
    wait "$app_pid"
    exit_code=$?
    app_pid=
}

# A screenshot of the whole screen as 8-bit PPM.
shoot() {
    import -window root "$work/$1.png" || fail "no screenshot"
    convert "$work/$1.png" -depth 8 "ppm:$work/$1.ppm"
}

# Statistics of one rectangle of a screenshot: sets lit, red and mean.
measure() {
    local line
    line=$("$tools/shot_stats" "$work/$1.ppm" "$2" "$3" "$4" "$5") || fail "shot_stats: $line"
    eval "${line// / ; }"
}

# The feedback can leave a frame nearly black for a moment, as the show is made to: takes
# screenshots for up to 30 s until the picture between the letterbox rows is clearly lit; sets
# lit to the best share seen. $1 names the shots.
shoot_picture() {
    local best=0 deadline=$((SECONDS + 30))
    frame_area
    while :; do
        shoot "$1"
        measure "$1" "$fx" $((fy + bar + 4)) "$fw" $((fh - 2 * bar - 8))
        holds "$lit" ">" "$best" && best=$lit
        holds "$lit" ">" 0.3 && break
        [ "$SECONDS" -lt "$deadline" ] || break
        sleep 0.3
    done
    lit=$best
}

# Two seconds into the show, the picture between the letterbox rows is clearly lit.
expect_picture() {
    sleep 2
    shoot_picture show
    holds "$lit" ">" 0.3 || fail "$1waited 30 s for a lit picture (best lit=$lit)"
}

# Escape ends the show within a few frames, with exit code 0.
escape_ends_it() {
    xdotool key Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "Escape gave exit code $exit_code"
}

# True when $1 $2 $3 holds as a real comparison.
holds() { awk -v a="$1" -v b="$3" "BEGIN { exit !(a $2 b) }"; }

# Where the 640x480 frame lands on a full screen: 4:3, centred.
frame_area() {
    local scale
    scale=$(awk -v w="$screen_w" -v h="$screen_h" 'BEGIN { s = w / 640; if (h / 480 < s) s = h / 480; print s }')
    fw=$(awk -v s="$scale" 'BEGIN { printf "%d", 640 * s }')
    fh=$(awk -v s="$scale" 'BEGIN { printf "%d", 480 * s }')
    fx=$(((screen_w - fw) / 2))
    fy=$(((screen_h - fh) / 2))
    bar=$((fh / 8))  # 60 of 480 rows
}

# Dialog up, Return, the show's full-screen window up.
start_to_show() {
    start_show "${1:-}"
    dialog=$(window_of_size 280x32 30) || fail "waited 30 s for the start dialog"
    press "$dialog" Return
    show=$(window_of_size "${screen_w}x$screen_h" 30) || fail "waited 30 s for the full-screen show window"
}

# ---------------------------------------------------------------- scenarios

# The dialog, Return, the picture two seconds in, then Escape ends it at once with 0.
start_and_escape() {
    start_display 1024x768x24 wm
    start_show
    dialog=$(window_of_size 280x32 30) || fail "waited 30 s for the start dialog"
    read -r dx dy < <(xwininfo -id "$dialog" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} END{print x, y}')
    # mapped is not yet painted: look again until it is before calling the label missing
    dialog_painted() {
        shoot dialog
        measure dialog "$dx" "$dy" 280 32
        holds "$red" ">" 0.04
    }
    wait_until 30 "the dialog's red label" dialog_painted
    holds "$mean" ">" 120 || fail "the dialog's face is not light (mean=$mean)"
    press "$dialog" Return
    show=$(window_of_size 1024x768 30) || fail "waited 30 s for the full-screen show window after Return"
    expect_picture
    local before=$SECONDS
    escape_ends_it
    echo "ok: dialog, picture (lit=$lit), Escape ended the show in $((SECONDS - before)) s or less"
}

# Escape at the dialog: exit code 1, and no show window ever opened.
dialog_escape() {
    start_display 1024x768x24 wm
    start_show
    dialog=$(window_of_size 280x32 30) || fail "waited 30 s for the start dialog"
    press "$dialog" Escape
    wait_exit 15
    [ "$exit_code" = 1 ] || fail "Escape at the dialog gave exit code $exit_code"
    # without its music the show says so in one line, and says nothing else
    grep -v "cannot play qx-331b_051224.ogg" "$work/app.log" | grep -q . &&
        fail "the show wrote to standard error"
    echo "ok: exit code 1, nothing opened"
}

# A 16-bit screen: the frame goes through the 5-6-5 converter and lands where it should:
# without music the letterbox clears the frame's own bars, so they stay black.
depth16() {
    start_display 1024x768x16 wm
    start_to_show
    expect_picture "16-bit: "
    measure show "$fx" "$fy" "$fw" $((bar - 4))
    holds "$lit" "<" 0.02 || fail "16-bit: the top letterbox bar is not black (lit=$lit)"
    measure show "$fx" $((fy + fh - bar + 4)) "$fw" $((bar - 4))
    holds "$lit" "<" 0.02 || fail "16-bit: the bottom letterbox bar is not black (lit=$lit)"
    escape_ends_it
    echo "ok: 16-bit screen, picture and bars in place"
}

# Full screen on a 16:9 screen: the 4:3 picture in the middle, black bars at the sides.
fullscreen_bars() {
    start_display 1280x720x24 wm
    start_to_show
    expect_picture
    [ "$fx" = 160 ] || fail "unexpected frame area x=$fx"
    measure show 0 0 $((fx - 4)) "$screen_h"
    holds "$lit" "<" 0.005 || fail "left bar not black (lit=$lit)"
    measure show $((fx + fw + 4)) 0 $((screen_w - fx - fw - 4)) "$screen_h"
    holds "$lit" "<" 0.005 || fail "right bar not black (lit=$lit)"
    escape_ends_it
    echo "ok: 4:3 picture with side bars"
}

# Closing the window ends the show like Escape: normal shutdown, exit code 0.
window_close() {
    start_display 1024x768x24 wm
    start_to_show
    expect_picture
    "$tools/send_close" "$show" || fail "could not ask the window to close"
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "closing the window gave exit code $exit_code"
    echo "ok: window close ended the show with 0"
}

# The whole show: no text before 91 s, the red text after it, the end at 140 s by itself.
full_run() {
    start_display 1024x768x24 wm
    start_to_show
    local started=$SECONDS
    frame_area
    # the text sits in the frame's top bar, rows 20-38, from x = 40 (silent: it stands still)
    local tx=$((fx + 40 * fw / 640)) ty=$((fy + 20 * fh / 480)) tw=$((200 * fw / 640)) th=$((19 * fh / 480))
    # the show's clock starts after its window appears, so it is never ahead of ours
    sleep 60
    shoot early
    measure early "$tx" "$ty" "$tw" "$th"
    holds "$red" "<" 0.01 || fail "red text before 91 s (red=$red)"
    local until_text=$((91 - (SECONDS - started)))
    [ "$until_text" -gt 0 ] && sleep "$until_text"
    text_shown() {
        shoot late
        measure late "$tx" "$ty" "$tw" "$th"
        holds "$red" ">" 0.08
    }
    wait_until 40 "the red text after 91 s" text_shown
    wait_exit $((180 - (SECONDS - started)))
    [ "$exit_code" = 0 ] || fail "exit code $exit_code at the end"
    local took=$((SECONDS - started))
    [ $took -ge 139 ] || fail "the show ended after only $took s"
    echo "ok: text after 91 s (red=$red), ended by itself after $took s with 0"
}

# The music through SDL's disk driver: the device opens before the dialog and writes silence,
# a buffer at a time, until the show plays; from there the output is the music from its first
# sample.
music_from_first_sample() {
    start_display 1024x768x24 wm
    export SDL_DISKAUDIOFILE="$work/audio.raw"
    AUDIO_DRIVER=disk start_to_show music
    music_written() { "$tools/compare_audio" "$work/audio.raw" "$music" 1024 2 >/dev/null; }
    wait_until 60 "two seconds of the music in the output" music_written
    xdotool key Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "exit code $exit_code"
    local line
    line=$("$tools/compare_audio" "$work/audio.raw" "$music" 1024 2) || fail "compare_audio: $line"
    echo "ok: $line"
}

"$scenario"
