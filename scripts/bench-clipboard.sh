#!/usr/bin/env bash
# Builds Meltrow and drives its real window on a virtual display through a run over many short
# files, its input list filled by one paste: how fast it answers another program's CLIPBOARD
# requests after Copy Output Log during the run (p50, p99, max), the run's time per file at its
# start and at its end, how many pasted paths arrived, and whether the whole log reaches another
# program afterwards. A run of 50,000 files takes about 20 minutes.
# Arguments: [files, default 300] [Meltrow program to drive instead of the one built here]
# [options of bench/x11_clipboard_latency.py, e.g. --paste-bytes 300000 to paste in pieces into
# a program whose paste cuts long texts].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
files="${1:-300}"
app="${2:-}"
shift $(( $# < 2 ? $# : 2 ))

if [ -z "$app" ]; then
    build="$("$top/scripts/build-target.sh" bench Meltrow)"
    app="$(find "$build" -type f -name Meltrow -perm -u+x | head -n 1)"
fi

exec "$top/scripts/on-display.sh" /usr/bin/python3 "$top/bench/x11_clipboard_latency.py" "$app" "$files" "$@"
