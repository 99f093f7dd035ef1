#!/usr/bin/env bash
# The README's three video commands, word for word, so that what make bench-video measures and
# what the tests check is what the README shows: watch (H.264 that plays anywhere), upload (for
# a video site to re-encode), archive (the frames exactly). Each reads --raw (bgr0) and converts
# once, in ffmpeg's scaler.
# Usage: video_presets.sh --print PRESET           the command as the README shows it
#        video_presets.sh PRESET GLAXEN_RENDER OUTPUT [RENDER_OPTION]...
# The second form runs it in GLAXEN_RENDER's folder, where the music is, writing OUTPUT instead
# of the README's file name; RENDER_OPTIONs (a stretch, say) follow the seed.
set -eu -o pipefail
declare -A commands

commands[watch]='./glaxen-render --seed 2412 --raw - |
  ffmpeg -f rawvideo -pix_fmt bgr0 -s 640x480 -r 60 -i - -i qx-331b_051224.ogg -map 0:v \
         -map 1:a -vf scale=iw*2:ih*2:flags=neighbor:out_color_matrix=bt709,format=yuv420p \
         -colorspace bt709 -color_primaries bt709 -color_trc bt709 -c:v libx264 \
         -preset faster -tune psnr -crf 14 -c:a aac -b:a 192k -movflags +faststart \
         -shortest glaxen.mp4'

commands[upload]='./glaxen-render --seed 2412 --raw - |
  ffmpeg -f rawvideo -pix_fmt bgr0 -s 640x480 -r 60 -i - -i qx-331b_051224.ogg -map 0:v \
         -map 1:a -vf scale=iw*4:ih*4:flags=neighbor:out_color_matrix=bt709,format=yuv420p \
         -colorspace bt709 -color_primaries bt709 -color_trc bt709 -c:v libx264 \
         -preset faster -tune psnr -crf 14 -maxrate 68M -bufsize 68M -g 30 -flags +cgop \
         -bf 2 -c:a aac -b:a 192k -movflags +faststart -shortest glaxen-upload.mp4'

commands[archive]='./glaxen-render --seed 2412 --raw - |
  ffmpeg -f rawvideo -pix_fmt bgr0 -s 640x480 -r 60 -i - -i qx-331b_051224.ogg -map 0:v \
         -map 1:a -c:v libx264rgb -preset faster -qp 0 -c:a copy -shortest glaxen.mkv'

if [ "${1:-}" = --print ]; then
    preset=${2:-}
else
    preset=${1:-} render=$(realpath "$2") output=$(realpath "$3")
    shift 3
fi
if [ -z "$preset" ] || [ -z "${commands[$preset]:-}" ]; then
    echo "unknown preset '$preset' (watch, upload, archive)" >&2
    exit 2
fi
line=${commands[$preset]}
[ -z "${render:-}" ] && { echo "$line"; exit 0; }

# Quiet, and the README's file name and seed swapped for the caller's.
ffmpeg() { command ffmpeg -hide_banner -loglevel error "$@"; }
line="${line% *} $(printf %q "$output")"
[ $# = 0 ] || line=${line/--seed 2412/--seed 2412$(printf ' %q' "$@")}
cd "$(dirname "$render")"
eval "$line"
