#!/usr/bin/env bash
# The tree's layers hold, read off its #include lines: the core knows no audio core, platform,
# program or platform header; the audio core knows no platform, program or platform header;
# nothing under platform/ reaches into a program (render/, app/).
# Usage: layers.sh SOURCE_DIR
set -u
cd "$1" || exit 2
platform_headers='<(SDL[^>]*|windows\.h|ddraw\.h|mmsystem\.h|objbase\.h|emscripten[^>]*|X11/[^>]*|wayland-[^>]*|dlfcn\.h)>'
core="common show pictures font effect display"
failed=0

# Fails with why for each include in the folders that matches pattern.
forbid() {
    local why=$1 pattern=$2 hits
    shift 2
    hits=$(grep -rnE "^\s*#\s*include\s*(${pattern})" --include='*.h' --include='*.cpp' "$@")
    [ -z "$hits" ] || { printf 'FAIL: %s:\n%s\n' "$why" "$hits"; failed=1; }
}
forbid "the core includes the audio core, a platform or a program" '"(audio|platform|render|app)/' $core
forbid "the core includes a platform's header" "$platform_headers" $core
forbid "the audio core includes a platform or a program" '"(platform|render|app)/' audio
forbid "the audio core includes a platform's header" "$platform_headers" audio
forbid "a platform includes a program" '"(render|app)/' platform
[ $failed = 1 ] || echo "ok: the layers hold"
exit $failed
