#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Qt that the Windows programs are built with: qtbase and
# qtimageformats 6.4.2 from Debian's own source packages and QtSerialPort
# 6.4.2 from its release tarball, for x86_64-w64-mingw32 with Debian's
# MinGW-w64, using Debian's host Qt for moc, rcc and uic.
#
# The result goes to a folder of the cache (scripts/windows-env.sh) named
# after a hash of the recipe: this script, the patches, the source tarballs'
# checksums, the compiler's and the host Qt's versions. An unchanged recipe
# is reused at once; a changed one is built afresh beside it. The prefix's
# path is printed on standard output, everything else goes to standard error.
#
# Usage: build-windows-qt.sh [QTSERIALPORT_TARBALL_OR_URL]
#   The QtSerialPort tarball (qtserialport-everywhere-src-6.4.2.tar.xz, as
#   released) is taken from the argument, else $TAVREL_QTSERIALPORT_SOURCE,
#   else shared/windows/qtserialport-6.4.2.tar.xz beside the main checkout.
#
# Only what Tavrel uses is built: QtCore, QtGui, QtWidgets, QtTest,
# QtSerialPort, the windows, offscreen and minimal platform plugins, the
# Windows Vista style, and the image plugins gif, ico, jpeg, tiff and webp.
# Qt's own copies of libjpeg, libpng and zlib, which its build makes as
# static libraries, are kept in PREFIX/share/tavrel/3rdparty, so that the
# picture code decodes JPEG and PNG files directly on Windows as it does on
# Linux.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"

qt_version=6.4.2
serialport_sha256=3fcdc849771022d67a1b22efbd9531ae83377c6c2698e3f195df960e512c24f7
patches=("$tavrel_root/packaging/windows/qtbase-6.4.2-fontdatabase-needs-direct2d.patch")

log() { echo "build-windows-qt: $*" >&2; }
die() { log "$*"; exit 1; }

"$tavrel_root/scripts/ensure-deps.sh" "${windows_packages[@]}" dpkg-dev curl >&2

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; elif command -v sudo >/dev/null 2>&1; then sudo "$@"; else
    die "need root or sudo to run: $*"
  fi
}

# apt-get source needs deb-src entries. Where the machine has none for the
# archive that gives it qt6-base-dev, one is added for the same suites.
ensure_source_entries() {
  if apt-get source --print-uris --download-only qt6-base >/dev/null 2>&1; then
    return
  fi
  local entries
  # "500 http://deb.debian.org/debian bookworm/main amd64 Packages"
  entries="$(apt-cache policy qt6-base-dev | awk '$2 ~ /^[a-z]+:\/\// && $3 ~ /\// {split($3, s, "/"); print $2, s[1], s[2]}' | sort -u)"
  [ -n "$entries" ] || die "no apt archive offers qt6-base-dev, so there is no source package to fetch"
  local file=/etc/apt/sources.list.d/tavrel-src.list
  log "adding deb-src entries to $file"
  {
    echo "# Added by Tavrel's scripts/build-windows-qt.sh: the source packages of the Qt it cross-builds."
    while read -r uri suite component; do
      local keyring
      keyring="$(grep -rlsF "$uri" /etc/apt/sources.list.d/*.sources | xargs -r grep -hi '^Signed-By:' | head -1 | awk '{print $2}')"
      if [ -n "$keyring" ]; then
        echo "deb-src [signed-by=$keyring] $uri $suite $component"
      else
        echo "deb-src $uri $suite $component"
      fi
    done <<<"$entries"
  } | as_root tee "$file" >/dev/null
  as_root apt-get update -qq >&2
  apt-get source --print-uris --download-only qt6-base >/dev/null 2>&1 \
    || die "apt-get source still cannot find qt6-base after adding $file"
}

# The QtSerialPort tarball: the argument, the environment, or the shared
# folder beside the main checkout (worktrees share their main checkout's).
find_serialport() {
  local given="${1:-${TAVREL_QTSERIALPORT_SOURCE:-}}"
  if [ -n "$given" ]; then
    echo "$given"
    return
  fi
  local main
  main="$(cd "$(git -C "$tavrel_root" rev-parse --git-common-dir 2>/dev/null || echo "$tavrel_root/.git")/.." && pwd)"
  for candidate in "$main/../shared/windows/qtserialport-$qt_version.tar.xz" \
    "$tavrel_root/../shared/windows/qtserialport-$qt_version.tar.xz"; do
    if [ -f "$candidate" ]; then
      echo "$candidate"
      return
    fi
  done
  die "the QtSerialPort $qt_version release tarball is needed: pass its path or URL, e.g.
  scripts/build-windows-qt.sh https://download.qt.io/archive/qt/6.4/$qt_version/submodules/qtserialport-everywhere-src-$qt_version.tar.xz"
}

