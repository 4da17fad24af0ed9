#!/usr/bin/env bash
# Builds the WAV header rewrite fuzzer with clang and runs it for the given number of seconds
# (default 300) in as many processes as cores but one. Crashes land in the build folder's
# fuzz/wav-findings; the corpus grows in fuzz/wav-corpus.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" fuzz meltrow_fuzz_wav)"
seconds="${1:-300}"
jobs="${MELTROW_FUZZ_JOBS:-$(( $(nproc) > 1 ? $(nproc) - 1 : 1 ))}"

corpus="$build/fuzz/wav-corpus"
findings="$build/fuzz/wav-findings"
mkdir -p "$corpus" "$findings"

# Seeds: a few real converter files.
for codec in pcm_s16le pcm_s24le pcm_f32le pcm_alaw; do
    seed="$corpus/seed-$codec.wav"
    [ -f "$seed" ] || ffmpeg -nostdin -v error -y -f lavfi -i sine=duration=0.002 -acodec "$codec" "$seed"
done

# Two small files per run: keep them in memory when the machine has a RAM disk.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

cd "$findings"
# -timeout catches hangs, -rss_limit_mb a run that loads a file whole.
"$build/fuzz/meltrow_fuzz_wav" "$corpus" -dict="$top/fuzz/wav.dict" -max_total_time="$seconds" \
    -fork="$jobs" -max_len=65536 -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
    -artifact_prefix="$findings/"
