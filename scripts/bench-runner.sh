#!/usr/bin/env bash
# Builds the command runner benchmark and runs it: 20 conversions through the FFmpeg helper
# against the same ffmpeg command lines run directly, each followed by a `cp` of its output.
# Arguments go to the benchmark: [folder for the files] [items] [rounds].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BENCH_BUILD_DIR:-$top/build-bench}"

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMELTROW_BUILD_BENCHMARKS=ON -DMELTROW_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target meltrow_bench_runner
"$build/bench/meltrow_bench_runner" "$@"
