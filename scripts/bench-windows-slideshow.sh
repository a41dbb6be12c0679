#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Part of scripts/bench-slideshow.sh: builds the same "Maximize" slideshow
# with the Windows tavrel-cli.exe (scripts/build-windows.sh) under Wine and
# compares its processor time with the Linux build's; prints the ratio (goal:
# at most 1.5) and checks that the file is the Linux build's byte for byte.
#
# The Windows time is that of the Wine process running tavrel-cli.exe (user
# + system) plus what the Wine server spent meanwhile, measured on a server
# this script starts and keeps for the runs, in a Wine prefix of its own
# (build-bench/wine-prefix, made once).
#
# Usage: bench-windows-slideshow.sh RUNS LINUX_CPU_MS LINUX_SLIDESHOW PHOTO...
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/windows-env.sh"
runs="$1"
linux_cpu_ms="$2"
linux_slideshow="$3"
shift 3

"$tavrel_root/scripts/ensure-deps.sh" "${wine_packages[@]}"
cli="$windows_build/src/tavrel-cli.exe"
# An up-to-date Windows build is taken as it is (TAVREL_BENCH_NO_BUILD=1).
[ "${TAVREL_BENCH_NO_BUILD:-0}" = 1 ] && [ -f "$cli" ] || "$tavrel_root/scripts/build-windows.sh" >/dev/null

export WINEPREFIX="$tavrel_root/build-bench/wine-prefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  "$wine" wineboot --init >/dev/null 2>&1
  "$wineserver" -w
fi
work="$(mktemp -d)"
"$wineserver" -k 2>/dev/null || true
"$wineserver" -f -p &
server=$!
# wineserver -k ends the prefix's services with the server; killing the
# server alone would leave them holding this script's output.
trap '"$wineserver" -k 2>/dev/null || true; wait "$server" 2>/dev/null || true; rm -rf "$work"' EXIT
# A first run starts the prefix's own services, which are not the tool's and
# keep that run's standard output and error.
"$tavrel_root/scripts/wine-run.sh" "$cli" --version >/dev/null 2>&1

server_cpu_ms() {
  awk -v hz="$(getconf CLK_TCK)" '{ printf "%d\n", ($14 + $15) * 1000 / hz }' "/proc/$server/stat"
}
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
cpu=()
for ((run = 1; run <= runs; run++)); do
  before="$(server_cpu_ms)"
  TIMEFORMAT='%U %S'
  times=$( { time "$tavrel_root/scripts/wine-run.sh" "$cli" build-slideshow "$work/slideshow.dat" "$@" --maximize \
    >/dev/null 2>&1; } 2>&1 )
  after="$(server_cpu_ms)"
  cpu+=("$(awk -v t="$times" -v s="$((after - before))" 'BEGIN { split(t, p, " "); printf "%d", (p[1] + p[2]) * 1000 + s }')")
done
windows_cpu_ms="$(printf '%s\n' "${cpu[@]}" | median)"
ratio="$(awk -v w="$windows_cpu_ms" -v l="$linux_cpu_ms" 'BEGIN { printf "%.2f", w / (l > 0 ? l : 1) }')"
echo "Windows tavrel-cli.exe under Wine, the same slideshow ($runs runs, medians)"
echo "  processor time: ${windows_cpu_ms} ms (runs: ${cpu[*]}), Linux: ${linux_cpu_ms} ms"
echo "  ratio: ${ratio}x (goal: at most 1.5x)"
ok=yes
if cmp -s "$linux_slideshow" "$work/slideshow.dat"; then
  echo "  byte-identical to the Linux build's: yes"
else
  echo "  byte-identical to the Linux build's: NO"
  ok=no
fi
awk -v r="$ratio" 'BEGIN { exit !(r <= 1.5) }' || ok=no
[ "$ok" = yes ]
