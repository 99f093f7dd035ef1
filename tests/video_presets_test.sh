#!/usr/bin/env bash
# The README's video presets over the show's first second: the archive's frames equal --raw's
# frame for frame, the watch video is tagged BT.709 (so players read its colours as they were
# converted), and the README shows each command as it is run.
# Usage: video_presets_test.sh VIDEO_PRESETS GLAXEN_RENDER README
set -u
presets=$1 render=$2 readme=$3
work=$(mktemp -d /tmp/glaxen-video-test.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Each frame's digest as RGB, in order (a .mkv's timestamps are milliseconds; --raw's fourth
# byte is no part of the colour).
digests() { ffmpeg -hide_banner -loglevel error "$@" -map 0:v -pix_fmt rgb24 -f framemd5 - |
    awk '!/^#/ { print $NF }'; }

"$presets" archive "$render" "$work/archive.mkv" --frames 60 || fail "the archive preset failed"
(cd "$(dirname "$render")" && ./glaxen-render --seed 2412 --frames 60 --raw "$work/frames.raw") ||
    fail "glaxen-render failed"
raw=$(digests -f rawvideo -pix_fmt bgr0 -s 640x480 -i "$work/frames.raw")
archived=$(digests -i "$work/archive.mkv")
[ -n "$raw" ] && [ "$raw" = "$archived" ] || fail "the archive's frames differ from --raw's"

"$presets" watch "$render" "$work/watch.mp4" --frames 60 || fail "the watch preset failed"
tags=$(ffprobe -v error -select_streams v -of csv=p=0 \
    -show_entries stream=color_space,color_primaries,color_transfer "$work/watch.mp4")
[ "$tags" = bt709,bt709,bt709 ] || fail "the watch video's colour tags are '$tags', not BT.709"

text=$(<"$readme")
for preset in watch upload archive; do
    shown=$("$presets" --print "$preset" | sed 's/^/    /')
    [[ $text == *"$shown"* ]] || fail "the README does not show the $preset preset as it is run"
done

[ "$failures" = 0 ] && echo "ok: the archive equals --raw over $(wc -l <<<"$raw") frames;" \
    "the watch video is tagged BT.709; the README shows the three presets"
exit "$failures"
