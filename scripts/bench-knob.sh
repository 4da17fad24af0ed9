#!/usr/bin/env bash
# Builds the image knob benchmark and runs it on a virtual display: painting a 100 x 100 part of
# knobs of 64, 500 and 2000 px, with the knob's shadow and without. Arguments go to Google
# Benchmark (--benchmark_repetitions=5, for instance).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_knob)"

"$top/scripts/on-display.sh" "$build/bench/meltrow_bench_knob" "$@"
