#!/usr/bin/env bash
# Renders the icon's PNGs (hicolor sizes) and the Windows .ico from bowlview.svg. The results
# are committed; run this after changing the SVG (needs librsvg2-bin and icoutils).
set -euo pipefail
cd "$(dirname "$0")"
for n in 16 24 32 48 64 128 256; do
  rsvg-convert -w "$n" -h "$n" bowlview.svg -o "bowlview-$n.png"
done
icotool -c -o bowlview.ico bowlview-16.png bowlview-24.png bowlview-32.png bowlview-48.png \
  bowlview-64.png bowlview-128.png --raw=bowlview-256.png
