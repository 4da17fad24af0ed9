#!/usr/bin/env bash
# Drives the real Meltrow window on a virtual display with a long input list and output log:
# how long another program waits for the window's answer to a PRIMARY TARGETS request while
# each selection action stands (Ctrl+A, Shift+Ctrl+End, Shift+click, the wheel and typing over
# a large selection, Ctrl+C), per action and size, and whether Ctrl+C copies exactly the
# selection. By default 10,000, 20,000 and 50,000 input lines with logs of 10,003, 20,003 and
# 50,003 lines, and a log of 100,003 lines; 10 s of requests per action, each waited for at most
# 60 s; it ends by itself and always kills the program.
# Arguments: [Meltrow program to drive instead of the one built here]
# [options of bench/x11_selection_latency.py, e.g. --sizes 4000:5003,20000:20003 --seconds 60].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
app=""
if [ $# -gt 0 ] && [ "${1#-}" = "$1" ]; then
    app="$1"
    shift
fi

if [ -z "$app" ]; then
    build="$("$top/scripts/build-target.sh" bench Meltrow)"
    app="$(find "$build" -type f -name Meltrow -perm -u+x | head -n 1)"
fi

exec "$top/scripts/on-display.sh" /usr/bin/python3 "$top/bench/x11_selection_latency.py" "$app" "$@"
