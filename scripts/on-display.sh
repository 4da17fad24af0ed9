#!/usr/bin/env bash
# Runs a command on the X display, or on a virtual one (Xvfb) when there is none.
set -euo pipefail

if [ -n "${DISPLAY:-}" ]; then
    exec "$@"
fi

# JUCE windows need 24-bit colour; -noreset keeps the server alive between clients.
exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$@"
