#!/usr/bin/env bash
# The same show natively and cross-built: one seed, a scripted spectrum that takes every branch
# of the passes and the burst trigger, 93.4 s at 60 frames a second (past the text's start at
# 91 s); the two lists of frame digests must be equal, line for line.
# Usage: same_show.sh NATIVE_SHOW_DIGEST EMULATOR CROSS_SHOW_DIGEST
set -u
native=$1 emulator=$2 cross=$3
seed=2412 fps=60 frames=5605
work=$(mktemp -d /tmp/glaxen-same-show.XXXXXX)
trap 'rm -rf "$work"' EXIT

[ -x "$native" ] || { echo "FAIL: no native show_digest at $native (GLAXEN_NATIVE_BUILD)"; exit 1; }
"$native" --write-spectrum "$work/spectra" 3000 || { echo "FAIL: writing the spectra"; exit 1; }
"$native" $seed "$work/spectra" $fps $frames >"$work/native" || { echo "FAIL: native run"; exit 1; }
"$emulator" "$cross" $seed "$work/spectra" $fps $frames | tr -d '\r' >"$work/cross" ||
    { echo "FAIL: the cross-built run"; exit 1; }
lines=$(wc -l <"$work/cross")
[ "$lines" = $frames ] || { echo "FAIL: the cross-built run gave $lines frames, not $frames"; exit 1; }
if ! cmp -s "$work/native" "$work/cross"; then
    first=$(diff "$work/native" "$work/cross" | sed -n 's/^< \([0-9]*\) .*/\1/p' | head -1)
    echo "FAIL: the frames differ from frame $first on"
    exit 1
fi
echo "ok: $frames frames equal, the last $(tail -1 "$work/native")"
