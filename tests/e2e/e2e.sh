#!/usr/bin/env bash
# End-to-end tests of the show as a person sees it: the real binary in a fresh Xvfb (so no key
# stays held between tests), driven with xdotool, checked on screenshots.
# Usage: e2e.sh SCENARIO GLAXEN TOOLS_DIR [MUSIC]
#   GLAXEN: the show's binary; TOOLS_DIR: where shot_stats and e2e_helper are;
#   MUSIC: the music file, for the scenarios that play it.
set -u
scenario=$1
glaxen=$2
tools=$3
music=${4:-}
source "$(dirname "$0")/e2e_lib.sh"

# ---------------------------------------------------------------- the show under SDL

show_env=()   # what the show's environment is told besides, as env's arguments
show_args=()  # the show's command line

# Starts the show in its own folder (with the music when asked) and the dummy audio driver.
start_show() {
    mkdir -p "$work/run"
    [ "${1:-}" = music ] && cp "$music" "$work/run/"
    (cd "$work/run" && exec env "${show_env[@]}" SDL_AUDIODRIVER="${AUDIO_DRIVER:-dummy}" "$glaxen" "${show_args[@]}") \
        >"$work/app.log" 2>&1 &
    app_pid=$!
}

# The show's standard error without the line about its missing music, which no scenario plays.
show_lines() { grep -v "cannot play qx-331b_051224.ogg" "$work/app.log"; }

