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
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"

"$tavrel_root/scripts/ensure-deps.sh" "${windows_packages[@]}" >&2
start="$(date +%s)"
qt="$("$tavrel_root/scripts/build-windows-qt.sh" "$@")"
echo "build-windows: cross Qt ready after $(elapsed_since "$start")" >&2

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$tavrel_root")}"
fi
# Qt's libjpeg and libpng for the picture code; their zlib is Qt6Core.dll's.
thirdparty="$qt/share/tavrel/3rdparty"
toolchain="$qt/lib/cmake/Qt6/qt.toolchain.cmake"
# A build folder made with another Qt (another recipe) starts afresh.
if [ -f "$windows_build/CMakeCache.txt" ] && ! grep -qF "CMAKE_TOOLCHAIN_FILE:FILEPATH=$toolchain" "$windows_build/CMakeCache.txt"; then
  rm -rf "$windows_build"
fi
if [ ! -f "$windows_build/CMakeCache.txt" ]; then
  cmake -S "$tavrel_root" -B "$windows_build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTAVREL_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    "${launcher[@]}" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$tavrel_root/scripts/wine-run.sh" \
    -DJPEG_INCLUDE_DIR="$thirdparty/include" -DJPEG_LIBRARY="$thirdparty/lib/libQt6BundledLibjpeg.a" \
    -DPNG_PNG_INCLUDE_DIR="$thirdparty/include" -DPNG_LIBRARY="$thirdparty/lib/libQt6BundledLibpng.a" \
    -DZLIB_INCLUDE_DIR="$thirdparty/include" -DZLIB_LIBRARY="$qt/lib/libQt6Core.a" >&2
fi
cmake --build "$windows_build" -j"$(nproc)" >&2
cmake --build "$windows_build" --target windows-deploy >&2
(cd "$windows_build" && cpack -G "ZIP;NSIS" >&2)
echo "build-windows: programs, tests and packages built after $(elapsed_since "$start")" >&2
version="$(sed -n 's/^project(Tavrel VERSION \([0-9.]*\).*/\1/p' "$tavrel_root/CMakeLists.txt")"
for package in "tavrel-$version-windows-x64.zip" "tavrel-$version-setup-x64.exe"; do
  [ -f "$windows_build/$package" ] || { echo "build-windows: $package was not made" >&2; exit 1; }
  echo "build-windows: $package $(du -k "$windows_build/$package" | cut -f1) KiB" >&2
  echo "$windows_build/$package"
done
