#!/usr/bin/env bash
# The README's video presets (video_presets.sh), measured: each over the whole show (seed 2412,
# with the music), rendered and encoded, the wall time of that, the file's size, and its PSNR in
# RGB against --raw at 640 x 480 (a larger video scaled back with nearest neighbour, its YUV read
# as its tags say, as a player that honours them would). Frames are paired by number: .mkv and
# .webm store millisecond timestamps, which would pair the wrong ones. Needs ffmpeg.
# Usage: video_bench.sh GLAXEN_RENDER [PRESET]...   (default: watch upload archive)
set -eu -o pipefail
render=$(realpath "$1")
shift
presets=$(dirname "$(realpath "$0")")/video_presets.sh
cd "$(dirname "$render")"
work=$(mktemp -d /tmp/glaxen-video.XXXXXX)
trap 'rm -rf "$work"' EXIT

[ $# -gt 0 ] || set -- watch upload archive
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for preset in "$@"; do
    video=$work/$("$presets" --print "$preset" | awk 'END { print $NF }')
    start=$(date +%s%N)
    "$presets" "$preset" "$render" "$video"
    seconds=$((($(date +%s%N) - start) / 1000000000))
    bytes=$(stat -c %s "$video")
    rgb='format=gbrp,settb=1/60,setpts=N'
    psnr=$("$render" --seed 2412 --raw - |
        ffmpeg -hide_banner -i "$video" -f rawvideo -pix_fmt bgr0 -s 640x480 -r 60 -i - \
            -lavfi "[0:v]scale=640:480:flags=neighbor,${rgb}[a];[1:v]${rgb}[b];[a][b]psnr" \
            -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p')
    echo "$preset: psnr ${psnr} dB, $((bytes / 1000000)) MB, ${seconds} s," \
        "load $(cut -d' ' -f1-3 /proc/loadavg)"
    rm "$video"  # gigabytes each
done
