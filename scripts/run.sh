#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds (if needed) and starts the Tavrel panel. Without --port it opens on
# the built-in emulated module. Extra arguments go to the panel.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh"
source "$root/scripts/build-setup.sh"
tavrel_setup_ccache "$root"
build="$root/build"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBUILD_TESTING=OFF \
    "-DCMAKE_CXX_FLAGS=-ffile-prefix-map=$root=." "${tavrel_launcher[@]}" >/dev/null
fi
cmake --build "$build" --target tavrel tavrel-cli quennel-emu -j"$(nproc)"
exec "$build/src/tavrel" "$@"
