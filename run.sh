#!/usr/bin/env bash
# Builds Ombrel and starts it: the window where there is a display, today's
# almanac on the terminal where there is none. Arguments go to the program.
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
OMBREL_TARGETS="ombrel ombrel-cli calendar_db" scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo
if { [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; } && [ -x build/ombrel ]; then
  exec build/ombrel "$@"
fi
exec build/ombrel-cli day "$@"
