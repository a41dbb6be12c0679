#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that the package is reproducible: builds it twice from this tree
# with scripts/package.sh, in two build folders of different names at the
# same depth below the checkout (as a Debian build always uses
# obj-<arch>: the programs' debug information, from which their build ids
# are made, holds paths relative to the build folder), one after the other
# and so at different times, with another time zone, umask and locale, and
# without the compiler cache (so that each build really compiles), then
# compares the two .deb files byte for byte. When they differ, diffoscope
# shows where.
#
#   scripts/check-reproducible.sh      about 20 minutes of CPU time on two cores
#
# Not part of CI. The builds are left in build-reproducible/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" dpkg-dev diffoscope-minimal
out="$root/build-reproducible"
rm -rf "$out"
first="$out/first"
second="$out/second"

echo "== First build in $first"
first_deb="$(CCACHE_DISABLE=1 TZ=UTC LC_ALL=C.UTF-8 bash -c 'umask 022; exec "$0" "$1"' "$root/scripts/package.sh" "$first")"
echo "== Second build in $second"
second_deb="$(CCACHE_DISABLE=1 TZ=Pacific/Kiritimati LC_ALL=C bash -c 'umask 077; exec "$0" "$1"' "$root/scripts/package.sh" "$second")"

sha256sum "$first_deb" "$second_deb"
if cmp -s "$first_deb" "$second_deb"; then
  echo "Reproducible: the two packages are the same, byte for byte."
  exit 0
fi
echo "NOT reproducible: the two packages differ."
diffoscope --text - "$first_deb" "$second_deb" || true
exit 1
