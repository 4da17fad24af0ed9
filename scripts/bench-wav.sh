#!/usr/bin/env bash
# Builds the WAV header rewrite benchmark and runs it: a 1 GiB WAV rewritten against `cp`.
# Arguments go to the benchmark: [folder for the files] [size in MiB] [runs].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="$("$top/scripts/build-target.sh" bench meltrow_bench_wav)"

"$build/bench/meltrow_bench_wav" "$@"
