#!/usr/bin/env bash
# The Windows audio layer's delay from a click in a stream to its peak in the spectrum, against
# the device's latency, under Wine: audio_latency.exe played into a sound server's null sink in
# real time through each of SDL's Windows drivers, RUNS times each, to show how much it varies.
# Usage: audio_latency_wine.sh AUDIO_LATENCY.exe [RUNS]
set -u
exe=$(realpath "$1")
runs=${2:-3}
tools=$(dirname "$(realpath "$0")")/../tools/windows
work=$(mktemp -d /tmp/glaxen-latency.XXXXXX)
trap '"$tools/null_sink.sh" stop "$work"; rm -rf "$work"' EXIT
PULSE_SERVER=$("$tools/null_sink.sh" start "$work") || exit 1
export PULSE_SERVER
for driver in wasapi directsound winmm; do
    for run in $(seq "$runs"); do
        echo "$driver, run $run: $(SDL_AUDIODRIVER=$driver "$tools/wine_run.sh" "$exe" 2>&1 | tail -1)"
    done
done
