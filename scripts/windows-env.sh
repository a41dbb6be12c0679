# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the Windows scripts (sourced, not run): where the cross-built Qt,
# the Windows build and the Wine prefix live, and the names of the MinGW-w64
# and Wine programs they use.

tavrel_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The cross-built Qt is shared by every checkout on the machine, and kept
# outside all of them, under one folder per recipe.
windows_cache="${TAVREL_WINDOWS_CACHE:-${XDG_CACHE_HOME:-$HOME/.cache}/tavrel/windows}"

mingw_triplet=x86_64-w64-mingw32
mingw_cc="$mingw_triplet-gcc-posix"
mingw_cxx="$mingw_triplet-g++-posix"
mingw_strip="$mingw_triplet-strip"

# Debian's wine64 has no wine64 on PATH; its loader is here.
wine="${TAVREL_WINE:-/usr/lib/wine/wine64}"
wineserver="${TAVREL_WINESERVER:-/usr/lib/wine/wineserver64}"

# The Debian packages the Windows scripts need on top of the Linux build's.
windows_packages=(g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 qt6-base-dev-tools ninja-build
  xz-utils nsis zip unzip)
wine_packages=(wine64 xvfb x11-utils imagemagick)

# The build folder of the Windows programs, beside the Linux ones.
windows_build="${TAVREL_WINDOWS_BUILD:-$tavrel_root/build-windows}"

elapsed_since() {
  local start="$1"
  echo "$(($(date +%s) - start)) s"
}

# The QtSerialPort release tarball for scripts/build-windows-qt.sh, when the
# caller names none and there is no shared folder beside the main checkout
# (a fresh clone elsewhere, as in CI): Qt's own archive, fetched only when
# the cross Qt is built. The script checks the tarball's checksum.
if [ -z "${TAVREL_QTSERIALPORT_SOURCE:-}" ]; then
  # (git names the common folder relative to the checkout when it is the
  # checkout's own .git.)
  tavrel_main_checkout="$(cd "$tavrel_root" && cd "$(git rev-parse --git-common-dir 2>/dev/null || echo .git)/.." 2>/dev/null \
    && pwd || echo "$tavrel_root")"
  if [ ! -f "$tavrel_main_checkout/../shared/windows/qtserialport-6.4.2.tar.xz" ] \
    && [ ! -f "$tavrel_root/../shared/windows/qtserialport-6.4.2.tar.xz" ]; then
    export TAVREL_QTSERIALPORT_SOURCE=https://download.qt.io/archive/qt/6.4/6.4.2/submodules/qtserialport-everywhere-src-6.4.2.tar.xz
  fi
fi
