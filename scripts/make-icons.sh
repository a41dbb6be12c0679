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
# The Windows programs' icon: the PNGs as they are in one .ico file (entries
# stored as PNG, which Windows reads since Vista).
python3 - "$icons" <<'PYTHON'
import struct, sys
folder = sys.argv[1]
sizes = [16, 24, 32, 48, 64, 128, 256]
images = [open(f"{folder}/tavrel-{size}.png", "rb").read() for size in sizes]
offset = 6 + 16 * len(sizes)
out = struct.pack("<HHH", 0, 1, len(sizes))
for size, data in zip(sizes, images):
    out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(data), offset)
    offset += len(data)
with open(f"{folder}/tavrel.ico", "wb") as f:
    f.write(out + b"".join(images))
PYTHON
