#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package: a release build of the three programs with
# Debian's standard (hardening) build flags, installed under /usr and packed
# by CPack into build-package/tavrel_<version>_<arch>.deb. Prints the
# package's path. The library dependencies are computed by dpkg-shlibdeps.
#
#   ./scripts/package.sh && sudo apt-get install ./build-package/tavrel_*.deb
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" dpkg-dev file
build="${TAVREL_PACKAGE_BUILD:-$root/build-package}"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  # Debian's flags are read at configure time, as a package build would.
  CXXFLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
  LDFLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=None -DBUILD_TESTING=OFF \
      -DCMAKE_INSTALL_PREFIX=/usr "${launcher[@]}" >/dev/null
fi
cmake --build "$build" -j"$(nproc)" >&2
rm -f "$build"/tavrel_*.deb
(cd "$build" && cpack -G DEB) >&2
ls "$build"/tavrel_*.deb
