#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds everything and runs every test twice: in the release build (the
# flags Debian's package build uses, with Qt's assertions kept), from which
# the Debian package is then made and checked, and in a build under
# AddressSanitizer and UndefinedBehaviorSanitizer. Between the two it
# type-checks the Windows code with MinGW-w64. Any failure or sanitizer
# report fails the run. At the end it prints each stage's wall-clock and
# CPU time (user + system, of everything the stage ran).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" dpkg-dev file lintian desktop-file-utils appstream man-db python3 \
  g++-mingw-w64-x86-64-posix
source "$root/scripts/build-setup.sh"
tavrel_setup_ccache "$root"
tavrel_setup_release_date "$root"
jobs="$(nproc)"

stage_lines=()
stage_name=""
# The CPU time of this shell's finished children, in clock ticks.
children_ticks() { awk '{ print $16 + $17 }' "/proc/$$/stat"; }
ticks_per_second="$(getconf CLK_TCK)"
stage() {  # stage NAME: ends the stage before, if any, and starts NAME
  stage_end
  stage_name="$1"
  stage_wall="$(date +%s.%N)"
  stage_cpu="$(children_ticks)"
  echo "== $stage_name"
}
stage_end() {
  [ -n "$stage_name" ] || return 0
  stage_lines+=("$(awk -v name="$stage_name" -v w0="$stage_wall" -v w1="$(date +%s.%N)" \
    -v c0="$stage_cpu" -v c1="$(children_ticks)" -v hz="$ticks_per_second" \
    'BEGIN { printf "  %-44s %8.1f s wall %8.1f s CPU\n", name, w1 - w0, (c1 - c0) / hz }')")
  stage_name=""
}
print_stages() {
  local status=$?
  stage_end
  echo "== Stage times"
  printf '%s\n' "${stage_lines[@]}"
  [ -n "${CCACHE_DIR:-}" ] && echo "  (compiler cache: $CCACHE_DIR)"
  return $status
}
trap print_stages EXIT

release="$root/build-release"
sanitize="$root/build-sanitize"
prefix_map="-ffile-prefix-map=$root=."

stage "Licence lines"
"$root/scripts/check-spdx.sh"

stage "Release build (Debian's flags, assertions kept)"
if [ ! -f "$release/CMakeCache.txt" ]; then
  tavrel_configure_release "$root" "$release" -DTAVREL_WERROR=ON -DTAVREL_ASSERTIONS=ON
fi
cmake --build "$release" -j"$jobs"

stage "Tests (release build)"
ctest --test-dir "$release" --output-on-failure -j"$jobs"

stage "Debian package (from the release build)"
deb="$("$root/scripts/package.sh" "$release")"
"$root/scripts/check-package.sh" "$deb"

stage "Windows compile check (MinGW-w64)"
python3 "$root/scripts/check-windows-compile.py" "$release"

stage "Sanitizer build (ASan + UBSan)"
if [ ! -f "$sanitize/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$sanitize" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTAVREL_SANITIZE=ON -DTAVREL_WERROR=ON \
    "-DCMAKE_CXX_FLAGS=$prefix_map" "${tavrel_launcher[@]}" >/dev/null
fi
cmake --build "$sanitize" -j"$jobs"

stage "Tests (AddressSanitizer + UndefinedBehaviorSanitizer)"
ctest --test-dir "$sanitize" --output-on-failure -j"$jobs"
