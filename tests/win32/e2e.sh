#!/usr/bin/env bash
# End-to-end tests of glaxen.exe as a person sees it on Windows: the real program under Wine in
# a fresh Xvfb, driven with xdotool, checked on screenshots. Full screen runs in a Wine virtual
# desktop of 640 x 480, where Wine's DirectDraw can switch modes (a plain X server refuses every
# mode). The tests share one Wine prefix of their own, so they run one at a time.
# Usage: e2e.sh SCENARIO RUN_DIR TESTS_DIR NATIVE_TOOLS_DIR
#   RUN_DIR: glaxen.exe's folder, with the music; TESTS_DIR: glaxen_checkboxes.exe and
#   desktop_helper.exe; NATIVE_TOOLS_DIR: shot_stats and e2e_helper,
#   built for this machine.
set -u
scenario=$1
run=$(realpath "$2")
tests=$(realpath "$3")
tools=$(realpath "$4")
music=$run/qx-331b_051224.ogg
here=$(dirname "$(realpath "$0")")
wine_run=$here/../../tools/windows/wine_run.sh
source "$here/../e2e/e2e_lib.sh"
export GLAXEN_WINE_FLAVOUR=e2e WINEDEBUG=-all
# One scenario at a time on this machine, whichever clone runs it: each sets the prefix's
# desktop and ends its session.
lock_dir=${GLAXEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glaxen}
mkdir -p "$lock_dir" && exec 8>"$lock_dir/.wine-e2e.lock" || fail "cannot make the Wine e2e lock"
flock -w 240 8 || fail "waited 240 s for another run's Wine end-to-end test"

# ---------------------------------------------------------------- Wine

# A fresh X server of $1 and Wine's session on it, with a virtual desktop of $2 (or none).
start_wine() {
    "$wine_run" --stop
    start_display "$1"
    "$wine_run" --desktop "$2" || fail "cannot set Wine up"
}

# The Wine session ends with the test: its desktop belongs to this test's X server; so do a
# sound server and its recorder, and another program's window.
parec_pid= other_pid=
end_test() {
    "$wine_run" --stop
    for pid in $parec_pid $other_pid; do { kill "$pid"; wait "$pid"; } 2>/dev/null; done
    "$here/../../tools/windows/null_sink.sh" stop "$work/pulse"
}

# Starts PROGRAM (glaxen.exe unless given) with the working folder $2 (the show's folder unless
# given).
start_show() {
    (cd "${2:-$run}" && exec "$wine_run" "${1:-$run/glaxen.exe}") >"$work/app.log" 2>&1 &
    app_pid=$!
}

# A sound server's null sink for the programs under Wine, recorded from its monitor into
# heard.raw from now on.
start_sink() {
    PULSE_SERVER=$("$here/../../tools/windows/null_sink.sh" start "$work/pulse") ||
        fail "no sound server"
    export PULSE_SERVER
    parec --latency-msec=50 -d nullsink.monitor --raw --format=s16le --rate=44100 --channels=2 >"$work/heard.raw" &
    parec_pid=$!
}
recorded() { echo $(($(stat -c %s "$work/heard.raw") / 176400)); }  # whole seconds
recorded_past() { [ "$(recorded)" -ge "$1" ]; }
# The loudness of the recording from second $1 to second $2.
level_of() { "$tools/e2e_helper" level "$work/heard.raw" "$1" "$2"; }

# Another program's window in front of the show, which writes "Escape" to other.log each time
# it gets the key. Waits for it to have the keyboard.
start_other() {
    "$wine_run" "$tests/desktop_helper.exe" window >"$work/other.log" 2>&1 &
    other_pid=$!
    wait_until 60 "the other program's window to have the keyboard" grep -q focus "$work/other.log"
}

# Brings the show's window to the front again, as its taskbar button would.
activate_show() {
    "$wine_run" "$tests/desktop_helper.exe" activate || fail "no show window to bring to the front"
}

# The X window of glaxen.exe (a top-level one, or a window inside Wine's desktop) whose size
# is $1 (a pattern); prints its id.
wine_window() {
    xwininfo -root -tree 2>/dev/null |
        awk -v size="^$1\$" '/"glaxen[a-z_]*\.exe"/ { split($NF, a, "+"); for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, "+"); if (g[1] ~ size) { print $1; exit } } }'
}
has_window() { [ -n "$(wine_window "$1")" ]; }
# Every such window, one id a line, oldest first.
wine_windows() {
    xwininfo -root -tree 2>/dev/null |
        awk -v size="^$1\$" '/"glaxen[a-z_]*\.exe"/ { for (i = 1; i <= NF; i++) if ($i ~ /^[0-9]+x[0-9]+\+/) { split($i, g, "+"); if (g[1] ~ size) print $1 } }' | sort
}