mkdir -p "$windows_cache/sources"
exec 9>"$windows_cache/lock"
flock 9 # one build at a time; a second caller then finds it done

ensure_source_entries
source_uris="$(cd "$windows_cache/sources" && apt-get source --print-uris --download-only qt6-base qt6-imageformats 2>/dev/null | grep "\.orig\.tar\.")"
[ "$(wc -l <<<"$source_uris")" -eq 2 ] || die "unexpected source packages: $source_uris"
grep -q "_$qt_version" <<<"$source_uris" || die "Debian's Qt sources are not $qt_version: $source_uris"

serialport="$(find_serialport "${1:-}")"
recipe="$(
  cat "${BASH_SOURCE[0]}" "${patches[@]}"
  awk '{print $2, $4}' <<<"$source_uris"
  echo "$serialport_sha256"
  echo "$mingw_cc $mingw_cxx"
  "$mingw_cxx" -dumpfullversion -dumpmachine
  dpkg-query -W -f='${Version}\n' qt6-base-dev-tools
)"
hash="$(sha256sum <<<"$recipe" | cut -c1-16)"
prefix="$windows_cache/qt-$qt_version-$hash"

if [ -f "$prefix/.complete" ]; then
  touch "$prefix/.complete"
  log "reusing $prefix"
  echo "$prefix"
  exit 0
fi

start="$(date +%s)"
log "building Qt $qt_version for Windows into $prefix (recipe $hash)"
rm -rf "$prefix"
# One work folder, whatever the recipe (the lock keeps builds apart), so
# that a compiler cache sees the same paths from one recipe to the next.
work="$windows_cache/work"
rm -rf "$work"
mkdir -p "$work" "$prefix/share/tavrel"

# Sources.
(cd "$windows_cache/sources" && apt-get source --download-only qt6-base qt6-imageformats >/dev/null 2>"$work/apt-source.log") \
  || { cat "$work/apt-source.log" >&2; die "apt-get source failed"; }
serialport_file="$windows_cache/sources/qtserialport-everywhere-src-$qt_version.tar.xz"
case "$serialport" in
  http://* | https://*) curl -fsSL -o "$serialport_file.part" "$serialport" && mv "$serialport_file.part" "$serialport_file" ;;
  *) cp "$serialport" "$serialport_file" ;;
esac
echo "$serialport_sha256  $serialport_file" | sha256sum -c --quiet - >&2 \
  || die "$serialport is not the QtSerialPort $qt_version release tarball (its SHA-256 differs)"
for package in qt6-base qt6-imageformats; do
  tarball="$(ls "$windows_cache/sources/${package}_$qt_version"*.orig.tar.xz)"
  tar -xJf "$tarball" -C "$work"
done
tar -xJf "$serialport_file" -C "$work"
qtbase="$work/qtbase-everywhere-src-$qt_version"
for patch in "${patches[@]}"; do
  patch -d "$qtbase" -p1 --quiet --forward <"$patch"
done
# Of qtimageformats only the TIFF and WebP readers are wanted.
sed -i -E '/add_subdirectory\((tga|wbmp|icns)\)/d' \
  "$work/qtimageformats-everywhere-src-$qt_version/src/plugins/imageformats/CMakeLists.txt"

# The toolchain lives in the prefix: Qt's own toolchain file loads it from there.
toolchain="$prefix/share/tavrel/mingw-w64.cmake"
cat >"$toolchain" <<EOF
# Debian's MinGW-w64 (posix threads) for 64-bit Windows.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(CMAKE_C_COMPILER $mingw_cc)
set(CMAKE_CXX_COMPILER $mingw_cxx)
set(CMAKE_RC_COMPILER $mingw_triplet-windres)
set(CMAKE_FIND_ROOT_PATH /usr/$mingw_triplet "$prefix")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOF

# The host's pkg-config would offer Linux libraries.
mkdir -p "$work/no-pkg-config"
export PKG_CONFIG_LIBDIR="$work/no-pkg-config" PKG_CONFIG_PATH=""
launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  # Qt compiles with precompiled headers, which ccache takes only so.
  export CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime
  export CCACHE_BASEDIR="$work"
fi
host=(-DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake)
jobs="$(nproc)"

