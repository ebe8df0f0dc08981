#!/usr/bin/env bash
# Draws the program's picture on the upgrade page: a 177 x 99 bitmap of 24 bits
# per pixel showing a hard disk with a green check mark, our own artwork.
# Run from anywhere; writes volmender-fat32.bmp next to this script (needs ImageMagick).
set -euo pipefail
cd "$(dirname "$0")"

convert -size 177x99 gradient:'#dfe8f5'-'#9fb6d8' \
  -fill '#5a6470' -draw 'roundrectangle 30,22 146,80 8,8' \
  -fill '#8b97a6' -draw 'roundrectangle 34,26 142,62 6,6' \
  -fill '#c9d1dc' -draw 'circle 70,44 70,30' \
  -fill '#5a6470' -draw 'circle 70,44 70,40' \
  -fill '#3cd070' -draw 'rectangle 118,68 138,74' \
  -stroke '#1f8a3c' -strokewidth 7 -fill none -draw 'polyline 104,40 116,52 140,26' \
  -type TrueColor -define bmp:format=bmp3 BMP3:volmender-fat32.bmp
