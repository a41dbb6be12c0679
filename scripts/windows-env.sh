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
