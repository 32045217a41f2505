#!/usr/bin/env bash
# Builds Ombrel and starts it: the window where there is a display, today's
# almanac on the terminal where there is none.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DOMBREL_TESTS=OFF -DOMBREL_BENCH=OFF
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x build/ombrel ]; then
  exec build/ombrel "$@"
fi
cd build && exec ./ombrel-cli day
