#!/usr/bin/env bash
# Configures and builds into build/ (or $OMBREL_BUILD_DIR) with extra cmake
# args; $OMBREL_TARGETS limits the build to those targets. ccache is used
# when the machine has it.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${OMBREL_BUILD_DIR:-build}
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Paths inside the checkout are hashed relative to it, so another clone or
  # worktree of the same sources (CI's clean clone) reuses the cached objects.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$PWD} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-true}
fi
cmake -S . -B "$dir" -G Ninja "${launcher[@]}" "$@" >/dev/null
# shellcheck disable=SC2086
cmake --build "$dir" ${OMBREL_TARGETS:+--target $OMBREL_TARGETS}
