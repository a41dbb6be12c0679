#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian/Ubuntu packages Tavrel needs to build, run and test,
# but only those that are missing; a no-op when everything is there.
set -euo pipefail

packages=(build-essential cmake ninja-build ccache qt6-base-dev qt6-serialport-dev qt6-svg-dev qt6-image-formats-plugins libgl-dev libjpeg-dev libpng-dev libwebp-dev libtiff-dev fonts-dejavu-core groff-base man-db "$@")

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

if ! command -v apt-get >/dev/null 2>&1; then
  echo "Missing packages (${missing[*]}) and no apt-get to install them; install them by hand." >&2
  exit 1
fi
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then sudo="sudo"; else
    echo "Need root or sudo to install: ${missing[*]}" >&2; exit 1
  fi
fi
echo "Installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
