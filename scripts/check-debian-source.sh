#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks the Debian source package (debian/) as a distribution's build
# machine would meet it:
#
#  1. the source package: the checkout's tracked files as they are now,
#     built by dpkg-source into tavrel_VERSION.dsc and .tar.xz, and lintian
#     on it (quick; CI runs this part: --source-only);
#  2. a clean Debian 12: a fresh chroot (debootstrap --variant=buildd
#     bookworm, unpacked from a base kept between runs), the source package
#     unpacked there, its Build-Depends installed, and
#     dpkg-buildpackage -us -uc -b as an ordinary user; then lintian on the
#     binary package and the same checks as scripts/check-package.sh.
#
#   scripts/check-debian-source.sh                  both (as root; about 10 CPU-minutes and the downloads)
#   scripts/check-debian-source.sh --source-only    the first only
#
# Needs root for the chroot, and the network to reach Debian's archive. The
# results (source package, binary package, build log) are left in
# build-debian/. The base chroot is kept in $TAVREL_CHROOT_BASE (default
# /var/cache/tavrel/bookworm-buildd.tar) so that later runs start in seconds.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source_only=false
[ "${1:-}" = "--source-only" ] && source_only=true
"$root/scripts/ensure-deps.sh" dpkg-dev lintian
out="$root/build-debian"
rm -rf "$out"
mkdir -p "$out"
version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"

echo "== Source package tavrel_$version"
tree="$out/tavrel-$version"
mkdir -p "$tree"
(cd "$root" && git ls-files -z --cached --others --exclude-standard) |
  (cd "$root" && xargs -0 cp --parents -P -t "$tree" --)
(cd "$out" && dpkg-source --build "tavrel-$version" >/dev/null)
rm -rf "$tree"
ls "$out"/tavrel_"$version".*
echo "== lintian (source package)"
lintian --fail-on error,warning --display-info "$out/tavrel_$version.dsc"
$source_only && exit 0

if [ "$(id -u)" -ne 0 ]; then
  echo "The chroot build needs root." >&2
  exit 1
fi
"$root/scripts/ensure-deps.sh" debootstrap
base="${TAVREL_CHROOT_BASE:-/var/cache/tavrel/bookworm-buildd.tar}"
mirror="${TAVREL_DEBIAN_MIRROR:-http://deb.debian.org/debian}"
if [ ! -s "$base" ]; then
  echo "== Making the base chroot (debootstrap --variant=buildd bookworm), kept in $base"
  mkdir -p "$(dirname "$base")"
  fresh="$(mktemp -d /var/tmp/tavrel-debootstrap.XXXXXX)"
  chmod 755 "$fresh"
  debootstrap --variant=buildd bookworm "$fresh" "$mirror" >"$out/debootstrap.log" 2>&1 ||
    { tail -20 "$out/debootstrap.log"; exit 1; }
  tar -C "$fresh" -cf "$base.part" . && mv "$base.part" "$base"
  rm -rf "$fresh"
fi

chroot_dir="$(mktemp -d /var/tmp/tavrel-chroot.XXXXXX)"
mounted=()
cleanup() {
  for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do umount -l "${mounted[$i]}" 2>/dev/null || true; done
  rm -rf --one-file-system "$chroot_dir"
}
trap cleanup EXIT
tar -C "$chroot_dir" -xf "$base"
# mktemp made the folders for root alone; the chroot's / is everyone's.
chmod 755 "$chroot_dir"
for fs in proc dev/pts; do
  mkdir -p "$chroot_dir/$fs"
done
mount -t proc proc "$chroot_dir/proc" && mounted+=("$chroot_dir/proc")
mount -t devpts devpts "$chroot_dir/dev/pts" && mounted+=("$chroot_dir/dev/pts")
cp /etc/resolv.conf "$chroot_dir/etc/resolv.conf"
mkdir -p "$chroot_dir/build"
cp "$out"/tavrel_"$version".* "$chroot_dir/build/"

echo "== Building in a clean Debian 12 chroot ($chroot_dir)"
start=$(date +%s)
chroot "$chroot_dir" /bin/bash -euo pipefail -c '
  export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
  apt-get update -qq
  cd /build
  dpkg-source -x tavrel_*.dsc src >/dev/null
  apt-get build-dep -y -qq --no-install-recommends ./src >/dev/null
  useradd --create-home builder
  chown -R builder: /build
  su builder -c "cd /build/src && DEB_BUILD_OPTIONS=parallel=$(nproc) dpkg-buildpackage -us -uc -b"
' >"$out/build.log" 2>&1 || { tail -40 "$out/build.log"; echo "The chroot build failed; see $out/build.log" >&2; exit 1; }
echo "built in $(( $(date +%s) - start )) s (apt included); log: $out/build.log"
cp "$chroot_dir"/build/*.deb "$chroot_dir"/build/*.changes "$chroot_dir"/build/*.buildinfo "$out/"
deb="$out/tavrel_${version}_$(dpkg --print-architecture).deb"
ls "$out"/*.deb

echo "== lintian (binary package)"
lintian --fail-on error,warning --display-info "$deb"
"$root/scripts/check-package.sh" "$deb"