off=(
  # Modules Tavrel does not use.
  sql network dbus xml printsupport concurrent opengl vulkan
  # Parts of QtGui and QtWidgets it does not use.
  tabletevent direct2d pdf textodfwriter textmarkdownwriter sessionmanager systemtrayicon
  graphicsview mdiarea calendarwidget datetimeedit wizard fontdialog fontcombobox columnview
  datawidgetmapper undoview lcdnumber dial splashscreen commandlinkbutton keysequenceedit
  # Third-party code: always the bundled copies, never the host's.
  system-zlib system-pcre2 system-png system-jpeg system-freetype system-harfbuzz
  system-doubleconversion system-textmarkdownreader system-libb2 zstd icu glib fontconfig
)
on=(gui widgets testlib freetype harfbuzz png jpeg gif ico textmarkdownreader accessibility)
features=()
for f in "${off[@]}"; do features+=("-DFEATURE_${f//-/_}=OFF"); done
for f in "${on[@]}"; do features+=("-DFEATURE_${f//-/_}=ON"); done

log "configuring qtbase"
cmake -S "$qtbase" -B "$work/build-qtbase" -G Ninja -Wno-dev \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DCMAKE_INSTALL_PREFIX="$prefix" "${host[@]}" "${launcher[@]}" \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF \
  -DINPUT_opengl=no "${features[@]}" >"$work/configure-qtbase.log" 2>&1 \
  || { tail -40 "$work/configure-qtbase.log" >&2; die "qtbase did not configure (log: $work/configure-qtbase.log)"; }
log "building qtbase ($(ninja -C "$work/build-qtbase" -t commands | wc -l) steps)"
cmake --build "$work/build-qtbase" -j"$jobs" >"$work/build-qtbase.log" 2>&1 \
  || { grep -B2 -A12 -m3 'error' "$work/build-qtbase.log" >&2; die "qtbase did not build (log: $work/build-qtbase.log)"; }
cmake --install "$work/build-qtbase" >/dev/null
thirdparty="$prefix/share/tavrel/3rdparty"
mkdir -p "$thirdparty/include" "$thirdparty/lib"
for library in Libjpeg Libpng ZLIB; do
  cp "$work/build-qtbase/lib/libQt6Bundled$library.a" "$thirdparty/lib/"
done
(cd "$qtbase/src/3rdparty" && cp libjpeg/src/{jpeglib.h,jconfig.h,jmorecfg.h,jerror.h} libpng/{png.h,pngconf.h,pnglibconf.h} \
  zlib/src/{zlib.h,zconf.h} "$thirdparty/include/")
log "qtbase done after $(elapsed_since "$start")"

# The add-on modules build against the new prefix.
for module in qtserialport qtimageformats; do
  extra=()
  [ "$module" = qtimageformats ] && extra=(-DFEATURE_system_tiff=OFF -DFEATURE_system_webp=OFF -DFEATURE_tiff=ON
    -DFEATURE_webp=ON -DFEATURE_mng=OFF -DFEATURE_jasper=OFF)
  cmake -S "$work/$module-everywhere-src-$qt_version" -B "$work/build-$module" -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$prefix" "${host[@]}" "${launcher[@]}" "${extra[@]}" \
    -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF >"$work/configure-$module.log" 2>&1 \
    || { tail -40 "$work/configure-$module.log" >&2; die "$module did not configure (log: $work/configure-$module.log)"; }
  cmake --build "$work/build-$module" -j"$jobs" >"$work/build-$module.log" 2>&1 \
    || { grep -B2 -A12 -m3 'error' "$work/build-$module.log" >&2; die "$module did not build (log: $work/build-$module.log)"; }
  cmake --install "$work/build-$module" >/dev/null
  log "$module done after $(elapsed_since "$start")"
done

for plugin in imageformats/qtiff.dll imageformats/qwebp.dll platforms/qwindows.dll platforms/qoffscreen.dll \
  styles/qwindowsvistastyle.dll; do
  [ -f "$prefix/plugins/$plugin" ] || die "the build made no $plugin"
done

rm -rf "$work"
seconds=$(($(date +%s) - start))
printf 'recipe %s\nbuilt %s in %d s on %s cores\n' "$hash" "$(date -u +%FT%TZ)" "$seconds" "$jobs" >"$prefix/.complete"
log "done in $seconds s"

# Prefixes of older recipes that nothing has used for two weeks go.
find "$windows_cache" -maxdepth 1 -name "qt-*" -type d ! -path "$prefix" | while read -r old; do
  if [ -z "$(find "$old/.complete" -mtime -14 2>/dev/null)" ]; then
    log "removing unused $old"
    rm -rf "$old"
  fi
done
echo "$prefix"
