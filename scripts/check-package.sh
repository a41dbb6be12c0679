#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks a built Debian package the way a user meets it: lintian (errors
# and warnings fail), then, unpacked into a scratch folder, the programs' --version and
# --help, one tavrel-cli command against the unpacked quennel-emu on a
# pseudo-terminal, the desktop entry and metainfo through their validators,
# every man page through man, and the bash completion through bash.
#
#   scripts/check-package.sh build-package/tavrel_1.0_amd64.deb
set -uo pipefail
deb="$(realpath "$1")"
scratch="$(mktemp -d)"
emulator_pid=""
cleanup() {
  [ -n "$emulator_pid" ] && kill "$emulator_pid" 2>/dev/null
  rm -rf "$scratch"
}
trap cleanup EXIT

passed=0
failed=0
check() {  # check NAME COMMAND...: runs the command, shows its output on failure
  local name="$1"; shift
  local output
  if output="$("$@" 2>&1)"; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failed=$((failed + 1)); echo "FAIL $name"; printf '%s\n' "$output" | sed 's/^/     /'
  fi
}
# contains TEXT COMMAND...: the command succeeds and prints TEXT
contains() {
  local text="$1"; shift
  local output
  output="$("$@" 2>&1)" || { printf '%s\n' "$output"; return 1; }
  grep -qF -- "$text" <<<"$output" || { printf 'expected "%s" in:\n%s\n' "$text" "$output"; return 1; }
}

echo "== Package $(basename "$deb")"
dpkg-deb --field "$deb" Package Version Architecture Depends Installed-Size
echo "== lintian"
lintian_out="$(lintian --fail-on error,warning --display-info --pedantic "$deb" 2>&1)"
lintian_status=$?
lintian_out="$(grep -v "^running with root privileges" <<<"$lintian_out" || true)"
printf '%s\n' "${lintian_out:-(no tags)}"
check "lintian reports no errors or warnings" test "$lintian_status" -eq 0

root="$scratch/root"
dpkg-deb -x "$deb" "$root"
bin="$root/usr/bin"
version="$(dpkg-deb --field "$deb" Version)"
app_id="$(basename "$(ls "$root"/usr/share/applications/*.desktop)" .desktop)"

echo "== Unpacked programs"
check "tavrel-cli --version" contains "tavrel-cli $version" "$bin/tavrel-cli" --version
check "tavrel-cli --help" contains "Usage: tavrel-cli" "$bin/tavrel-cli" --help
check "tavrel --version" contains "tavrel $version" env -u DISPLAY -u WAYLAND_DISPLAY "$bin/tavrel" --version
check "quennel-emu --version" contains "quennel-emu $version" "$bin/quennel-emu" --version

# The unpacked emulator on a pseudo-terminal; its first line is the device.
mkdir -p "$scratch/card"
"$bin/quennel-emu" --headless --card "$scratch/card" >"$scratch/emu.out" 2>"$scratch/emu.err" &
emulator_pid=$!
for _ in $(seq 100); do
  [ -s "$scratch/emu.out" ] && break
  sleep 0.1
done
pty="$(head -n1 "$scratch/emu.out")"
check "tavrel-cli set-pixel on quennel-emu ($pty)" contains "> Command Acknowledged" \
  env HOME="$scratch" "$bin/tavrel-cli" --port "$pty" set-pixel 95 63
kill "$emulator_pid" 2>/dev/null; wait "$emulator_pid" 2>/dev/null; emulator_pid=""

echo "== Desktop integration"
check "desktop-file-validate $app_id.desktop" \
  desktop-file-validate "$root/usr/share/applications/$app_id.desktop"
check "appstreamcli validate --no-net $app_id.metainfo.xml" \
  appstreamcli validate --no-net "$root/usr/share/metainfo/$app_id.metainfo.xml"
check "icon $app_id.svg" test -s "$root/usr/share/icons/hicolor/scalable/apps/$app_id.svg"
for size in 16 24 32 48 64 128 256; do
  check "icon ${size}x$size" contains "${size} x ${size}" file "$root/usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
done
check "copyright" contains "License: GPL-3.0-or-later" cat "$root/usr/share/doc/tavrel/copyright"
# The menu entry starts the program by its full path, so that it works from
# a prefix that is not on PATH.
check "desktop entry starts /usr/bin/tavrel" contains "Exec=/usr/bin/tavrel" cat "$root/usr/share/applications/$app_id.desktop"
check "metainfo names the licence" contains "<project_license>GPL-3.0-or-later</project_license>" \
  cat "$root/usr/share/metainfo/$app_id.metainfo.xml"

echo "== Man pages"
for program in tavrel tavrel-cli quennel-emu; do
  page="$root/usr/share/man/man1/$program.1.gz"
  # man -l renders the file itself; groff's warnings would show on stderr.
  check "man -l $program.1" bash -c '
    out="$(MANWIDTH=80 man -l "$1" 2>"$2/man.err")" || exit 1
    [ ! -s "$2/man.err" ] || { cat "$2/man.err"; exit 1; }
    grep -q "^NAME" <<<"$out" && grep -q -- "$3 " <<<"$out" && grep -q -- "--help" <<<"$out" \
      || { printf "%s\n" "$out" | head -20; exit 1; }' _ "$page" "$scratch" "$program"
done

echo "== Bash completion"
completion="$root/usr/share/bash-completion/completions/tavrel-cli"
check "completion of tavrel-cli commands" contains "print-text-string" bash -c '
  source "$1" && complete -p tavrel-cli >/dev/null &&
  COMP_WORDS=(tavrel-cli print-t) COMP_CWORD=1 && _tavrel_cli && printf "%s\n" "${COMPREPLY[@]}"' _ "$completion"

echo "Package check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
