#!/usr/bin/env bash
# Installs those of the named Debian packages that are missing: directly as root, through sudo
# otherwise. A package of another architecture (name:i386) adds that architecture first.
# Usage: install_packages.sh [--no-recommends] PACKAGE...
set -u
install=(install -y -q)
[ "${1:-}" = --no-recommends ] && { install+=(--no-install-recommends); shift; }
missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q '^install ok installed' || missing+=("$p")
done
[ ${#missing[@]} = 0 ] && exit 0
if [ "$(id -u)" = 0 ]; then
    sudo=()
elif command -v sudo >/dev/null; then
    sudo=(sudo)
else
    echo "These Debian packages are missing; install them as root: ${missing[*]}" >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
for p in "${missing[@]}"; do
    arch=${p##*:}
    [ "$arch" != "$p" ] || continue
    dpkg --print-foreign-architectures | grep -qx "$arch" || "${sudo[@]}" dpkg --add-architecture "$arch" || exit 1
done
"${sudo[@]}" apt-get update -q &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get "${install[@]}" "${missing[@]}"
