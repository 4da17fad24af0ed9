#!/usr/bin/env bash
# Installs what is missing, builds the application and starts it.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
build="${MELTROW_BUILD_DIR:-$top/build}"

"$top/scripts/setup.sh"
cmake -S "$top" -B "$build" -DCMAKE_BUILD_TYPE="${MELTROW_BUILD_TYPE:-Release}" > /dev/null
cmake --build "$build" --parallel "$(nproc)" --target Meltrow

app="$(find "$build" -type f -name Meltrow -perm -u+x | head -n 1)"
if [ -z "$app" ]; then
    echo "The Meltrow application has not been built yet." >&2
    exit 1
fi
exec "$app"
