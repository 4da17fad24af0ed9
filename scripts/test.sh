#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (under Xvfb when there is no display).
# Extra arguments go to ctest, e.g. scripts/test.sh -R Wav
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BUILD_DIR:-$top/build}"

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${MELTROW_BUILD_TYPE:-Release}" ${MELTROW_CMAKE_ARGS:-} > /dev/null
cmake --build "$build" --parallel "$(nproc)"

ctest_command=(ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)" "$@")

if [ -n "${DISPLAY:-}" ]; then
    "${ctest_command[@]}"
else
    # JUCE windows need 24-bit colour; -noreset keeps the server alive between clients.
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "${ctest_command[@]}"
fi
