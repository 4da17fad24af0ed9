#!/usr/bin/env bash
# The standalone worker on a damaged 10-minute MP3, whose decoder warns of every broken frame
# (about 2,000 lines), against the converter alone on the same command line with its output read
# to the end: median and range of several runs of each, and the ratio (target <= 1.25).
# Usage: scripts/bench-worker.sh [runs]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-5}"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_worker)"
machine=/usr/bin/ffmpeg

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

"$machine" -nostdin -v error -y -f lavfi -i "sine=frequency=440:sample_rate=44100:duration=600" \
    -f lavfi -i "anoisesrc=d=600:c=pink:r=44100:a=0.1:s=16" -filter_complex amix=inputs=2 \
    -ac 2 -c:a libmp3lame -b:a 192k "$work/clean.mp3"

# Eight random bytes somewhere in every 5000, the same every time.
python3 - "$work/clean.mp3" "$work/damaged.mp3" << 'PYTHON'
import random, sys
data = bytearray(open(sys.argv[1], "rb").read())
rng = random.Random(16)
for block in range(4096, len(data) - 8, 5000):
    at = block + rng.randrange(2500)
    data[at:at + 8] = bytes(rng.randrange(256) for _ in range(8))
open(sys.argv[2], "wb").write(data)
PYTHON

# A temporary folder of its own, so that no other Meltrow on the machine unpacks its converter
# over the one being timed.
mkdir -m 700 "$work/tmp"

TMPDIR="$work/tmp" "$top/scripts/on-display.sh" "$build/bench/meltrow_bench_worker" "$work/damaged.mp3" "$runs"
