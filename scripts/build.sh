#!/usr/bin/env bash
# Configures and builds into build/ (or $OMBREL_BUILD_DIR) with extra cmake
# args; $OMBREL_TARGETS limits the build to those targets.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${OMBREL_BUILD_DIR:-build}
cmake -S . -B "$dir" -G Ninja "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$dir" ${OMBREL_TARGETS:+--target $OMBREL_TARGETS}
