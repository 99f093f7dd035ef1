#!/usr/bin/env bash
# Builds the libraries the show links (kissfft, libogg, libvorbis, SDL2 with audio only) and the
# ones its tests link (GoogleTest, Google Benchmark) for another target, from Debian's own source
# packages of the versions this machine's -dev packages have: the same libraries as on Linux.
# The sources come through apt with a private state whose source list is the machine's own with
# deb-src; the system's apt set-up is left as it is. The result is kept in a cache outside the
# clone, keyed by the versions, the toolchain and this script, and reused by later builds.
# Usage: build_libraries.sh NAME TOOLCHAIN_FILE [DEV_PACKAGE...]
#   builds the libraries of the -dev packages named (all of them when none is), prints the prefix
#   to build against on its last line; logs go to CACHE/logs.
#   GLAXEN_CACHE says where the cache is (default ~/.cache/glaxen).
set -eu
name=$1
toolchain=$(realpath "$2")
here=$(dirname "$(realpath "$0")")
cache=${GLAXEN_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/glaxen}
mkdir -p "$cache/logs"

# The libraries: the -dev package whose version is matched, and how the source is configured.
sdl_off="VIDEO RENDER JOYSTICK HAPTIC HIDAPI POWER SENSOR LOCALE MISC FILESYSTEM OPENGL OPENGLES
         VULKAN RENDER_D3D XINPUT TEST SHARED CCACHE"
# libogg's type-size probes fail under emscripten; the sizes are the same on every target here.
ogg_sizes=$(for size in INT16_SIZE=2 UINT16_SIZE=2 INT32_SIZE=4 UINT32_SIZE=4 INT64_SIZE=8; do
                printf -- '-DHAVE_%s=1 -D%s ' "${size%=*}" "$size"; done)
