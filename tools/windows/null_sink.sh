#!/usr/bin/env bash
# A sound server of its own with one null sink ("nullsink", 44100 Hz), for programs under Wine
# to play into and for parec to record from its monitor, on a machine with no sound card.
# Usage: null_sink.sh start DIR   starts it with its socket in DIR; prints PULSE_SERVER's value
#                                 once it answers (exit 1 if it does not within 30 s)
#        null_sink.sh stop DIR    ends it
set -u
dir=$(realpath "$2")
case $1 in
start)
    mkdir -p "$dir"
    pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
        -L "module-null-sink sink_name=nullsink rate=44100" \
        -L "module-native-protocol-unix socket=$dir/native auth-anonymous=1" \
        </dev/null >"$dir/server.log" 2>&1 &
    echo $! >"$dir/pid"
    for _ in $(seq 300); do
        PULSE_SERVER=unix:$dir/native pactl info >/dev/null 2>&1 && { echo "unix:$dir/native"; exit 0; }
        kill -0 "$(cat "$dir/pid")" 2>/dev/null || break
        sleep 0.1
    done
    echo "null_sink: the sound server did not answer (see $dir/server.log)" >&2
    exit 1 ;;
stop)
    [ -e "$dir/pid" ] || exit 0
    pid=$(cat "$dir/pid")
    kill "$pid" 2>/dev/null
    for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || break; sleep 0.05; done
    kill -9 "$pid" 2>/dev/null
    rm -f "$dir/pid" ;;
esac
