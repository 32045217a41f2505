#!/usr/bin/env bash
# Builds the Debian packages (ombrel-cli and ombrel) the way docs/INSTALL.md describes (Ninja,
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
rm -f "$dir"/ombrel_*.deb "$dir"/ombrel-cli_*.deb
(cd "$dir" && cpack >cpack.log) || { cat "$dir/cpack.log"; exit 1; }
deb=$(echo "$dir"/ombrel_*.deb)
cli=$(echo "$dir"/ombrel-cli_*.deb)
echo "Built $cli $deb"

lintian --display-info --fail-on error,warning "$cli" "$deb" | tee "$dir/lintian.log"
# Those are information only, so lintian itself would pass them.
if grep -E 'hardening-no-(bindnow|fortify-functions|pie|relro)' "$dir/lintian.log"; then
  echo "the programs are built without Debian's hardening flags"; exit 1
fi

tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
dpkg-deb -x "$cli" "$tree"
dpkg-deb -x "$deb" "$tree"
# validate-tree checks the metadata and that its desktop entry and icon are there.
appstreamcli validate-tree --no-net "$tree"
desktop-file-validate "$tree"/usr/share/applications/*.desktop

# The command-line package installs alone: nothing of the window's stack.
cli_depends=$(dpkg-deb -f "$cli" Depends)
if echo "$cli_depends" | grep -Eq 'qt6|libqt|fonts-|wayland|libx|libgl'; then
  echo "ombrel-cli depends on the window's stack: $cli_depends"; exit 1
fi
if dpkg-deb -c "$cli" | grep -Eq 'bin/ombrel$|applications/|metainfo/'; then
  echo "ombrel-cli carries the window's files"; exit 1
fi
version=$(dpkg-deb -f "$deb" Version)
dpkg-deb -f "$deb" Depends | grep -q "ombrel-cli (= $version)" || { echo "ombrel does not depend on ombrel-cli $version"; exit 1; }

# docs/INSTALL.md shows each package's Depends as it is.
for package in "$cli" "$deb"; do
  name=$(dpkg-deb -f "$package" Package)
  documented=$(awk -v head="    $name Depends:" 'index($0, head) == 1 {on = 1} on && /^$/ {exit} on' docs/INSTALL.md |
    sed "s/^ *//; s/^$name Depends: //" | tr '\n' ' ' | sed 's/  */ /g; s/ $//')
  real=$(dpkg-deb -f "$package" Depends)
  [ "$documented" = "$real" ] ||
    { printf 'docs/INSTALL.md says %s Depends: %s\nthe package has Depends: %s\n' "$name" "$documented" "$real"; exit 1; }
done

for program in ombrel ombrel-cli; do
  shown=$("$dir/$program" --version)
  [ "$shown" = "$program $version" ] || { echo "$program --version says '$shown', the package $version"; exit 1; }
done
grep -q "<release version=\"$version\"" "$tree"/usr/share/metainfo/*.metainfo.xml ||
  { echo "the AppStream metadata has no release $version"; exit 1; }
echo "Package checks passed: $cli $deb"
