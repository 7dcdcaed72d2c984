#!/usr/bin/env bash
# Renders the application icon tk515pro.svg into the PNG sizes of the icon theme
# (hicolor/<size>x<size>/apps/tk515pro.png beside this script). Needs rsvg-convert
# (Debian package librsvg2-bin); the PNGs are committed, so only a change of the
# drawing needs it. Re-running gives the same files.
set -euo pipefail
HERE="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
for size in 16 32 48 64 128 256; do
    mkdir -p "$HERE/hicolor/${size}x${size}/apps"
    rsvg-convert -w "$size" -h "$size" "$HERE/tk515pro.svg" \
        -o "$HERE/hicolor/${size}x${size}/apps/tk515pro.png"
done
echo "icons rendered into $HERE/hicolor"
