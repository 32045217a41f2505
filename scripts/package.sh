#!/usr/bin/env bash
# Builds the Debian package the way docs/INSTALL.md describes (Ninja,
# Release, prefix /usr, no tests or benchmarks, Debian's hardening flags)
# into build-deb/ (or $OMBREL_PACKAGE_DIR) and checks it: lintian without an
# error or a warning and without the hardening tags,
# the AppStream metadata and the desktop entry as the package carries them,
# and one version in the package, the programs and the metadata.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${OMBREL_PACKAGE_DIR:-build-deb}
scripts/deps.sh package
# Debian's hardening flags (stack protector, _FORTIFY_SOURCE, relro and
# bindnow; PIE is the compiler's default), given on every configure so that a
# build directory made without them takes them too. CMake has no CPPFLAGS.
flag() { DEB_BUILD_MAINT_OPTIONS=hardening=+all dpkg-buildflags --get "$1"; }
OMBREL_BUILD_DIR=$dir scripts/build.sh -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DOMBREL_TESTS=OFF -DOMBREL_BENCH=OFF \
  -DCMAKE_C_FLAGS="$(flag CPPFLAGS) $(flag CFLAGS)" -DCMAKE_CXX_FLAGS="$(flag CPPFLAGS) $(flag CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(flag LDFLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(flag LDFLAGS)"
rm -f "$dir"/ombrel_*.deb
(cd "$dir" && cpack >cpack.log) || { cat "$dir/cpack.log"; exit 1; }
deb=$(echo "$dir"/ombrel_*.deb)
echo "Built $deb"

lintian --display-info --fail-on error,warning "$deb" | tee "$dir/lintian.log"
# Those are information only, so lintian itself would pass them.
if grep -E 'hardening-no-(bindnow|fortify-functions|pie|relro)' "$dir/lintian.log"; then
  echo "the programs are built without Debian's hardening flags"; exit 1
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$deb" "$tree"
# validate-tree checks the metadata and that its desktop entry and icon are there.
appstreamcli validate-tree --no-net "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop

# docs/INSTALL.md shows the package's Depends as it is.
documented=$(awk '/^    Depends:/ {on = 1} on && /^$/ {exit} on' docs/INSTALL.md |
  sed 's/^ *//; s/^Depends: //' | tr '\n' ' ' | sed 's/  */ /g; s/ $//')
real=$(dpkg-deb -f "$deb" Depends)
[ "$documented" = "$real" ] ||
  { printf 'docs/INSTALL.md says Depends: %s\nthe package has Depends: %s\n' "$documented" "$real"; exit 1; }

version=$(dpkg-deb -f "$deb" Version)
for program in ombrel ombrel-cli; do
  shown=$("$dir/$program" --version)
  [ "$shown" = "$program $version" ] || { echo "$program --version says '$shown', the package $version"; exit 1; }
done
grep -q "<release version=\"$version\"" "$tree"/usr/share/metainfo/*.metainfo.xml ||
  { echo "the AppStream metadata has no release $version"; exit 1; }
echo "Package checks passed: $deb"
