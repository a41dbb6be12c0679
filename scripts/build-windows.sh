#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds Tavrel for 64-bit Windows with Debian's MinGW-w64 and the Qt that
# scripts/build-windows-qt.sh makes (built first if needed): tavrel.exe,
# tavrel-cli.exe and the test programs that need no pseudo-terminal, in
# build-windows/; then the deploy folder (build-windows/deploy: the programs
# with the Qt libraries and plugins and the MinGW runtime, stripped) and from
# it tavrel-VERSION-windows-x64.zip and tavrel-VERSION-setup-x64.exe (NSIS),
# whose paths it prints on standard output.
#
# Usage: scripts/build-windows.sh [QTSERIALPORT_TARBALL_OR_URL]   (passed on to build-windows-qt.sh)
#        scripts/build-windows.sh --packages   (only prints the paths of those built before)
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"

version="$(sed -n 's/^project(Tavrel VERSION \([0-9.]*\).*/\1/p' "$tavrel_root/CMakeLists.txt")"
packages=("tavrel-$version-windows-x64.zip" "tavrel-$version-setup-x64.exe")
print_packages() {
  for package in "${packages[@]}"; do
    [ -f "$windows_build/$package" ] || { echo "build-windows: $package was not made" >&2; exit 1; }
    echo "$windows_build/$package"
  done
}
if [ "${1:-}" = "--packages" ]; then
  print_packages
  exit 0
fi

"$tavrel_root/scripts/ensure-deps.sh" "${windows_packages[@]}" >&2
start="$(date +%s)"
qt="$("$tavrel_root/scripts/build-windows-qt.sh" "$@")"
echo "build-windows: cross Qt ready after $(elapsed_since "$start")" >&2

source "$tavrel_root/scripts/build-setup.sh"
tavrel_setup_ccache "$tavrel_root"
launcher=("${tavrel_launcher[@]}")
[ ${#launcher[@]} -eq 0 ] || launcher+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache)
# Qt's libjpeg and libpng for the picture code; their zlib is Qt6Core.dll's.
thirdparty="$qt/share/tavrel/3rdparty"
toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
# A build folder made with another Qt (another recipe) starts afresh.
if [ -f "$windows_build/CMakeCache.txt" ] && ! grep -qE "^CMAKE_TOOLCHAIN_FILE:[A-Z]+=$toolchain\$" "$windows_build/CMakeCache.txt"; then
  rm -rf "$windows_build"
fi
# libwebp and libtiff, as Qt's image formats module bundles them (Debian's
# qt6-imageformats source package, which build-windows-qt.sh fetched):
# packaging/windows/ThirdParty.cmake builds them with the programs.
bundled="$windows_build/3rdparty"
if [ ! -f "$bundled/.complete" ]; then
  tarball="$(ls "$windows_cache"/sources/qt6-imageformats_*.orig.tar.xz 2>/dev/null | head -1)"
  if [ -z "$tarball" ]; then
    (cd "$windows_cache/sources" && apt-get source --download-only qt6-imageformats >/dev/null 2>&1) \
      || { echo "build-windows: apt-get source qt6-imageformats failed" >&2; exit 1; }
    tarball="$(ls "$windows_cache"/sources/qt6-imageformats_*.orig.tar.xz | head -1)"
  fi
  rm -rf "$bundled"
  mkdir -p "$bundled"
  tar -xJf "$tarball" -C "$bundled" --strip-components=3 --wildcards '*/src/3rdparty/libwebp' '*/src/3rdparty/libtiff'
  echo "$(basename "$tarball")" >"$bundled/.complete"
fi
# Configured on every run (a few seconds): a build folder from before keeps
# up with the settings here.
cmake -S "$tavrel_root" -B "$windows_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE:FILEPATH="$toolchain" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  "${launcher[@]}" -DTAVREL_WINDOWS_3RDPARTY="$bundled" \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$tavrel_root/scripts/wine-run.sh" \
  -DJPEG_INCLUDE_DIR="$thirdparty/include" -DJPEG_LIBRARY="$thirdparty/lib/libQt6BundledLibjpeg.a" \
  -DPNG_PNG_INCLUDE_DIR="$thirdparty/include" -DPNG_LIBRARY="$thirdparty/lib/libQt6BundledLibpng.a" \
  -DZLIB_INCLUDE_DIR="$thirdparty/include" -DZLIB_LIBRARY="$qt/lib/libQt6Core.a" >/dev/null
cmake --build "$windows_build" -j"$(nproc)" >&2
cmake --build "$windows_build" --target windows-deploy >&2
(cd "$windows_build" && cpack -G "ZIP;NSIS" >&2)
echo "build-windows: programs, tests and packages built after $(elapsed_since "$start")" >&2
for package in "${packages[@]}"; do
  [ ! -f "$windows_build/$package" ] || echo "build-windows: $package $(du -k "$windows_build/$package" | cut -f1) KiB" >&2
done
print_packages
