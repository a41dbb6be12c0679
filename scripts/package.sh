#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package the quick way: the three programs built as
# Debian's package build does (scripts/build-setup.sh: Debian's flags, all
# hardening, prefix /usr), installed, stripped and packed by CPack into
# BUILD/tavrel_<version>_<arch>.deb. Prints the package's path. The library
# dependencies are computed by dpkg-shlibdeps; everything else the package
# says comes from debian/control. Two runs on one tree give the same bytes.
#
#   ./scripts/package.sh && sudo apt-get install ./build-package/tavrel_*.deb
#   ./scripts/package.sh BUILD     packs an already configured build (CI's)
#
# The Debian source package in debian/ builds the same package with
# dpkg-buildpackage; scripts/check-debian-source.sh does that in a clean
# Debian 12.
set -euo pipefail
# Files and folders of the package are everyone's to read, whatever the
# caller's umask (dpkg-buildpackage does the same).
umask 022
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" dpkg-dev file
source "$root/scripts/build-setup.sh"
tavrel_setup_ccache "$root"
tavrel_setup_release_date "$root"
build="$(realpath -m "${1:-${TAVREL_PACKAGE_BUILD:-$root/build-package}}")"

if [ ! -f "$build/CMakeCache.txt" ]; then
  tavrel_configure_release "$root" "$build" -DBUILD_TESTING=OFF
fi
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/tavrel_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$build"/tavrel_*.deb
