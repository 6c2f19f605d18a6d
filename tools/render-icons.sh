#!/usr/bin/env bash
# Renders the application icon's PNG sizes from packaging/icons/zeda.svg (needs rsvg-convert,
# Debian package librsvg2-bin). The PNGs are kept in the tree so that building needs no renderer;
# run this after changing the SVG.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$size" -h "$size" zeda.svg -o "zeda-$size.png"
done
