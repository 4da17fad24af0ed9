#!/usr/bin/env bash
# Fetches Debian's ffmpeg source package (FFmpeg with Debian's patches applied) and unpacks it
# into FOLDER/source, once per package version. Usage: scripts/fetch-ffmpeg-source.sh [FOLDER]
# The converter the program carries is built from it; nothing of it is kept in the repository.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
folder="${1:-$top/.cache/ffmpeg}"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi

# Debian's source packages are reachable only through deb-src entries; add them beside the
# machine's own Debian entries (the files Debian itself writes, not those of other vendors'
# repositories, which may have no sources), for the same mirrors and suites, when there are none.
have_sources() {
    grep -qsE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)' \
        /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources
}
if ! have_sources; then
    entries="$(mktemp)"
    trap 'rm -f "$entries"' EXIT
    if [ -f /etc/apt/sources.list ]; then
        sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' /etc/apt/sources.list
    fi > "$entries"
    if [ -s "$entries" ]; then $sudo cp "$entries" /etc/apt/sources.list.d/meltrow-deb-src.list; fi
    if [ -f /etc/apt/sources.list.d/debian.sources ]; then
        sed 's/^Types:[[:space:]]*deb[[:space:]]*$/Types: deb-src/' /etc/apt/sources.list.d/debian.sources
    fi > "$entries"
    if [ -s "$entries" ]; then $sudo cp "$entries" /etc/apt/sources.list.d/meltrow-deb-src.sources; fi
    $sudo chmod 644 /etc/apt/sources.list.d/meltrow-deb-src.* 2> /dev/null || true
    $sudo apt-get update -qq
fi

# The newest version Debian offers, or the installed ffmpeg's own while it is still offered, so
# that the machine's ffmpeg (which the tests compare with) is the same FFmpeg.
offered="$(apt-cache showsrc ffmpeg | sed -n 's/^Version: //p' | sort -V)"
version="$(echo "$offered" | tail -n 1)"
installed="$(dpkg-query -W -f='${source:Version}' ffmpeg 2> /dev/null || true)"
if [ -n "$installed" ] && echo "$offered" | grep -qxF "$installed"; then
    version="$installed"
fi
if [ -z "$version" ]; then
    echo "Debian's ffmpeg source package cannot be found; run apt-get update." >&2
    exit 1
fi
if [ -f "$folder/source/.meltrow-version" ] && [ "$(cat "$folder/source/.meltrow-version")" = "$version" ]; then
    exit 0
fi

echo "Fetching Debian's ffmpeg source package $version into $folder"
mkdir -p "$folder/download"
rm -rf "$folder/source" "$folder/download"/*
# Root downloads without apt's sandbox user, which may not write into this folder.
(cd "$folder/download" && apt-get source -qq --download-only -o APT::Sandbox::User=root "ffmpeg=$version")
dpkg-source --no-check -x "$folder/download"/ffmpeg_*.dsc "$folder/source" > /dev/null
echo "$version" > "$folder/source/.meltrow-version"
rm -rf "$folder/download"
