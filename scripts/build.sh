#!/usr/bin/env bash
# Configures and builds into build/ (or $OMBREL_BUILD_DIR) with extra cmake args.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${OMBREL_BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
cmake --build "$dir"
