#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Windows programs (scripts/build-windows.sh) and tests them under
# Wine, in a Wine prefix made afresh for the run (build-windows/wine-prefix):
#
# 1. every Windows test program through ctest, on the offscreen platform;
# 2. tavrel-cli.exe's convert, save-bmp --as-module and build-slideshow on a
#    set of pictures give files byte for byte those of the Linux tavrel-cli;
# 3. a script (tests/wine/session.tavrel, with Windows line ends) run on the
#    built-in emulator prints what the Linux tavrel-cli prints;
# 4. the serial path: the Linux quennel-emu on a pseudo-terminal that the Wine
#    prefix maps to COM7, and tavrel-cli.exe --port COM7 running the same
#    script: the emulator receives the bytes and the tool prints the texts
#    that the Linux tavrel-cli gives through a pseudo-terminal; --list-ports
#    names COM7;
# 5. tavrel.exe under Xvfb with the windows platform plugin: its window
#    appears (build-windows/wine-tests/panel.png is a screenshot) and a
#    button opens its dialog;
# 6. the installer, silently: the installed tavrel-cli.exe answers
#    --version, the Start-menu entry is there, and the uninstaller removes
#    it all.
#
# The Linux programs compared against come from $TAVREL_LINUX_BUILD, else
# build-tests/ (built here when missing).
#
# Usage: scripts/test-windows.sh [--built] [QTSERIALPORT_TARBALL_OR_URL]
#   --built: the Windows build is done (scripts/test.sh runs
#   build-windows.sh as a stage of its own); only the tests run.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"
built=no
if [ "${1:-}" = "--built" ]; then
  built=yes
  shift
fi

"$tavrel_root/scripts/ensure-deps.sh" "${windows_packages[@]}" "${wine_packages[@]}" xdotool fonts-dejavu-core >&2
start="$(date +%s)"
step_start="$start"
step() {
  echo "test-windows: $1 ($(($(date +%s) - step_start)) s)" >&2
  step_start="$(date +%s)"
}
fail() {
  echo "test-windows: FAILED: $*" >&2
  exit 1
}

if [ "$built" = yes ]; then
  mapfile -t packages < <("$tavrel_root/scripts/build-windows.sh" --packages)
else
  mapfile -t packages < <("$tavrel_root/scripts/build-windows.sh" "$@")
fi
[ "${#packages[@]}" = 2 ] || fail "the Windows build names no zip and installer"
zip_package="${packages[0]}"
setup_package="${packages[1]}"
step "Windows build ready"

# The Linux programs to compare with.
linux_build="${TAVREL_LINUX_BUILD:-$tavrel_root/build-tests}"
if [ ! -f "$linux_build/CMakeCache.txt" ]; then
  cmake -S "$tavrel_root" -B "$linux_build" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$linux_build" -j"$(nproc)" --target tavrel-cli quennel-emu >/dev/null
linux_cli="$linux_build/src/tavrel-cli"
linux_emu="$linux_build/src/quennel-emu"
cli_exe="$windows_build/src/tavrel-cli.exe"
panel_exe="$windows_build/src/tavrel.exe"

work="$windows_build/wine-tests"
rm -rf "$work"
mkdir -p "$work"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  if [ -n "${WINEPREFIX:-}" ] && [ -d "$WINEPREFIX" ]; then
    "$wineserver" -k 2>/dev/null || true
  fi
}
trap cleanup EXIT

# A fresh Wine prefix. Wine hands no QT_* variable to Windows programs, so
# the prefix's own environment carries what the tests need.
export WINEPREFIX="$windows_build/wine-prefix"
wine_user="$(id -un)"  # Wine's user folder is named after the Linux user
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Ends the prefix's Wine server and every program of the prefix with it.
stop_wine_server() {
  "$wineserver" -k 2>/dev/null || true
  "$wineserver" -w
}
if [ -d "$WINEPREFIX" ]; then
  stop_wine_server
