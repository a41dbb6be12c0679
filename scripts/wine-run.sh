#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs a Windows program of the Windows build under Wine: how ctest runs the
# Windows test programs (build-windows is configured with this script as
# CMAKE_CROSSCOMPILING_EMULATOR), and how scripts/test-windows.sh runs the
# others. The Wine prefix is $WINEPREFIX, else build-windows/wine-prefix,
# which scripts/test-windows.sh makes; the Qt libraries and the MinGW
# runtime are found through WINEPATH.
#
# Wine passes no variable whose name starts with QT_ to Windows programs:
# scripts/test-windows.sh sets those the tests need in the prefix itself.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"

export WINEPREFIX="${WINEPREFIX:-$windows_build/wine-prefix}"
if [ ! -d "$WINEPREFIX" ]; then
  echo "wine-run: no Wine prefix at $WINEPREFIX (scripts/test-windows.sh makes one)" >&2
  exit 1
fi
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
if [ -z "${WINEPATH:-}" ]; then
  toolchain="$(sed -n 's/^CMAKE_TOOLCHAIN_FILE:[A-Z]*=//p' "$windows_build/CMakeCache.txt")"
  qt="${toolchain%/lib/cmake/Qt6/qt.toolchain.cmake}"
  folders=("$qt/bin")
  for runtime in libstdc++-6.dll libwinpthread-1.dll; do
    folders+=("$(dirname "$("$mingw_cxx" -print-file-name="$runtime")")")
  done
  WINEPATH=""
  for folder in "${folders[@]}"; do
    WINEPATH+="${WINEPATH:+;}Z:${folder//\//\\}"
  done
  export WINEPATH
fi
exec "$wine" "$@"
