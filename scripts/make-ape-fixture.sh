#!/usr/bin/env bash
# Makes tests/runner/fixtures/tone.ape, the Monkey's Audio file of the converter tests: FFmpeg
# reads that format but cannot write it, so a short stereo tone is compressed once with jmac
# (Debian's libjmac-java) and the small result is kept in the repository.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
output="$top/tests/runner/fixtures/tone.ape"

"$top/scripts/install-packages.sh" default-jre-headless libjmac-java

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

ffmpeg -nostdin -v error \
    -f lavfi -i "sine=frequency=440:sample_rate=22050:duration=0.3,volume=0.5" \
    -f lavfi -i "sine=frequency=660:sample_rate=22050:duration=0.3,volume=0.5" \
    -filter_complex amerge=inputs=2 -c:a pcm_s16le "$work/tone.wav"
jmac c2 "$work/tone.wav" "$work/tone.ape" > /dev/null
mkdir -p "$(dirname "$output")"
cp "$work/tone.ape" "$output"
echo "$output: $(stat -c %s "$output") bytes"
