#!/usr/bin/env bash
# End-to-end tests of the show as a person sees it: the real binary in a fresh Xvfb (so no key
# stays held between tests), driven with xdotool, checked on screenshots.
# Usage: e2e.sh SCENARIO GLAXEN TOOLS_DIR [MUSIC]
#   GLAXEN: the show's binary; TOOLS_DIR: where shot_stats and send_close are;
#   MUSIC: the music file, for the scenarios that play it.
set -u
scenario=$1
glaxen=$2
tools=$3
music=${4:-}
source "$(dirname "$0")/e2e_lib.sh"

# ---------------------------------------------------------------- the show under SDL

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
