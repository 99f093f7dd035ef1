# What the end-to-end tests share: a fresh X server per test, bounded waits for states,
# screenshots and their statistics. Every wait is for a state, bounded in generous seconds, and
# a wait that runs out says what it waited for: the tests pass on a busy machine.
# Sourced by the tests; needs: scenario (the test's name), tools (where shot_stats is).
# E2E_KEEP=DIR keeps the screenshots there, to look at.
work=$(mktemp -d /tmp/glaxen-e2e.XXXXXX)
xvfb_pid=
wm_pid=
app_pid=

# Ends what the test started; a test's own end_test, if it has one, first.
cleanup() {
    [ -n "${E2E_KEEP:-}" ] && mkdir -p "$E2E_KEEP" && cp "$work"/*.png "$E2E_KEEP/" 2>/dev/null
    declare -F end_test >/dev/null && end_test
    for pid in $app_pid $wm_pid $xvfb_pid; do kill "$pid" 2>/dev/null; done
    for pid in $app_pid $wm_pid $xvfb_pid; do wait "$pid" 2>/dev/null; done
    [ -n "${E2E_KEEP:-}" ] && cp "$work"/*.log "$E2E_KEEP/" 2>/dev/null
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

