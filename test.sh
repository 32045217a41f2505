#!/usr/bin/env bash
# Builds Ombrel with its tests and runs them all (offscreen for the windows).
set -euo pipefail
cd "$(dirname "$0")"
scripts/deps.sh
scripts/build.sh -DCMAKE_BUILD_TYPE=RelWithDebInfo -DOMBREL_TESTS=ON
cd build && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j2 --timeout 600
