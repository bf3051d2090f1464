#!/bin/sh
# Draws the window icon app/terravel.png: a sun over the ground, 32 x 32
# pixels in at most 16 colours. Needs ImageMagick 6 (Debian's imagemagick).
set -eu
cd "$(dirname "$0")"
/usr/bin/convert +antialias -size 32x32 xc:'#6db6ff' \
  -fill '#ffd800' -stroke '#ff9c00' -strokewidth 1 \
  -draw 'line 16,1 16,5' -draw 'line 16,21 16,25' \
  -draw 'line 5,13 9,13' -draw 'line 23,13 27,13' \
  -draw 'line 8,5 11,8' -draw 'line 21,18 24,21' \
  -draw 'line 24,5 21,8' -draw 'line 8,21 11,18' \
  -draw 'circle 16,13 16,7' \
  -stroke none -fill '#3c9a2e' -draw 'rectangle 0,23 31,26' \
  -fill '#8b5a2b' -draw 'rectangle 0,27 31,31' \
  -fill '#5e3a17' -draw 'point 4,29' -draw 'point 13,28' -draw 'point 22,30' -draw 'point 28,28' \
  -colors 16 -strip -define png:color-type=3 -define png:bit-depth=4 terravel.png
