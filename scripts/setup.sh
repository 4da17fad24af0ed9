#!/usr/bin/env bash
# Installs the Debian packages Meltrow needs to build, run and test, when they are missing, and
# fetches Debian's ffmpeg source, from which the converter the program carries is built.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"

packages=(
    build-essential cmake pkg-config git
    juce-modules-source juce-tools
    libfreetype-dev libfontconfig-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxext-dev libxcomposite-dev libxrender-dev libasound2-dev libpng-dev libjpeg-dev libgl-dev
    libgtk-3-dev libcurl4-openssl-dev
    rapidjson-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    clang libclang-rt-14-dev
    dpkg-dev nasm
    ffmpeg
    xvfb xauth xclip zenity imagemagick x11-utils python3 python3-xlib
    fonts-wqy-microhei fonts-dejavu-core
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    sudo=""
    if [ "$(id -u)" -ne 0 ]; then
        sudo="sudo"
    fi

    echo "Installing: ${missing[*]}"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

"$top/scripts/fetch-ffmpeg-source.sh"