# A key held as a person holds it, long enough for GetAsyncKeyState's poll to see it down.
hold() {
    xdotool keydown "$1"
    sleep 0.1
    xdotool keyup "$1"
}

# Waits for the start dialog (a small glaxen.exe window) and its painted face; sets dialog.
await_dialog() {
    wait_until 60 "the start dialog" has_window '[0-9][0-9][0-9]x[0-9][0-9]'
    dialog=$(wine_window '[0-9][0-9][0-9]x[0-9][0-9]')
    read -r dx dy dw dh < <(xwininfo -id "$dialog" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
    dialog_painted() {
        shoot dialog
        measure dialog "$dx" "$dy" "$dw" "$dh"
        holds "$mean" ">" 100
    }
    wait_until 30 "the dialog to be painted" dialog_painted
}

# Return at the dialog, then the show's 640 x 480 picture, lit between its letterbox rows.
start_picture() {
    await_dialog
    xdotool key Return
    wait_until 60 "the show's window" has_window 640x480
    screen_w=640 screen_h=480
    shoot_picture show
    holds "$lit" ">" 0.3 || fail "waited 30 s for a lit picture (best lit=$lit)"
}

# Starts PROGRAM (the test build with the check boxes unless given) and unticks the full-screen
# box (Tab to it, Space): the show runs in a window, the $1th one (1 unless given). Sets the
# window's place and size: wx, wy, ww, wh.
start_windowed() {
    local count=${1:-1} size='6[45][0-9]x[45][0-9][0-9]'
    start_show "$tests/glaxen_checkboxes.exe"
    await_dialog
    xdotool key Tab Tab space Return
    windows_up() { [ "$(wine_windows "$size" | wc -l)" -ge "$count" ]; }
    wait_until 60 "the show's window" windows_up
    read -r wx wy ww wh < <(xwininfo -id "$(wine_windows "$size" | tail -1)" | awk '/Absolute upper-left X/{x=$4} /Absolute upper-left Y/{y=$4} /Width:/{w=$2} /Height:/{h=$2} END{print x, y, w, h}')
}

# The checksum of a rectangle (x y w h) of a fresh screenshot.
region_sum() {
    shoot region
    convert "$work/region.ppm" -crop "${3}x${4}+${1}+${2}" +repage ppm:- | md5sum | cut -c1-32
}

# Waits until the picture in a rectangle (x y w h) changes twice: the show there still draws
# frames, and so still polls the keyboard between them.
still_drawing() {
    local sum next
    sum=$(region_sum "$@")
    changed() {
        show_ended && fail "the show ended"
        next=$(region_sum "$@")
        [ "$next" != "$sum" ]
    }
    for _ in 1 2; do
        wait_until 30 "the show's picture to change" changed "$@"
        sum=$next
    done
}

# A Windows path for a file of this test.
windows_path() { echo "Z:${1//\//\\}"; }

# Escape held ends the show within 10 s, with exit code $1.
escape_gives() {
    local before=$SECONDS
    hold Escape
    wait_exit 10
    [ "$exit_code" = "$1" ] || fail "Escape gave exit code $exit_code, not $1"
    echo "Escape ended it in $((SECONDS - before)) s or less"
}

# ---------------------------------------------------------------- scenarios

# The dialog shows its button, light with dark text; Escape there gives exit code 1.
dialog_escape() {
    start_wine 640x480x24 640x480
    start_show
    await_dialog
    measure dialog "$((dx + dw / 4))" "$((dy + dh - 14))" "$((dw / 2))" 10
    holds "$lit" "<" 0.98 || fail "no text on the button (lit=$lit)"
    holds "$mean" ">" 120 || fail "the button's face is not light (mean=$mean)"
    escape_gives 1
    echo "ok: the dialog (${dw}x$dh) showed its button; Escape gave 1"
}

# Return starts the show full screen: the picture between black letterbox bars; Escape, 0.
fullscreen() {
    start_wine 640x480x24 640x480
    start_show
    start_picture
    # The picture is lit before the show's own frame is up (Wine's desktop, for a moment): the
    # show is there once its top bar is black as well.
    top_bar_black() { shoot show && measure show 0 0 640 56 && holds "$lit" "<" 0.02; }
    wait_until 30 "the top letterbox bar to be black" top_bar_black
    escape_gives 0
    echo "ok: full screen, the picture lit between its bars; Escape gave 0"
}

# A 16-bit screen refuses 32 bits and takes 24, before the exclusive level is asked for. Wine
# 8.0 cannot go on from there: a mode set before the exclusive level that the X screen's depth
# does not match leaves its DirectDraw without a swap chain, and its next CreateSurface faults
# (a five-line program making the same calls in the same order does the same). So the picture
# at 24 bits is not looked at here; the 24-bit path is tested over the fake display.
depth16() {
    start_wine 640x480x16 640x480
    (cd "$run" && exec env WINEDEBUG=trace+ddraw "$wine_run" "$run/glaxen.exe") 2>"$work/ddraw.log" &
    app_pid=$!
    await_dialog
    xdotool key Return
    level_asked() { grep -q 'ddraw1_SetCooperativeLevel' "$work/ddraw.log"; }
    wait_until 60 "the exclusive level to be asked for" level_asked
    modes=$(grep -o 'ddraw1_SetDisplayMode.*bpp [0-9]*' "$work/ddraw.log" | grep -o '[0-9]*$' | tr '\n' ' ')
    [ "$modes" = "32 24 " ] || fail "the modes asked for were '$modes', not 32 then 24"
    echo "ok: 16-bit screen: 32 refused, 24 taken, then the exclusive level"
}

# A plain X server refuses every mode: open fails and the show runs blind until Escape.
no_mode() {
    start_wine 1024x768x24 none
    start_show
    await_dialog
    xdotool key Return
    wait_until 60 "the show's window" has_window 640x480
    sleep 2
    kill -0 "$app_pid" 2>/dev/null || fail "the show ended by itself"
    shoot blind
    measure blind 0 0 640 480
    holds "$lit" "<" 0.01 || fail "a picture without a display mode (lit=$lit)"
    escape_gives 0
    echo "ok: no display mode: the show ran blind until Escape, which gave 0"
}

# Closing the window (WM_CLOSE, as a window manager's close does) ends the show with 0.
window_close() {
    start_wine 640x480x24 640x480
    start_show
    start_picture
    "$wine_run" "$tests/desktop_helper.exe" close || fail "no window of class glaxen to close"
    wait_exit 10
    [ "$exit_code" = 0 ] || fail "closing the window gave exit code $exit_code"
    echo "ok: WM_CLOSE ended the show with 0"
}

# A dialog with the two check boxes opens them ticked: unticking the full-screen box starts the
# show in a window, which shows the picture.
checkboxes() {
    start_wine 1024x768x24 1024x768
    start_windowed
    [ "${ww}x$wh" != 640x480 ] || fail "the show opened full screen"
    window_lit() {
        shoot windowed
        measure windowed "$((wx + ww - 640 + 4))" "$((wy + wh - 480 + 64))" 632 352
        holds "$lit" ">" 0.3
    }
    wait_until 30 "a lit picture in the window" window_lit
    escape_gives 0
    echo "ok: the boxes opened ticked; unticked, the show ran in a ${ww}x$wh window (lit=$lit)"
}

# SDL's disk driver writes what the device would play: silence in whole buffers while the
# dialog is up, then the music from its first sample, exactly.
music_from_first_sample() {
    start_wine 640x480x24 640x480
    export SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE=$(windows_path "$work/audio.raw")
    start_show
    start_picture
    music_written() { "$tools/e2e_helper" music "$work/audio.raw" "$music" 1024 2 >/dev/null; }
    wait_until 60 "two seconds of the music in the output" music_written
    escape_gives 0
    local line
    line=$("$tools/e2e_helper" music "$work/audio.raw" "$music" 1024 2) || fail "e2e_helper: $line"
    echo "ok: $line"
}

# Through a sound server's null sink in real time, as a desktop plays it: its monitor records
# silence while the dialog is up and the music while the show runs.
music_heard() {
    start_sink
    start_wine 640x480x24 640x480
    start_show
    await_dialog
    local dialog_from
    dialog_from=$(recorded)
    wait_until 30 "two seconds recorded while the dialog is up" recorded_past $((dialog_from + 2))
    local show_from=$(($(recorded) + 1))
    xdotool key Return
    wait_until 60 "three seconds recorded of the show" recorded_past $((show_from + 3))
    escape_gives 0
    local dialog_level show_level
    dialog_level=$(level_of "$dialog_from" $((dialog_from + 2)))
    show_level=$(level_of "$show_from" $((show_from + 3)))
    grep -q '^rms=0.00000 peak=0.00000' <<<"$dialog_level" || fail "sound while the dialog was up: $dialog_level"
    holds "$(sed 's/rms=\([0-9.]*\).*/\1/' <<<"$show_level")" ">" 0.02 ||
        fail "no music heard while the show ran: $show_level"
    echo "ok: silence while the dialog was up ($dialog_level), the music during the show ($show_level)"
}

# The show's picture, then three seconds recorded of it; Escape ends it with 0. Sets level, the
# loudness of those three seconds.
three_seconds_heard() {
    start_picture
    local from=$(($(recorded) + 1))
    wait_until 60 "three seconds recorded of the show" recorded_past $((from + 3))
    escape_gives 0
    level=$(level_of "$from" $((from + 3)))
}

# Started from another folder (a shortcut, or Explorer), the show finds the music beside
# glaxen.exe: it is heard while the show runs, and no message box comes first.
music_beside() {
    start_sink
    start_wine 640x480x24 640x480
    mkdir "$work/elsewhere"
    start_show "$run/glaxen.exe" "$work/elsewhere"
    three_seconds_heard
    holds "$(sed 's/rms=\([0-9.]*\).*/\1/' <<<"$level")" ">" 0.02 ||
        fail "no music heard, started from another folder: $level"
    grep -q "cannot play" "$work/app.log" && fail "the show could not play its music"
    echo "ok: started from another folder, the music beside glaxen.exe was heard ($level)"
}

# No music in the working folder nor beside glaxen.exe: one message box names the file, both
# folders and what to do; after OK the show runs silent, and Escape ends it with 0.
no_music() {
    start_sink
    start_wine 640x480x24 640x480
    mkdir "$work/elsewhere" "$work/alone"
    cp "$run/glaxen.exe" "$work/alone/"
    start_show "$work/alone/glaxen.exe" "$work/elsewhere"
    box_up() { "$wine_run" "$tests/desktop_helper.exe" text glaxen >"$work/box.txt" 2>/dev/null; }
    wait_until 60 "the message box" box_up
    local part
    for part in "$(basename "$music")" "$(windows_path "$work/elsewhere")," \
        "$(windows_path "$work/alone")," "extract the whole folder before running"; do
        grep -qF "$part" "$work/box.txt" || fail "the box does not say '$part': $(cat "$work/box.txt")"
    done
    xdotool key Return
    three_seconds_heard
    grep -q '^rms=0.00000 peak=0.00000' <<<"$level" || fail "sound with no music: $level"
    echo "ok: the box said: $(grep -F "$(basename "$music")" "$work/box.txt"); then silence ($level) until Escape"
}

# Escape typed into another program's window in front of the show goes to that program, and the
# show goes on (in a window, where its frames can be seen); Escape to the show ends it with 0.
escape_elsewhere() {
    start_wine 1024x768x24 1024x768
    start_windowed
    start_other
    hold Escape
    wait_until 30 "the other program to get Escape" grep -q Escape "$work/other.log"
    # Right of and below the other's window (240 x 120 at 40, 40).
    still_drawing 300 200 300 200
    activate_show
    still_drawing 300 200 300 200  # in front again for a few frames, as a person takes
    escape_gives 0
    echo "ok: Escape in front of another program went to it and the show went on; its own ended it"
}

# Two shows are two programs: one Escape ends the one in front with 0, and the other goes on
# until an Escape of its own.
two_shows() {
    start_wine 1024x768x24 1024x768
    start_windowed
    local first=$app_pid
    start_windowed 2
    still_drawing 300 200 300 200  # the second, in front, runs its frames and its polls
    hold Escape
    wait_exit 15
    [ "$exit_code" = 0 ] || fail "Escape gave the show in front exit code $exit_code"
    app_pid=$first
    show_ended && fail "one Escape ended both shows"
    still_drawing 300 200 300 200
    activate_show
    still_drawing 300 200 300 200
    escape_gives 0
    echo "ok: one Escape ended the show in front; the other went on until its own Escape"
}

# Full screen, another program's window comes to the front: the show stops presenting (Wine
# minimises it) and rests; brought to the front again, it shows its picture. Prints both CPU
# shares, the method of the idle figure.
switch_away() {
    start_wine 640x480x24 640x480
    start_show
    start_picture
    cpu_share "$app_pid" 5
    local presenting=$share
    start_other
    # Below the other's window, only the desktop's one colour is left.
    picture_gone() {
        shoot away
        holds "$(convert "$work/away.png" -crop 640x240+0+200 -format '%[fx:standard_deviation]' info:)" "<" 0.01
    }
    wait_until 30 "the show's picture to leave the screen" picture_gone
    cpu_share "$app_pid" 5
    holds "$share" "<" 0.25 ||
        fail "inactive, the show used $share of a core over 5 s (resting, it uses a few hundredths)"
    activate_show
    shoot_picture back
    holds "$lit" ">" 0.3 || fail "waited 30 s for the picture back (best lit=$lit)"
    escape_gives 0
    echo "ok: presenting full screen $presenting of a core, another window in front $share; the picture came back (lit=$lit)"
}

"$scenario"
