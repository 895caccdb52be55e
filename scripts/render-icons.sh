#!/usr/bin/env bash
# Renders the program icon's PNG sizes from packaging/icons/orvel-logger.svg. Rerun after
# changing the SVG and commit the PNGs; the build does not need the renderer. Needs librsvg2-bin.
set -euo pipefail
cd "$(dirname "$0")/../packaging/icons"
for size in 16 24 32 48 64 128 256; do
    rsvg-convert -w "$size" -h "$size" orvel-logger.svg -o "orvel-logger-$size.png"
done
