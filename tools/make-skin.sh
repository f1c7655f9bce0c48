#!/usr/bin/env bash
# Draws the main window's skin pictures (data/skin/*.png) with ImageMagick. The pictures are committed;
# run this only to change them.
set -euo pipefail
out=$(dirname "$0")/../data/skin
mkdir -p "$out"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf

# button NAME W H GLYPH FILL: a rounded button with a glyph; NAME1 resting, NAME2 under the pointer.
button() {
  local name=$1 w=$2 h=$3 glyph=$4 fill=$5 size=$6
  convert -size "${w}x${h}" xc:none -fill "$fill" -stroke '#0d1117' -strokewidth 1 \
    -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) 8,8" -fill '#f3f5f9' -stroke none -font "$font" \
    -pointsize "$size" -gravity center -annotate +0+0 "$glyph" "$out/${name}1.png"
  convert -size "${w}x${h}" xc:none -fill '#ff7a45' -stroke '#fff4e6' -strokewidth 1 \
    -draw "roundrectangle 1,1 $((w - 2)),$((h - 2)) 8,8" -fill white -stroke none -font "$font" \
    -pointsize "$size" -gravity center -annotate +0+0 "$glyph" "$out/${name}2.png"
}
# single NAME W H GLYPH: a button that shows a border under the pointer instead of a second picture.
single() {
  convert -size "$2x$3" xc:none -fill '#34435e' -draw "roundrectangle 1,1 $(($2 - 2)),$(($3 - 2)) 7,7" \
    -fill '#dfe6f2' -font "$font" -pointsize "$5" -gravity center -annotate +0+0 "$4" "$out/$1.png"
}

button add 32 32 "+" '#2f6fb3' 20
button ra 32 32 "R" '#2f8f6f' 16
button cd 103 42 "CD" '#5a3fa0' 20
button ps 32 32 "|<" '#3a4a66' 13
button ns 32 32 ">|" '#3a4a66' 13
button pa 43 43 "DVD" '#8a2f2f' 12
button pu 43 43 "II" '#3a4a66' 18
single compact 36 34 "P!" 14
single shower 36 36 "Pic" 11
single mediascan 32 32 "?" 18
single screensaver 36 34 "Zz" 13
single dabs 36 34 "Tt" 13
single vcd 36 34 "VCD" 10

# The window's background: a dark blue field with a soft highlight.
convert -size 340x250 gradient:'#27334a'-'#0f141d' \
  \( -size 340x250 radial-gradient:'#3b4c6e'-none \) -compose over -composite -depth 8 -colors 64 "$out/background.png"
