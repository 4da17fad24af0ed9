#!/usr/bin/env bash
# Builds Meltrow and takes a picture of its window on a virtual display after it converted three
# example files. Usage: scripts/screenshot.sh [LANG value] [output.png]
#   scripts/screenshot.sh                              -> docs/screenshot-en.png (English)
#   scripts/screenshot.sh zh_CN.UTF-8 /tmp/cn.png      -> Simplified Chinese
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BUILD_DIR:-$top/build}"
language="${1:-en_US.UTF-8}"
output="$(realpath -m "${2:-$top/docs/screenshot-en.png}")"

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${MELTROW_BUILD_TYPE:-Release}" > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target Meltrow > /dev/null

app="$(find "$build" -type f -name Meltrow -perm -u+x | head -n 1)"

# JUCE windows need 24-bit colour.
PYTHONPATH="$top/scripts" xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" \
    /usr/bin/python3 "$top/scripts/screenshot.py" "$app" "$language" "$output"
echo "Saved $output"
