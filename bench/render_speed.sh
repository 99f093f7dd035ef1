#!/usr/bin/env bash
# Render speed, with the music's spectrum (the default): the whole show (8401 frames at 60 fps)
# to --raw /dev/null, to --y4m /dev/null and through the flash analysis, and its first 30
# seconds (1800 frames) as PNGs into a scratch folder; best of RUNS runs each, in frames per
# second, with the load average before.
# Usage: render_speed.sh GLAXEN_RENDER [RUNS]
set -eu
render=$(realpath "$1")
runs=${2:-3}
cd "$(dirname "$render")"
scratch=$(mktemp -d /tmp/glaxen-render-speed.XXXXXX)
trap 'rm -rf "$scratch"' EXIT

# Runs the renderer RUNS times with the arguments given and prints the best rate for frames.
measure() {
    local name=$1 frames=$2 best=
    shift 2
    local load
    load=$(cut -d' ' -f1-3 /proc/loadavg)
    for _ in $(seq "$runs"); do
        rm -rf "$scratch/png"
        start=$(date +%s%N)
        "$render" --seed 1 "$@"
        ms=$((($(date +%s%N) - start) / 1000000))
        [ -z "$best" ] || [ "$ms" -lt "$best" ] && best=$ms
    done
    echo "render_${name}_fps: $((frames * 1000 / best)) ($frames frames in $best ms, load $load)"
}

measure raw 8401 --raw /dev/null
measure y4m 8401 --y4m /dev/null
measure png 1800 --frames 1800 --png "$scratch/png"
measure flash_report 8401 --flash-report /dev/null
