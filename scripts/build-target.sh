#!/usr/bin/env bash
# Installs what is missing, configures a build folder and builds one target in it.
# Usage: scripts/build-target.sh fuzz|bench TARGET; prints the build folder (the build talks on stderr).
# The fuzzers share one clang build folder, the benchmarks one release folder.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
kind="$1"
target="$2"

"$top/scripts/setup.sh" >&2

case "$kind" in
    fuzz)
        build="${MELTROW_FUZZ_BUILD_DIR:-$top/build-fuzz}"
        CC=clang CXX=clang++ cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release \
            -DMELTROW_BUILD_FUZZERS=ON -DMELTROW_BUILD_TESTS=OFF > /dev/null
        ;;
    bench)
        build="${MELTROW_BENCH_BUILD_DIR:-$top/build-bench}"
        cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE=Release \
            -DMELTROW_BUILD_BENCHMARKS=ON -DMELTROW_BUILD_TESTS=OFF > /dev/null
        ;;
    *)
        echo "usage: $0 fuzz|bench TARGET" >&2
        exit 2
        ;;
esac

cmake --build "$build" --parallel "$(nproc)" --target "$target" >&2
echo "$build"