fi
rm -rf "$WINEPREFIX"
"$wine" wineboot --init >/dev/null 2>&1
wine_reg() { "$wine" reg add "$@" /f >/dev/null 2>&1; }
wine_reg 'HKCU\Environment' /v QT_QPA_PLATFORM /t REG_SZ /d offscreen
wine_reg 'HKCU\Environment' /v QT_LOGGING_RULES /t REG_SZ /d 'qt.qpa.*=false'
# Qt writes to the debugger, not to standard error, from a program without a
# console window, as every program Wine runs here is.
wine_reg 'HKCU\Environment' /v QT_FORCE_STDERR_LOGGING /t REG_SZ /d 1
# The offscreen platform of a Windows Qt reads fonts from a folder, not from
# the system: the DejaVu fonts the Linux tests draw with.
wine_reg 'HKCU\Environment' /v QT_QPA_FONTDIR /t REG_SZ /d 'Z:\usr\share\fonts\truetype\dejavu'
# The serial tests' port: a link to the emulator's pseudo-terminal.
com_link="$work/com7"
wine_reg 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$com_link"
"$wineserver" -w
# One Wine server for the tests, kept running until the installer's turn: a
# server that a test program started would hold that program's standard
# error, and write its list of objects there when it stops.
"$wineserver" -p >"$work/wineserver.log" 2>&1
# The first program on a new server starts the prefix's services, which keep
# its standard output and error while the server runs: this one, not a test.
"$wine" cmd /c exit >"$work/wine-services.log" 2>&1
step "Wine prefix made"

# 1. The test programs.
ctest --test-dir "$windows_build" -j"$(nproc)" --timeout 900 --output-on-failure >&2 || fail "test programs under Wine"
step "test programs passed under Wine"

# Each run of a Windows program is bounded, so that a program that hangs
# under Wine fails the stage instead of holding it until CI's own limit.
win() {
  local status=0
  timeout -k 10 "${TAVREL_WINE_RUN_LIMIT:-300}" "$tavrel_root/scripts/wine-run.sh" "$@" || status=$?
  [ "$status" != 124 ] && [ "$status" != 137 ] || echo "test-windows: $* ran for more than ${TAVREL_WINE_RUN_LIMIT:-300} s" >&2
  return "$status"
}

# 2. Picture files, made with ImageMagick in the formats the picture code reads.
magick=""
for candidate in convert-im6.q16 convert-im7.q16 /usr/bin/convert; do
  if command -v "$candidate" >/dev/null 2>&1; then magick="$(command -v "$candidate")"; break; fi
done
[ -n "$magick" ] || fail "ImageMagick's convert not found"
pictures="$work/pictures"
mkdir -p "$pictures"
"$magick" -seed 7 -size 320x200 plasma:orange-blue "$pictures/plasma.ppm"
"$magick" "$pictures/plasma.ppm" -quality 85 "$pictures/baseline.jpg"
"$magick" "$pictures/plasma.ppm" -quality 70 -interlace JPEG "$pictures/progressive.jpg"
"$magick" "$pictures/plasma.ppm" -colorspace Gray -quality 90 "$pictures/grey.jpg"
"$magick" -size 150x90 gradient:red-yellow "$pictures/gradient.png"
"$magick" "$pictures/plasma.ppm" -colors 50 "PNG8:$pictures/palette.png"
"$magick" -size 97x65 gradient:white-black -depth 16 "$pictures/grey16.png"
"$magick" -size 120x80 radial-gradient:'rgba(0,255,0,1)'-'rgba(0,0,255,0)' "PNG32:$pictures/alpha.png"
"$magick" "$pictures/plasma.ppm" -resize 64x40 "$pictures/small.gif"
"$magick" "$pictures/plasma.ppm" -resize 200x100! "BMP3:$pictures/wide.bmp"
"$magick" "$pictures/plasma.ppm" -quality 80 "$pictures/lossy.webp"
"$magick" "$pictures/plasma.ppm" -define webp:lossless=true "$pictures/lossless.webp"
"$magick" "$pictures/alpha.png" -quality 90 "$pictures/alpha.webp"
"$magick" -seed 3 -size 800x520 plasma:green-purple -quality 75 "$pictures/large.webp"
"$magick" "$pictures/plasma.ppm" -compress LZW "$pictures/lzw.tif"
"$magick" "$pictures/gradient.png" -depth 16 -compress Zip "$pictures/deflate16.tif"
"$magick" "$pictures/plasma.ppm" -define tiff:tile-geometry=64x64 -compress None "$pictures/tiled.tif"
mapfile -t picture_files < <(find "$pictures" -type f | sort)

