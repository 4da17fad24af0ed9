#!/usr/bin/env bash
# Draws the application's icons into app/resources/ with ImageMagick:
#   track_add.png (96 x 96): the add-files button, a note on a blue tile with a green "+" badge;
#   icon.png (256 x 256): the application icon, a note on a blue tile with a wave under it.
# The PNGs are committed; run this only to change them.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
out="${1:-$top/app/resources}"

# No time stamps or other metadata, so the same drawing gives the same bytes.
png_options=(-strip -define png:exclude-chunks=date,time,tEXt,zTXt,iTXt -define png:color-type=6)

convert -size 96x96 xc:none \
    -fill '#2f8fd8' -draw 'roundrectangle 4,4 91,91 18,18' \
    -fill white \
    -draw 'translate 33,64 rotate -22 ellipse 0,0 12,8.5 0,360' \
    -draw 'rectangle 41,20 46,63' \
    -draw 'path "M 44,20 C 52,26 66,28 64,46 C 62,38 54,35 46,34 Z"' \
    -fill '#2fb24c' -stroke white -strokewidth 4 -draw 'circle 70,70 70,50' \
    -stroke none -fill white \
    -draw 'rectangle 58,67 82,73' -draw 'rectangle 67,58 73,82' \
    "${png_options[@]}" "PNG32:$out/track_add.png"

# Two periods of a sine under the note, drawn as short line pieces (a stroked open path gets closed).
wave="$(awk 'function y(x) { return 206 - 14 * sin ((x - 44) * 3.14159265 / 42) }
             BEGIN { for (x = 44; x < 212; x += 4) printf "line %d,%.1f %d,%.1f ", x, y(x), x + 4, y(x + 4) }')"

convert -size 256x256 xc:none \
    -fill '#2f8fd8' -draw 'roundrectangle 8,8 247,247 48,48' \
    -fill white \
    -draw 'translate 100,150 rotate -22 ellipse 0,0 30,21 0,360' \
    -draw 'rectangle 118,48 131,148' \
    -draw 'path "M 124,48 C 146,64 182,70 176,116 C 170,96 150,88 128,84 Z"' \
    -fill none -stroke white -strokewidth 8 -draw "stroke-linecap round" \
    -draw "$wave" \
    "${png_options[@]}" "PNG32:$out/icon.png"
