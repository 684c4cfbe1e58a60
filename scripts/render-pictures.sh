#!/usr/bin/env bash
# Renders every picture source under resources/pictures (SVG) into the PNG next to it. The PNGs are
# committed, so building needs no renderer; run this after editing an SVG (needs librsvg2-bin).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
command -v rsvg-convert >/dev/null || { echo "rsvg-convert is missing: apt-get install librsvg2-bin" >&2; exit 1; }
for svg in "$here"/resources/pictures/*.svg; do
    rsvg-convert --output "${svg%.svg}.png" "$svg"
    echo "rendered ${svg%.svg}.png"
done