compare_outputs() { # what; then pairs of files that must be equal
  local what="$1"
  shift
  while [ $# -gt 0 ]; do
    cmp -s "$1" "$2" || fail "$what: $2 differs from $1"
    shift 2
  done
}

for side in linux windows; do mkdir -p "$work/$side"; done
run_both() { # name, then the arguments with OUT for the output file
  local name="$1" arg
  shift
  local linux_args=() windows_args=()
  for arg in "$@"; do
    linux_args+=("${arg//OUT/$work/linux/$name}")
    windows_args+=("${arg//OUT/$work/windows/$name}")
  done
  local linux_status=0 windows_status=0
  "$linux_cli" "${linux_args[@]}" >"$work/linux/$name.out" 2>&1 || linux_status=$?
  win "$cli_exe" "${windows_args[@]}" >"$work/windows/$name.out" 2>&1 || windows_status=$?
  if [ "$linux_status" != "$windows_status" ]; then
    # Once more with Wine's own errors shown, so that the log tells a fault
    # of the program from one of Wine's; the stage fails either way.
    local again=0
    WINEDEBUG=err+all,+seh win "$cli_exe" "${windows_args[@]}" >"$work/windows/$name.again" 2>&1 || again=$?
    {
      echo "test-windows: $name under Wine printed:"
      cat "$work/windows/$name.out"
      echo "test-windows: run again with Wine's errors shown, exit status $again:"
      tail -n 40 "$work/windows/$name.again"
    } >&2
    fail "$name: exit status $windows_status, on Linux $linux_status"
  fi
  # The printed texts name the output file, whose folder differs.
  sed -i "s|$work/windows/|OUT/|g; s|$work/linux/|OUT/|g" "$work/linux/$name.out" "$work/windows/$name.out"
  compare_outputs "$name" "$work/linux/$name.out" "$work/windows/$name.out"
  if [ -e "$work/linux/$name" ] || [ -e "$work/windows/$name" ]; then
    compare_outputs "$name" "$work/linux/$name" "$work/windows/$name"
  fi
}
for picture in "${picture_files[@]}"; do
  base="$(basename "$picture")"
  run_both "$base.dat" convert "$picture" OUT
  run_both "$base.max8.dat" convert "$picture" OUT --maximize --depth 8 --dither
  run_both "$base.module.bmp" save-bmp "$picture" OUT --as-module --resize 40x30 --depth 8
  run_both "$base.bmp" save-bmp "$picture" OUT
done
run_both slideshow.dat build-slideshow OUT "${picture_files[@]}" --maximize
# The Windows build has no Qt SVG: an SVG file is refused with the reason,
# and nothing is written.
svg_status=0
win "$cli_exe" convert "$tavrel_root/src/resources/icons/tavrel.svg" "$work/windows/logo.dat" \
  >"$work/windows/logo.out" 2>&1 || svg_status=$?
[ "$svg_status" = 1 ] && grep -q "which this build of Tavrel cannot draw" "$work/windows/logo.out" \
  && [ ! -e "$work/windows/logo.dat" ] || fail "an SVG file under Wine: exit status $svg_status, $(cat "$work/windows/logo.out")"
step "convert, save-bmp and build-slideshow: ${#picture_files[@]} pictures, the same files as on Linux; SVG refused"

# 3. A script on the built-in emulator, with Windows line ends for Windows.
sed "s|PICTURE|$pictures/baseline.jpg|" "$tavrel_root/tests/wine/session.tavrel" >"$work/session.tavrel"
sed 's/$/\r/' "$work/session.tavrel" >"$work/session-crlf.tavrel"
# Both built-in emulators start with an empty card.
export XDG_DATA_HOME="$work/linux-data"
rm -rf "$WINEPREFIX/drive_c/users/$wine_user/AppData/Roaming/tavrel-cli"
session_status=0
"$linux_cli" --port emulator run "$work/session.tavrel" >"$work/linux/emulator.out" 2>"$work/linux/emulator.err" || session_status=$?
windows_status=0
win "$cli_exe" --port emulator run "$work/session-crlf.tavrel" >"$work/windows/emulator.out" \
  2>"$work/windows/emulator.err" || windows_status=$?
[ "$session_status" = 0 ] || fail "the script on Linux's built-in emulator: exit status $session_status"
[ "$windows_status" = 0 ] || fail "the script on the built-in emulator under Wine: exit status $windows_status"
compare_outputs "the script on the built-in emulator" "$work/linux/emulator.out" "$work/windows/emulator.out" \
  "$work/linux/emulator.err" "$work/windows/emulator.err"
step "a script on the built-in emulator prints what it prints on Linux"

# 4. Through a serial port: quennel-emu on a pseudo-terminal, reached as COM7.
serial_run() { # side: starts an emulator with an empty card, runs the script, stops the emulator
  local side="$1" status=0
  mkdir -p "$work/$side-card"
  rm -f "$com_link"
  "$linux_emu" --headless --card "$work/$side-card" --link "$com_link" --received-file "$work/$side/received.bin" \
    >"$work/$side/emulator.log" 2>&1 &
  local emulator=$!
  pids+=("$emulator")
  for _ in $(seq 100); do [ -e "$com_link" ] && break; sleep 0.1; done
  [ -e "$com_link" ] || fail "quennel-emu made no pseudo-terminal"
  if [ "$side" = linux ]; then
    "$linux_cli" --port "$com_link" run "$work/session.tavrel" >"$work/$side/serial.out" 2>"$work/$side/serial.err" || status=$?
  else
    win "$cli_exe" --port COM7 run "$work/session-crlf.tavrel" >"$work/$side/serial.out" 2>"$work/$side/serial.err" \
      || status=$?
    win "$cli_exe" --list-ports >"$work/$side/ports.out"
  fi
  kill "$emulator"
  wait "$emulator" 2>/dev/null || true
  [ "$status" = 0 ] || fail "the script through the serial port ($side): exit status $status, $(cat "$work/$side/serial.err")"
}
serial_run linux
serial_run windows
compare_outputs "the script through COM7" "$work/linux/received.bin" "$work/windows/received.bin" \
  "$work/linux/serial.out" "$work/windows/serial.out" "$work/linux/serial.err" "$work/windows/serial.err"
grep -q "^COM7\b" "$work/windows/ports.out" || fail "--list-ports does not name COM7: $(cat "$work/windows/ports.out")"
step "through COM7: the emulator received $(stat -c %s "$work/linux/received.bin") bytes, as from Linux, and the texts are Linux's"

# 5. The panel with the windows platform plugin. The server the tests shared
# and its services knew no display: the panel's start afresh on Xvfb's.
stop_wine_server
xvfb-run -a -s '-screen 0 1280x800x24' bash "$tavrel_root/tests/wine/panel-check.sh" "$panel_exe" "$work" >&2 \
  || fail "the panel under Xvfb"
step "the panel's window appears and a button opens its dialog"

# 6. The installer, silently: for all users (Wine's user is an
# administrator), then for the current user alone. The panel's server stops
# first, so that waiting for the server to end waits for the installer's and
# the uninstaller's processes. The installed programs start as on a user's
# machine, on the windows platform: the tests' choice of the offscreen one
# goes.
stop_wine_server
"$wine" reg delete 'HKCU\Environment' /v QT_QPA_PLATFORM /f >/dev/null 2>&1
"$wineserver" -w
unset WINEPATH
start_menu_all="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs"
start_menu_own="$WINEPREFIX/drive_c/users/$wine_user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"
install_check() { # mode, Windows folder, its Linux path, Start-menu folder
  local mode="$1" folder="$2" installed="$3" menu="$4" version
  (cd "$(dirname "$setup_package")" && "$wine" "$(basename "$setup_package")" /S "/$mode" >/dev/null 2>&1) \
    || fail "the installer (/$mode)"
  "$wineserver" -w
  [ -f "$installed/tavrel.exe" ] && [ -f "$installed/platforms/qwindows.dll" ] \
    || fail "the installer (/$mode) left no Tavrel in $installed"
  version="$("$wine" "$folder\\tavrel-cli.exe" --version 2>&1 | tr -d '\r')"
  [[ "$version" == "tavrel-cli "* ]] || fail "the installed tavrel-cli.exe --version says: $version"
  [ -f "$menu/Tavrel.lnk" ] || fail "no Start-menu entry (/$mode)"
  # The uninstaller runs a copy of itself from the temporary folder and
  # leaves at once; wineserver -w waits for that copy.
  "$wine" "$folder\\Uninstall.exe" /S "/$mode" >/dev/null 2>&1 || fail "the uninstaller (/$mode)"
  "$wineserver" -w
  [ ! -e "$installed" ] || fail "the uninstaller (/$mode) left $(find "$installed" | head -5)"
  [ ! -e "$menu/Tavrel.lnk" ] || fail "the uninstaller (/$mode) left the Start-menu entry"
  echo "$version"
}
version="$(install_check AllUsers 'C:\Program Files\Tavrel' "$WINEPREFIX/drive_c/Program Files/Tavrel" "$start_menu_all")"
install_check CurrentUser "C:\\users\\$wine_user\\AppData\\Local\\Programs\\Tavrel" \
  "$WINEPREFIX/drive_c/users/$wine_user/AppData/Local/Programs/Tavrel" "$start_menu_own" >/dev/null
step "the installer installs for all users and for one ($version), the uninstaller removes it"

echo "test-windows: all passed in $(($(date +%s) - start)) s ($(basename "$zip_package"), $(basename "$setup_package"))" >&2
