#!/usr/bin/env bash
# Render speed: the whole show (8401 frames at 60 fps, with the music's spectrum) rendered to
# --raw /dev/null and to --y4m /dev/null, best of RUNS runs each, in frames per second.
# Usage: render_speed.sh GLAXEN_RENDER [RUNS]
set -eu
render=$(realpath "$1")
runs=${2:-3}
cd "$(dirname "$render")"
frames=8401
for output in raw y4m; do
    best=
    for _ in $(seq "$runs"); do
        start=$(date +%s%N)
        "$render" --seed 1 "--$output" /dev/null
        ms=$((($(date +%s%N) - start) / 1000000))
        [ -z "$best" ] || [ "$ms" -lt "$best" ] && best=$ms
    done
    echo "render_${output}_fps: $((frames * 1000 / best)) ($frames frames in $best ms)"
done
