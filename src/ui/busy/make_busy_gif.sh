#!/usr/bin/env bash
# Draws the busy animation shown while a volume is analysed: a 160 x 16
# GIF89a of five 100 ms frames that loops for ever. A row of five blocks
# with one lit block stepping from left to right.
# Run from anywhere; writes busy.gif next to this script (needs ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"

frames=()
for lit in 0 1 2 3 4; do
  draw=()
  for block in 0 1 2 3 4; do
    left=$((block * 32 + 2))
    right=$((left + 27))
    if [ "$block" -eq "$lit" ]; then colour='#1c4fa0'; else colour='#b9cce8'; fi
    draw+=(-fill "$colour" -draw "rectangle $left,3 $right,12")
  done
  frame="$(mktemp --suffix=.png)"
  convert -size 160x16 xc:'#f0f0f0' "${draw[@]}" "$frame"
  frames+=("$frame")
done

# -delay counts hundredths of a second; -loop 0 asks for endless repetition.
convert -delay 10 -loop 0 -dispose none "${frames[@]}" +repage busy.gif
rm -f "${frames[@]}"
