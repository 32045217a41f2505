#!/usr/bin/env bash
# Installs the Debian packages the build needs, skipping those already present.
# With the argument "package", also the tools that check the Debian package.
set -euo pipefail
pkgs=(g++ cmake ninja-build pkg-config libsqlite3-dev liberfa-dev qt6-base-dev qt6-base-dev-tools qt6-translations-l10n qt6-wayland libgl-dev
      libgtest-dev libgmock-dev libbenchmark-dev fonts-ipafont-gothic xvfb dpkg-dev file
      nlohmann-json3-dev python3-icalendar python3-vobject libabsl-dev ccache)
# The manual pages are made with python3; the tests read them with man.
pkgs+=(python3 man-db)
if [ "${1:-}" = package ]; then
  pkgs+=(lintian appstream desktop-file-utils)
fi
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
echo "Installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
