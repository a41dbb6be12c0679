#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Mutation probe: does the test suite notice when one line of the program goes
# wrong? Each fault of scripts/mutation-faults.txt is applied, on its own, to
# a scratch copy of the tree; the copy is rebuilt incrementally and the whole
# test suite runs; then the fault is reverted. The probe prints every fault
# with CAUGHT (some test failed), MISSED (every test passed), NO-BUILD (the
# fault does not compile, so it probes nothing) or STALE (its text is no
# longer found exactly once: update the list), and the counts at the end.
#
#   scripts/mutation-probe.sh                 every fault
#   scripts/mutation-probe.sh emulator link   only faults whose tag is named
#   scripts/mutation-probe.sh --match REGEX   only faults whose title matches
#
# It is not part of CI: on two cores the whole list takes about an hour.
# The scratch copy lives in $TAVREL_PROBE_DIR (default: a folder under /tmp
# named after the checkout) and is kept between runs, so later runs only
# rebuild what a fault touches. The exit status is 0 when every fault that
# builds was caught.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
faults="$root/scripts/mutation-faults.txt"
scratch="${TAVREL_PROBE_DIR:-/tmp/tavrel-mutation-probe-$(echo "$root" | md5sum | cut -c1-8)}"
jobs="$(nproc)"
"$root/scripts/ensure-deps.sh"

launcher=()
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(dirname "$scratch")}"
  # The debug information may name the other folder; the probe never reads it.
  export CCACHE_NOHASHDIR=1
fi

# The scratch copy: the checkout's tracked and new files as they are now.
mkdir -p "$scratch/tree"
# Files whose bytes did not change are not touched, so the build
# after a sync is incremental.
(cd "$root" && git ls-files -z --cached --others --exclude-standard) | python3 -c '
import os, shutil, sys
src, dst = sys.argv[1], sys.argv[2]
names = {n for n in sys.stdin.buffer.read().decode().split("\0") if n and os.path.isfile(os.path.join(src, n))}
for name in names:
    a, b = os.path.join(src, name), os.path.join(dst, name)
    if os.path.isfile(b) and open(a, "rb").read() == open(b, "rb").read():
        continue
    os.makedirs(os.path.dirname(b), exist_ok=True)
    shutil.copy(a, b)  # a new time stamp: whatever was built from b is older
# Files the checkout no longer has go from the copy too (a source file
# left behind would still be built).
for folder, subfolders, files in os.walk(dst):
    rel = os.path.relpath(folder, dst)
    if rel == ".":
        subfolders[:] = [d for d in subfolders if d not in (".git", "build-tests")]
    for f in files:
        name = os.path.normpath(os.path.join(rel, f))
        if name not in names and name != ".git":
            os.remove(os.path.join(folder, f))
' "$root" "$scratch/tree"
# The build folder sits inside the copy as build-tests does in a checkout
# and is configured the same way, so a compiler cache shared with the
# checkout's own build serves the first build of the copy.
build="$scratch/tree/build-tests"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$scratch/tree" -B "$build" -DTAVREL_WERROR=ON -DCMAKE_BUILD_TYPE=Debug "${launcher[@]}" >/dev/null
fi

# With a fault in place the suite stops at its first failing test: one
# failure is the answer, and the caught faults then cost little.
run_suite() {
  ctest --test-dir "$build" -j"$jobs" --timeout 300 "$@" >"$scratch/last-ctest.log" 2>&1
}

echo "== Building the unchanged copy in $scratch"
cmake --build "$build" -j"$jobs" >"$scratch/last-build.log" 2>&1 || {
  echo "The unchanged tree does not build; see $scratch/last-build.log" >&2; exit 2; }
run_suite || { echo "The unchanged tree fails its tests; see $scratch/last-ctest.log" >&2; exit 2; }

# Reads the list into parallel arrays: tag, title, file, find, replace.
tags=(); titles=(); files=(); finds=(); replaces=()
entry_tag=""
flush_entry() {
  if [ -n "$entry_tag" ]; then
    tags+=("$entry_tag"); titles+=("$entry_title"); files+=("$entry_file")
    finds+=("$entry_find"); replaces+=("$entry_replace")
  fi
  entry_tag=""; entry_title=""; entry_file=""; entry_find=""; entry_replace=""
}
while IFS= read -r line || [ -n "$line" ]; do
  case "$line" in
    "#"*|"") continue ;;
    "["*"]"*)
      flush_entry
      entry_tag="${line%%]*}"; entry_tag="${entry_tag#[}"
      entry_title="${line#*] }" ;;
    "file: "*) entry_file="${line#file: }" ;;
    "find: "*) entry_find="${line#find: }" ;;
    "replace: "*) entry_replace="${line#replace: }" ;;
    *) echo "mutation-faults.txt: cannot read: $line" >&2; exit 2 ;;
  esac
done <"$faults"
flush_entry

match=""
if [ "${1:-}" = "--match" ]; then
  match="${2:?--match needs a regular expression}"; shift 2
fi
wanted=("$@")
caught=0; missed=0; nobuild=0; stale=0; total=0
missed_list=()
for i in "${!tags[@]}"; do
  if [ ${#wanted[@]} -gt 0 ] && ! printf '%s\n' "${wanted[@]}" | grep -qxF "${tags[$i]}"; then
    continue
  fi
  if [ -n "$match" ] && ! printf '%s\n' "${titles[$i]}" | grep -qE -- "$match"; then
    continue
  fi
  total=$((total + 1))
  target="$scratch/tree/${files[$i]}"
  label="[${tags[$i]}] ${titles[$i]}"
  if [ ! -f "$target" ]; then
    echo "STALE     $label (no file ${files[$i]})"; stale=$((stale + 1)); continue
  fi
  cp -p "$target" "$scratch/original"
  if ! python3 - "$target" "${finds[$i]}" "${replaces[$i]}" <<'EOF'
import sys
path, find, replace = sys.argv[1:4]
text = open(path, encoding="utf-8").read()
if text.count(find) != 1:
    sys.exit(1)
open(path, "w", encoding="utf-8").write(text.replace(find, replace))
EOF
  then
    echo "STALE     $label (text not found exactly once in ${files[$i]})"; stale=$((stale + 1)); continue
  fi
  detail=""
  if ! cmake --build "$build" -j"$jobs" >"$scratch/last-build.log" 2>&1; then
    result="NO-BUILD"; nobuild=$((nobuild + 1))
  elif run_suite --stop-on-failure; then
    result="MISSED"; missed=$((missed + 1)); missed_list+=("$label")
  else
    result="CAUGHT"; caught=$((caught + 1))
    failing="$(grep -E '^\s+[0-9]+ - ' "$scratch/last-ctest.log" | sed -E 's/^\s+[0-9]+ - //; s/ \(.*//' | tr '\n' ' ')"
    detail="  (by ${failing% })"
  fi
  printf '%-9s %s%s\n' "$result" "$label" "$detail"
  # Revert: the original bytes with a new time stamp, so the next build
  # recompiles what the fault touched.
  cp "$scratch/original" "$target"
  touch "$target"
done

echo
echo "Faults: $total   caught: $caught   missed: $missed   no build: $nobuild   stale: $stale"
for m in "${missed_list[@]}"; do echo "  missed: $m"; done
# Leave the copy built in its unchanged state for the next run.
cmake --build "$build" -j"$jobs" >"$scratch/last-build.log" 2>&1 || true
[ "$missed" -eq 0 ]
