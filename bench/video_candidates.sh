#!/usr/bin/env bash
# The video commands the README weighs: for each candidate, the whole show (seed 2412, with the
# music) rendered and encoded to MP4, the wall time of that, the file's size, and its PSNR
# against the rendered frames at 640 x 480 (a larger video is first scaled back with nearest
# neighbour). Needs ffmpeg. Usage: video_candidates.sh GLAXEN_RENDER [CANDIDATE]...
# With no candidate named, all of them: yuv420p (the plain 4:2:0 command), and each pixel made
# 2 x 2 (so 4:2:0 keeps every pixel's colour) at two presets and four quality levels, tuned for
# PSNR: the frames are noise-like, and the encoder's psychovisual tuning spends bits elsewhere.
set -eu
render=$(realpath "$1")
shift
cd "$(dirname "$render")"
work=$(mktemp -d /tmp/glaxen-video.XXXXXX)
trap 'rm -rf "$work"' EXIT
music=qx-331b_051224.ogg

# The encoder's options for a candidate.
options() {
    local double="-vf scale=iw*2:ih*2:flags=neighbor -pix_fmt yuv420p -tune psnr"
    case $1 in
    yuv420p) echo "-pix_fmt yuv420p -crf 18" ;;
    2x2-veryfast-crf10) echo "$double -preset veryfast -crf 10" ;;
    2x2-faster-crf12) echo "$double -preset faster -crf 12" ;;
    2x2-faster-crf13) echo "$double -preset faster -crf 13" ;;
    2x2-faster-crf14) echo "$double -preset faster -crf 14" ;;
    *) echo "unknown candidate $1" >&2; exit 2 ;;
    esac
}

[ $# -gt 0 ] || set -- yuv420p 2x2-veryfast-crf10 2x2-faster-crf12 2x2-faster-crf13 \
    2x2-faster-crf14
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
for candidate in "$@"; do
    video=$work/$candidate.mp4
    start=$(date +%s%N)
    # shellcheck disable=SC2046 # the options are words
    "$render" --seed 2412 --y4m - |
        ffmpeg -loglevel error -f yuv4mpegpipe -i - -i "$music" -map 0:v -map 1:a \
            -c:v libx264 $(options "$candidate") -c:a aac -b:a 192k -movflags +faststart \
            -shortest -y "$video"
    seconds=$((($(date +%s%N) - start) / 1000000000))
    bytes=$(stat -c %s "$video")
    psnr=$("$render" --seed 2412 --raw - |
        ffmpeg -hide_banner -i "$video" -f rawvideo -pix_fmt bgr0 -s 640x480 -r 60 -i - \
            -lavfi "[0:v]scale=640:480:flags=neighbor,format=gbrp[a];[1:v]format=gbrp[b];[a][b]psnr" \
            -f null - 2>&1 | sed -n 's/.*PSNR.* average:\([0-9.inf]*\).*/\1/p')
    echo "$candidate: psnr ${psnr} dB, $((bytes / 1000000)) MB, ${seconds} s," \
        "load $(cut -d' ' -f1-3 /proc/loadavg)"
done