# The id of the visible glaxen window of the given size, waiting up to $2 seconds, or until the
# show has ended.
window_of_size() {
    local size=$1 tries=$(($2 * 20)) id
    while [ "$tries" -gt 0 ]; do
        tries=$((tries - 1))
        [ -n "$app_pid" ] && show_ended && return 1
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

# A polite kill ends the show with exit code 0.
term_ends_it() {
    kill -TERM "$app_pid"
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "a polite kill gave exit code $exit_code"
}

# The full-screen frame's letterbox bars, top and bottom, are black on the screenshot "show".
bars_black() {
    measure show "$fx" "$fy" "$fw" $((bar - 4))
    holds "$lit" "<" 0.02 || fail "the top letterbox bar is not black (lit=$lit)"
    measure show "$fx" $((fy + fh - bar + 4)) "$fw" $((bar - 4))
    holds "$lit" "<" 0.02 || fail "the bottom letterbox bar is not black (lit=$lit)"
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
    show_lines | grep -q . && fail "the show wrote to standard error"
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
    "$tools/e2e_helper" close "$show" || fail "could not ask the window to close"
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
    music_written() { "$tools/e2e_helper" music "$work/audio.raw" "$music" 1024 2 >/dev/null; }
    wait_until 60 "two seconds of the music in the output" music_written
    xdotool key Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "exit code $exit_code"
    local line
    line=$("$tools/e2e_helper" music "$work/audio.raw" "$music" 1024 2) || fail "e2e_helper: $line"
    echo "ok: $line"
}

# ---------------------------------------------------------------- desktops

# Full screen and inactive (another window has the focus), the show rests: it computes its
# frames at the display's pace and uses a small share of a core; focused again, Escape ends it.
inactive_rests() {
    start_display 1024x768x24 wm
    start_to_show
    expect_picture
    xmessage -geometry +0+0 "another window" >/dev/null 2>&1 &
    other_pid=$!
    end_test() { kill "$other_pid" 2>/dev/null; wait "$other_pid" 2>/dev/null; }
    local other
    other_up() { other=$(xdotool search --onlyvisible --name '^xmessage$' 2>/dev/null | head -1); [ -n "$other" ]; }
    wait_until 30 "another window" other_up
    xdotool windowfocus "$other"
    sleep 1  # the focus change reaches the show at its next poll
    cpu_share "$app_pid" 5
    holds "$share" "<" 0.25 ||
        fail "inactive, the show used $share of a core over 5 s (resting, it uses a few hundredths)"
    press "$show" Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "Escape gave exit code $exit_code"
    echo "ok: inactive full screen used $share of a core; Escape ended the show with 0"
}

# With no display at all the show runs its music without a picture, says so once, and rests.
no_display_rests() {
    show_env=(-u DISPLAY -u WAYLAND_DISPLAY)
    start_show
    wait_until 30 "the line that there is no display" grep -q "no display found" "$work/app.log"
    cpu_share "$app_pid" 5
    holds "$share" "<" 0.25 ||
        fail "with no display the show used $share of a core over 5 s (resting, a few hundredths)"
    term_ends_it
    echo "ok: no display, $share of a core; ended with 0"
}

# A sound library that finds no sound card (its configuration missing here) writes nothing of
# its own: the show's one line about the audio device is all.
sound_library_quiet() {
    show_env=(-u DISPLAY -u WAYLAND_DISPLAY ALSA_CONFIG_PATH="$work/no-sound-card.conf")
    AUDIO_DRIVER=alsa start_show
    wait_until 30 "the line that there is no display" grep -q "no display found" "$work/app.log"
    kill -TERM "$app_pid"
    wait_exit 15
    grep -q "no audio device" "$work/app.log" || fail "no line about the missing audio device"
    grep -q "ALSA" <(grep -v "^glaxen: " "$work/app.log") && fail "the sound library wrote lines of its own"
    [ "$(show_lines | wc -l)" = 2 ] || fail "expected two lines (audio, display), got: $(show_lines)"
    echo "ok: $(show_lines | head -1)"
}

# A bare X server (no window manager): full screen covers the screen, and the frame is whole:
# its black letterbox bars at the top and bottom, the picture lit up to both.
no_window_manager() {
    start_display 1024x768x24
    start_to_show
    expect_picture
    bars_black
    measure show "$fx" $((fy + bar + 4)) "$fw" 40
    holds "$lit" ">" 0.3 || fail "the picture below the top bar is dark (lit=$lit)"
    measure show "$fx" $((fy + fh - bar - 44)) "$fw" 40
    holds "$lit" ">" 0.3 || fail "the picture above the bottom bar is dark (lit=$lit)"
    escape_ends_it
    echo "ok: the whole frame on the whole screen without a window manager"
}

# A window manager that starts at the same moment as the show, twenty times, each a little later
# than the one before (0 to 0.475 s): no X error ends the program. While the show runs the window
# manager also dies and starts again. Return at the dialog, Escape in the show: exit code 0.
wm_race() {
    local run failed=0 first= shows=0 refused=0
    for run in $(seq 0 19); do
        start_display 1024x768x24
        start_show
        sleep "$(awk -v r="$run" 'BEGIN { print r * 0.025 }')"
        wm_pid=
        wait_until 30 "the window manager to start" wm_started
        local code=none
        if dialog=$(window_of_size 280x32 30); then
            press "$dialog" Return
            if show=$(window_of_size 1024x768 30); then
                shows=$((shows + 1))
                kill "$wm_pid" && wait "$wm_pid" 2>/dev/null
                wm_pid=
                wait_until 30 "the window manager to start again" wm_started
                press "$show" Escape
            fi
        fi
        wait_until 30 "the show to end (run $run)" show_ended
        wait "$app_pid"
        code=$?
        app_pid=
        grep -q "X server refused" "$work/app.log" && refused=$((refused + 1))
        if [ "$code" != 0 ]; then
            failed=$((failed + 1))
            [ -n "$first" ] || first="run $run: exit code $code: $(head -3 "$work/app.log" | tr '\n' ' ')"
        fi
        kill "$wm_pid" "$xvfb_pid" 2>/dev/null
        wait "$wm_pid" "$xvfb_pid" 2>/dev/null
        wm_pid= xvfb_pid=
    done
    [ "$failed" = 0 ] || fail "$failed of 20 runs did not end with 0; first: $first"
    [ "$shows" = 20 ] || fail "only $shows of 20 runs reached the show"
    echo "ok: 20 runs with a racing window manager, all ended with 0 ($refused met an X error)"
}

# The X server goes away under the show: one line, the normal shutdown, exit code 0.
display_lost() {
    start_display 1024x768x24 wm
    start_to_show
    expect_picture
    kill "$wm_pid" "$xvfb_pid"
    wait "$wm_pid" "$xvfb_pid" 2>/dev/null
    wm_pid= xvfb_pid=
    wait_exit 30
    [ "$exit_code" = 0 ] || fail "a lost display gave exit code $exit_code"
    grep -q "connection to the X display was lost" "$work/app.log" || fail "no line about the lost display"
    echo "ok: lost display, normal end with 0"
}

# An 8-bit palette screen, which SDL cannot draw on: the dialog and the show each say so in one
# line; Return and Escape still work.
palette_display() {
    start_display 1024x768x8 wm
    start_show
    dialog=$(window_of_size 280x32 30) || fail "waited 30 s for the start dialog"
    wait_until 30 "the line that the dialog cannot be painted" \
        grep -q "start dialog cannot be painted" "$work/app.log"
    press "$dialog" Return
    show=$(window_of_size 1024x768 30) || fail "waited 30 s for the full-screen window"
    wait_until 30 "the line that the display cannot show the show" \
        grep -q "display cannot show the show" "$work/app.log"
    press "$show" Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "Escape gave exit code $exit_code"
    [ "$(show_lines | wc -l)" = 2 ] || fail "expected two lines, got: $(show_lines)"
    echo "ok: $(show_lines | tr '\n' ' ')"
}

# ---------------------------------------------------------------- Wayland

# Keys to the show as a person types them: into its X window when SDL took X11, otherwise into
# weston's window (which has the keyboard), passed on to the focused Wayland window.
key_to_show() {
    local id
    id=$(xdotool search --onlyvisible --class '^glaxen$' 2>/dev/null | tail -1)
    [ -n "$id" ] && xdotool windowfocus "$id" 2>/dev/null
    xdotool key "$1"
}

# The show under weston: the dialog, Return, the picture with its letterbox bars in full screen,
# Escape ends it with 0. $1: "wayland" (WAYLAND_DISPLAY only, as a Wayland session has it) or
# "both" (DISPLAY too, as a Wayland session with X11 programs has it).
on_weston() {
    start_display 1024x768x24
    start_weston
    [ "$1" = wayland ] && show_env=(-u DISPLAY)
    start_show
    red_label() { shoot dialog; measure dialog 0 0 "$screen_w" "$screen_h"; holds "$red" ">" 0.0003; }
    wait_until 30 "the dialog's red label" red_label
    local took=Wayland
    xdotool search --onlyvisible --class '^glaxen$' >/dev/null 2>&1 && took=X11
    key_to_show Return
    expect_picture
    show_ended && fail "the show ended after Return: $(tail -1 "$work/app.log")"
    local picture=$lit
    bars_black
    key_to_show Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "Escape gave exit code $exit_code"
    echo "ok: under weston ($1 set, SDL took $took): dialog, picture (lit=$picture), Escape with 0"
}
wayland() { on_weston wayland; }
wayland_and_x11() { on_weston both; }

# A compositor without a seat (weston's headless backend), where SDL 2's own start-up would
# crash: one line says why, and the show runs without a picture to a normal end.
wayland_without_seat() {
    start_weston headless
    show_env=(-u DISPLAY)
    start_show
    wait_until 30 "the line that the Wayland display cannot be used" \
        grep -q "Wayland display has no wl_seat" "$work/app.log"
    term_ends_it
    echo "ok: $(show_lines)"
}

# Gentle mode: an unknown option is refused before anything opens; --gentle shows the picture
# (the screenshot "show" is the one to look at), whose pixels change colour fewer than eight
# times in any second, where the default show's change with every frame. The show keeps its
# pace on its own clock: on a loaded machine its frames reach the screen unevenly, and a few
# pixels may seem to change faster than they do.
gentle() {
    start_display 1024x768x24 wm
    show_args=(--gentel)
    start_show
    wait_exit 15
    [ "$exit_code" = 2 ] || fail "an unknown option gave exit code $exit_code"
    grep -q "unknown option '--gentel'" "$work/app.log" || fail "no word of the unknown option"
    show_args=(--gentle)
    start_to_show
    expect_picture "gentle: "
    local line
    line=$("$tools/e2e_helper" changes $((fx + fw / 4)) $((fy + fh / 4)) $((fw / 2)) $((fh / 2)) 3) ||
        fail "e2e_helper: $line"
    eval "${line// / ; }"
    holds "$over" "<" 0.1 || fail "$over of the pixels changed eight times within a second"
    escape_ends_it
    echo "ok: --gentel refused with 2; --gentle: picture (lit=$lit), $over of the pixels changed" \
        "eight times within a second ($grabs grabs)"
}

"$scenario"
