#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test (under Xvfb when there is no display);
# then builds the widget kit and its tests again with AddressSanitizer and UndefinedBehaviorSanitizer,
# JUCE's modules included (the kit draws through the framework's image code), and runs those tests.
# Extra arguments go to ctest, e.g. scripts/test.sh -R Wav
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BUILD_DIR:-$top/build}"
sanitizer_build="${MELTROW_SANITIZER_BUILD_DIR:-$top/build-sanitize-widgets}"

run_tests() {
    "$top/scripts/on-display.sh" ctest --test-dir "$1" --output-on-failure --parallel "$(nproc)" "${@:2}"
}

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${MELTROW_BUILD_TYPE:-Release}" ${MELTROW_CMAKE_ARGS:-} > /dev/null
cmake --build "$build" --parallel "$(nproc)"
run_tests "$build" "$@"

# Only the kit: no converter, no application. A finding ends the test program, failing its test.
cmake -S "$top" -B "$sanitizer_build" -DCMAKE_BUILD_TYPE=Debug -DMELTROW_SANITIZE=ON -DMELTROW_WIDGETS_ONLY=ON > /dev/null
cmake --build "$sanitizer_build" --parallel "$(nproc)"
run_tests "$sanitizer_build" "$@"
