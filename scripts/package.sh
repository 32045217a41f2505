#!/usr/bin/env bash
# Builds the Debian package the way docs/INSTALL.md describes (Ninja,
# Release, prefix /usr, no tests or benchmarks) into build-deb/ (or
# $OMBREL_PACKAGE_DIR) and checks it: lintian without an error or a warning,
# the AppStream metadata and the desktop entry as the package carries them,
# and one version in the package, the programs and the metadata.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${OMBREL_PACKAGE_DIR:-build-deb}
scripts/deps.sh package
OMBREL_BUILD_DIR=$dir scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DOMBREL_TESTS=OFF -DOMBREL_BENCH=OFF
rm -f "$dir"/ombrel_*.deb
(cd "$dir" && cpack >cpack.log) || { cat "$dir/cpack.log"; exit 1; }
deb=$(echo "$dir"/ombrel_*.deb)
echo "Built $deb"

lintian --fail-on error,warning "$deb"

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
# validate-tree checks the metadata and that its desktop entry and icon are there.
appstreamcli validate-tree --no-net "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop

version=$(dpkg-deb -f "$deb" Version)
for program in ombrel ombrel-cli; do
  shown=$("$dir/$program" --version)
  [ "$shown" = "$program $version" ] || { echo "$program --version says '$shown', the package $version"; exit 1; }
done
grep -q "<release version=\"$version\"" "$tree"/usr/share/metainfo/*.metainfo.xml ||
  { echo "the AppStream metadata has no release $version"; exit 1; }
echo "Package checks passed: $deb"
