#!/usr/bin/env bash
# Renders the program's icon (packaging/icons/tegata.svg) into the PNG sizes the desktop's icon
# theme looks for. The PNGs are committed; run this after changing the drawing.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/install-deps.sh" librsvg2-bin
icons="$root/packaging/icons"
for size in 16 32 48 64 128 256; do
  mkdir -p "$icons/hicolor/${size}x${size}/apps"
  rsvg-convert -w "$size" -h "$size" "$icons/tegata.svg" \
    -o "$icons/hicolor/${size}x${size}/apps/jp.velmora.tegata.png"
done
