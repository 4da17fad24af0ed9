#!/usr/bin/env bash
# The converter the program carries against the machine's ffmpeg (/usr/bin/ffmpeg), as medians
# of several runs (hyperfine), each as a ratio carried / machine:
#   1. one 0.5 s WAV to 44.1 kHz 16-bit mono (start-up: target <= 0.15);
#   2. a 10-minute 96 kHz FLAC and a 10-minute MP3 to the same (decoding and resampling: <= 1.0);
#   3. 300 files of 0.5 s through the runner against the same commands run directly with the
#      machine's ffmpeg, each followed by a `cp` (target <= 0.2).
# Usage: scripts/bench-converter.sh [runs]
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
runs="${1:-10}"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_runner)"
machine=/usr/bin/ffmpeg

"$top/scripts/install-packages.sh" hyperfine

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The very program the archive holds.
(cd "$work" && cmake -E tar xf "$build/app/resources/ffmpeg.zip")
carried="$work/ffmpeg"

make_input() {
    "$machine" -nostdin -v error -y -f lavfi -i "$1" "${@:3}" "$work/$2"
}
make_input "sine=frequency=440:sample_rate=48000:duration=0.5" short.wav -ac 2
make_input "sine=frequency=440:sample_rate=96000:duration=600" long.flac -ac 2 -sample_fmt s32
make_input "sine=frequency=440:sample_rate=44100:duration=600" long.mp3 -ac 2 -c:a libmp3lame -b:a 192k

options="-ar 44100 -acodec pcm_s16le -ac 1"

# Prints the ratio of the two commands' median times.
ratio() {
    local input="$1" warmup="$2" count="$3"
    hyperfine --style none --warmup "$warmup" --runs "$count" -N --export-json "$work/times.json" \
        "$carried -nostdin -v error -i $work/$input $options -y $work/out-carried.wav" \
        "$machine -nostdin -v error -i $work/$input $options -y $work/out-machine.wav" \
        > /dev/null 2> "$work/hyperfine.log" || { cat "$work/hyperfine.log" >&2; return 1; }
    python3 - "$work/times.json" << 'EOF'
import json, sys
carried, machine = json.load(open(sys.argv[1]))["results"]
print("carried %.4f s, machine %.4f s, ratio %.3f" % (carried["median"], machine["median"], carried["median"] / machine["median"]))
EOF
}

echo "carried converter: $(stat -c %s "$carried") bytes; medians of $runs runs"
echo "0.5 s WAV:          $(ratio short.wav 3 "$((runs * 3))")  (target <= 0.15)"
echo "10 min 96 kHz FLAC: $(ratio long.flac 1 "$runs")  (target <= 1.0)"
echo "10 min MP3:         $(ratio long.mp3 1 "$runs")  (target <= 1.0)"

echo "300 files of 0.5 s through the runner (target <= 0.2):"
# A temporary folder of its own, so that no other Meltrow on the machine unpacks its converter
# over the one being timed.
mkdir -m 700 "$work/tmp"
TMPDIR="$work/tmp" "$build/bench/meltrow_bench_runner" "$work/runner" 300 5 0.5 "$machine"
