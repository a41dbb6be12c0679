#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the application icon's PNG sizes from its SVG. The PNGs are
# committed, so building needs no SVG renderer; run this again after changing
# src/resources/icons/tavrel.svg.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/ensure-deps.sh" librsvg2-bin
icons="$root/src/resources/icons"
for size in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" "$icons/tavrel.svg" -o "$icons/tavrel-$size.png"
done
# The window icon the program carries in its resources.
cp "$icons/tavrel-64.png" "$root/src/resources/tavrel.png"
