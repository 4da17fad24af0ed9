#!/usr/bin/env bash
# Builds the output log benchmark and runs it on a virtual display: the cost of one refresh of
# the log editor, of one paint of it, and of adding one item to the log text, when the log holds
# 10,000 and 50,000 items. Arguments go to Google Benchmark (e.g. --benchmark_filter=/50000,
# --benchmark_repetitions=5).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_log)"

"$top/scripts/on-display.sh" "$build/bench/meltrow_bench_log" "$@"
