#!/usr/bin/env bash
# Installs the Debian packages the build needs, skipping those already present.
set -euo pipefail
pkgs=(g++ cmake ninja-build pkg-config libsqlite3-dev qt6-base-dev qt6-base-dev-tools libgl-dev
      libgtest-dev libgmock-dev libbenchmark-dev fonts-ipafont-gothic xvfb dpkg-dev file)
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
