#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything and runs every test twice: once in a normal build, once
# under AddressSanitizer and UndefinedBehaviorSanitizer. Between the two it
# builds and checks the Debian package, and builds the Windows programs and
# tests them under Wine. Any failure or sanitizer report fails the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" dpkg-dev file lintian desktop-file-utils appstream man-db python3 \
  g++-mingw-w64-x86-64-posix
jobs="$(nproc)"

# A compiler cache, when the machine has one, makes rebuilds across several
# checkouts cheap; nothing depends on it.
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$root")}"
fi

run_suite() {
  local build="$1"; shift
  if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -DTAVREL_WERROR=ON "${launcher[@]}" "$@" >/dev/null
  fi
  cmake --build "$build" -j"$jobs"
  ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

echo "== Tests (normal build)"
run_suite "$root/build-tests" -DCMAKE_BUILD_TYPE=Debug
echo "== Debian package"
deb="$("$root/scripts/package.sh")"
"$root/scripts/check-package.sh" "$deb"
echo "== Windows build, tests under Wine, zip and installer"
"$root/scripts/test-windows.sh"
echo "== Tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
run_suite "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON
