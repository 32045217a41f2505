#!/usr/bin/env bash
# Installs the built packages with apt into a clean Debian tree: ombrel-cli
# alone first (it must bring nothing of the window's stack), then ombrel; runs
# the programs there as a fresh user in an empty directory, removes the
# packages again and checks that nothing of them is left. Needs root and the network (apt fetches
# the dependencies). The tree is made once with
#   debootstrap --variant=minbase bookworm ROOT http://deb.debian.org/debian
# and is left as it was found, apart from apt's cache and lists and the
# account files' backups.
# Usage: scripts/check-install.sh ROOT [DIR]   (DIR holds both .deb files)
set -euo pipefail
root=${1:?usage: check-install.sh ROOT [DIR]}
dir=${2:-$(dirname "$0")/../build-deb}
deb=$(echo "$dir"/ombrel_*.deb)
cli=$(echo "$dir"/ombrel-cli_*.deb)
[ -f "$deb" ] && [ -f "$cli" ] || { echo "no packages in $dir (run scripts/package.sh)"; exit 1; }
in_root() { chroot "$root" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 "$@"; }
# Every file of the tree but the package manager's own records, the logs, the
# scratch space and the user's home (the user's copy of the data is the user's).
listing() { (cd "$root" && find . -xdev \( -path ./proc -o -path ./var/cache -o -path ./var/lib/apt -o -path ./var/log \
  -o -path ./tmp -o -path ./var/lib/dpkg -o -path ./etc/ld.so.cache -o -path ./home \) -prune -o -print | sort); }

cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
trap 'in_root userdel -r almanac-check 2>/dev/null; umount "$root/proc"; rm -f "$root/tmp/ombrel.deb" "$root/tmp/ombrel-cli.deb"' EXIT
in_root useradd -m almanac-check
in_root apt-get update -qq
before=$(listing)
packages_before=$(in_root dpkg-query -W -f='${Package}\n' | sort)

cp "$cli" "$root/tmp/ombrel-cli.deb"
cp "$deb" "$root/tmp/ombrel.deb"
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/ombrel-cli.deb >/dev/null
if in_root dpkg-query -W -f='${Package}\n' | grep -E '^(libqt6|qt6-|fonts-)'; then
  echo "ombrel-cli brought the window's stack"; exit 1
fi
in_root su almanac-check -s /bin/sh -c 'cd "$(mktemp -d)" && ombrel-cli day 2033-08-01 | head -3 && ls -A . | wc -l' \
  | tee /dev/stderr | tail -1 | grep -qx 0 || { echo "ombrel-cli left files in the directory it ran in"; exit 1; }
in_root su almanac-check -s /bin/sh -c 'ls ~/.local/share/ombrel/History.mdb'
in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends /tmp/ombrel.deb >/dev/null
in_root su almanac-check -s /bin/sh -c 'cd "$(mktemp -d)" && ombrel --render w.png --date 2033-08-01 && ls -l w.png'
in_root test -s /usr/share/man/man1/ombrel-cli.1.gz

in_root env DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq --autoremove ombrel ombrel-cli >/dev/null
after=$(listing)
packages_after=$(in_root dpkg-query -W -f='${Package}\n' | sort)
if [ "$before" != "$after" ] || [ "$packages_before" != "$packages_after" ]; then
  echo "left behind after removal:"
  diff <(echo "$before") <(echo "$after") || true
  diff <(echo "$packages_before") <(echo "$packages_after") || true
  exit 1
fi
echo "installed, ran and removed without a trace: $cli $deb"
