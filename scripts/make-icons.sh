#!/usr/bin/env bash
# Renders the application icon resources/package/kestrova.svg into the PNG sizes
# the package installs (resources/package/icons/NxN.png). Run after editing the
# SVG; needs ImageMagick.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
svg=$root/resources/package/kestrova.svg
out=$root/resources/package/icons
mkdir -p "$out"
for s in 16 22 24 32 48 64 128 256; do
  convert -background none -density 384 "$svg" -resize "${s}x${s}" -depth 8 -strip "PNG32:$out/${s}x${s}.png"
done
