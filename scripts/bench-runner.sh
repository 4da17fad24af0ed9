#!/usr/bin/env bash
# Builds the command runner benchmark and runs it: 20 conversions through the FFmpeg helper
# against the same ffmpeg command lines run directly, each followed by a `cp` of its output.
# Arguments go to the benchmark: [folder for the files] [items] [rounds].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_runner)"

"$build/bench/meltrow_bench_runner" "$@"
