#!/usr/bin/env bash
# Installs the Debian packages Meltrow needs to build, run and test, when they are missing, and
# fetches Debian's ffmpeg source, from which the converter the program carries is built.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

packages=(
    build-essential cmake pkg-config git
    juce-modules-source juce-tools
    libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxext-dev libxtst-dev libxcomposite-dev libxrender-dev libasound2-dev libpng-dev libjpeg-dev libgl-dev
    libgtk-3-dev libcurl4-openssl-dev
    rapidjson-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    dpkg-dev nasm
    ffmpeg
    xvfb xauth xclip zenity imagemagick x11-utils python3 python3-xlib
    exfat-fuse exfatprogs fusefat dosfstools
    fonts-wqy-microhei fonts-dejavu-core
)

"$top/scripts/install-packages.sh" "${packages[@]}"
"$top/scripts/fetch-ffmpeg-source.sh"
