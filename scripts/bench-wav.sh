#!/usr/bin/env bash
# Builds the WAV header rewrite benchmark and runs it: a 1 GiB WAV rewritten against `cp`.
# Arguments go to the benchmark: [folder for the files] [size in MiB] [runs].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BENCH_BUILD_DIR:-$top/build-bench}"

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMELTROW_BUILD_BENCHMARKS=ON -DMELTROW_BUILD_TESTS=OFF > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target meltrow_bench_wav
"$build/bench/meltrow_bench_wav" "$@"