declare -A options=(
    [libkissfft-dev]="-DKISSFFT_DATATYPE=float -DKISSFFT_STATIC=ON -DKISSFFT_TEST=OFF
                      -DKISSFFT_TOOLS=OFF -DKISSFFT_PKGCONFIG=OFF -DPKGINCLUDEDIR=include/kissfft"
    [libogg-dev]="-DINSTALL_DOCS=OFF -DBUILD_TESTING=OFF $ogg_sizes"
    [libvorbis-dev]="-DBUILD_TESTING=OFF"
    [libsdl2-dev]="-DSDL_STATIC=ON -DSDL2_DISABLE_SDL2MAIN=ON $(printf -- '-DSDL_%s=OFF ' $sdl_off)"
    [libgtest-dev]="-DBUILD_GMOCK=OFF"
    [libbenchmark-dev]="-DBENCHMARK_ENABLE_TESTING=OFF -DBENCHMARK_ENABLE_WERROR=OFF
                        -DBENCHMARK_INSTALL_DOCS=OFF -DGIT_VERSION=%upstream%"
)
# SDL2 linked statically calls through its dynamic API's table, which names functions of the
# video it goes without here: turned off where SDL2 says to turn it off, in its own header.
declare -A edits=(
    [libsdl2-dev]="src/dynapi/SDL_dynapi.h s/^#define SDL_DYNAMIC_API 1$/#define SDL_DYNAMIC_API 0/"
)
order=(libkissfft-dev libogg-dev libvorbis-dev libsdl2-dev libgtest-dev libbenchmark-dev)
[ $# -gt 2 ] && order=("${@:3}")

# Source package and version of each, as installed here.
declare -A source version
for dev in "${order[@]}"; do
    read -r source[$dev] version[$dev] < <(dpkg-query -W -f='${source:Package} ${source:Version}\n' "$dev") ||
        { echo "build_libraries: $dev is not installed; its version decides the source" >&2; exit 1; }
done
compiler=$(sed -n 's/^set(mingw_triple \(.*\))$/\1/p' "$toolchain")
key=$( { for dev in "${order[@]}"; do echo "${source[$dev]} ${version[$dev]}"; done
         cat "$(dirname "$toolchain")"/*.cmake "$0"
         if [ -n "$compiler" ]; then $compiler-gcc-posix --version; else dpkg-query -W emscripten; fi
       } | sha256sum | cut -c1-16)
prefix=$cache/$name-$key
if [ -e "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi

exec 9>"$cache/.lock"
flock 9  # one build at a time per machine; the one that waited finds the work done
if [ -e "$prefix/.complete" ]; then
    echo "$prefix"
    exit 0
fi
echo "Building the libraries for $name from Debian's sources into $prefix" >&2

# ---------------------------------------------------------------- the sources

apt_dir=$cache/apt
apt_options=(-q -o Dir::Etc::SourceList=/dev/null -o "Dir::Etc::SourceParts=$apt_dir/parts"
             -o "Dir::State::Lists=$apt_dir/lists" -o "Dir::Cache=$apt_dir/cache")
[ "$(id -u)" = 0 ] && apt_options+=(-o APT::Sandbox::User=root)
fetch_sources() {
    mkdir -p "$apt_dir/parts" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
    rm -f "$apt_dir/parts"/*
    local list
    for list in /etc/apt/sources.list.d/*.sources; do
        [ -e "$list" ] && sed 's/^Types: *deb$/Types: deb-src/' "$list" >"$apt_dir/parts/$(basename "$list")"
    done
    [ -e /etc/apt/sources.list ] &&
        sed -n 's/^deb /deb-src /p' /etc/apt/sources.list >"$apt_dir/parts/sources.list"
    apt-get "${apt_options[@]}" update >"$cache/logs/apt-update.log" 2>&1 ||
        { echo "build_libraries: apt-get update failed (see $cache/logs/apt-update.log)" >&2; exit 1; }
}
sources=$cache/sources
mkdir -p "$sources"
fetched=
for dev in "${order[@]}"; do
    src=${source[$dev]} ver=${version[$dev]}
    [ -e "$sources/${src}_$ver/.complete" ] && continue
    [ -n "$fetched" ] || { fetch_sources; fetched=1; }
    rm -rf "$sources/${src}_$ver" "$sources/download"
    mkdir -p "$sources/download"
    (cd "$sources/download" && apt-get "${apt_options[@]}" source --download-only "$src=$ver" &&
        dpkg-source -q -x --no-check "${src}_${ver#*:}.dsc" "../${src}_$ver") \
        >"$cache/logs/source-$src.log" 2>&1 ||
        { echo "build_libraries: cannot fetch $src $ver (see $cache/logs/source-$src.log)" >&2; exit 1; }
    touch "$sources/${src}_$ver/.complete"
done
rm -rf "$sources/download"

# ---------------------------------------------------------------- the builds

rm -rf "$prefix"
work=$(mktemp -d "$cache/build.XXXXXX")
trap 'rm -rf "$work"' EXIT
for dev in "${order[@]}"; do
    src=${source[$dev]} ver=${version[$dev]}
    upstream=${ver#*:}
    upstream=${upstream%-*}
    upstream=${upstream%+*}
    log=$cache/logs/$name-$src.log
    echo "  $src $ver" >&2
    if [ -n "${edits[$dev]:-}" ]; then
        read -r file expression <<<"${edits[$dev]}"
        sed -i "$expression" "$sources/${src}_$ver/$file"
    fi
    # shellcheck disable=SC2086  # the options are words
    { cmake -S "$sources/${src}_$ver" -B "$work/$src" -G Ninja -DCMAKE_BUILD_TYPE=Release \
          -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DGLAXEN_LIBRARY_PREFIX="$prefix" \
          -DCMAKE_INSTALL_PREFIX="$prefix" -DBUILD_SHARED_LIBS=OFF -DCMAKE_INSTALL_LIBDIR=lib \
          -DCMAKE_INSTALL_INCLUDEDIR=include -DCMAKE_INSTALL_BINDIR=bin \
          ${options[$dev]//%upstream%/$upstream} &&
          cmake --build "$work/$src" && cmake --install "$work/$src"; } >"$log" 2>&1 ||
        { echo "build_libraries: $src failed to build (see $log)" >&2; tail -20 "$log" >&2; exit 1; }
done
touch "$prefix/.complete"
# Older builds of the same name are of other versions or toolchains.
for old in "$cache/$name"-*; do [ "$old" = "$prefix" ] || rm -rf "$old"; done
echo "$prefix"
