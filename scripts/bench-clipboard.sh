#!/usr/bin/env bash
# Builds Meltrow and times, on a virtual display, how fast it answers another program's
# CLIPBOARD requests after Copy Output Log while it converts 300 short files.
# Arguments: [files] [Meltrow program to time instead of the one built here].
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
files="${1:-300}"
app="${2:-}"

if [ -z "$app" ]; then
    build="$("$top/scripts/build-target.sh" bench Meltrow)"
    app="$(find "$build" -type f -name Meltrow -perm -u+x | head -n 1)"
fi

if [ -n "${DISPLAY:-}" ]; then
    /usr/bin/python3 "$top/bench/x11_clipboard_latency.py" "$app" "$files"
else
    # JUCE windows need 24-bit colour; -noreset keeps the server alive between clients.
    xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" /usr/bin/python3 "$top/bench/x11_clipboard_latency.py" "$app" "$files"
fi
