#!/usr/bin/env bash
# Draws the main window's skin pictures (data/skin/*.png) and the flat buttons' pictures of the stored
# designs (data/designs/buttons/*.png) with ImageMagick. The pictures are committed; run this only to
# change them.
set -euo pipefail
out=$(dirname "$0")/../data/skin
designs=$(dirname "$0")/../data/designs
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

# The audio-CD player's skin: a silver body with rounded corners on a key colour (the top-left pixel,
# left out of the window's shape), a dark display, the track list's panel and a plate under every button
# label. The plates' places are the labels' places in player/tools/form3.cpp.
plates=""
for r in "10,94,48" "62,94,52" "118,94,52" "174,94,48" "10,122,52" "66,122,48" "118,122,46" "168,122,62" \
         "238,128,24" "266,128,84"; do
  IFS=, read -r x y w <<<"$r"
  plates+=" roundrectangle $x,$y $((x + w - 1)),$((y + 19)) 5,5"
done
convert -size 360x160 xc:'#1e2430' \
  \( -size 360x160 gradient:'#eef1f6'-'#aeb8c6' \
     \( -size 360x160 xc:none -fill white -draw "roundrectangle 0,0 359,159 18,18" \) -compose copy-opacity -composite \) \
  -compose over -composite \
  -fill none -stroke '#5d6a80' -strokewidth 1 -draw "roundrectangle 0,0 359,159 18,18" \
  -fill '#0f1c24' -stroke '#5b6b7a' -draw "roundrectangle 8,8 231,65 6,6" \
  -fill '#f4f6f9' -stroke '#8e9aad' -draw "roundrectangle 236,8 351,121 4,4" \
  -fill '#dde3ec' -stroke '#8e9aad' -draw "$plates" \
  -fill '#6b7688' -stroke none -font "$font" -pointsize 9 -annotate +12+156 "PellumCDplayer" \
  -depth 8 -define png:exclude-chunks=date,time "$out/cdplayer.png"

# face FILE W H TOP BOTTOM EDGE: a flat button's face, a rounded field shaded from TOP to BOTTOM with an
# EDGE line. The button draws the picture one pixel higher than its top and prints its caption over it,
# so the first row is left empty and the field stays light enough for dark text; the outer pixels are
# clear, so that the button's own border lines show there.
face() {
  local file=$1 w=$2 h=$3
  convert -size "${w}x${h}" xc:none \
    \( -size "$((w - 2))x$((h - 2))" gradient:"$4"-"$5" \
       \( -size "$((w - 2))x$((h - 2))" xc:none -fill white -draw "roundrectangle 0,0 $((w - 3)),$((h - 3)) 5,5" \) \
       -compose copy-opacity -composite \
       -fill none -stroke "$6" -strokewidth 1 -draw "roundrectangle 0,0 $((w - 3)),$((h - 3)) 5,5" \) \
    -geometry +1+2 -compose over -composite -depth 8 -define png:exclude-chunks=date,time "$file"
}
# The three looks of a flat button of the given size: resting, under the pointer, pressed.
faces() {
  local suffix=$1 w=$2 h=$3
  face "$designs/buttons/up$suffix.png" "$w" "$h" '#f7f9fc' '#dfe5ee' '#8e9aad'
  face "$designs/buttons/hover$suffix.png" "$w" "$h" '#fff8ef' '#ffdcb8' '#ff7a45'
  face "$designs/buttons/down$suffix.png" "$w" "$h" '#d3dae5' '#e8ecf2' '#5d6a80'
}
mkdir -p "$designs/buttons"
faces "" 100 32      # OK, Cancel, DVD, VCD of the add-files dialog; OK of the about window
faces "-wide" 132 32 # the add-files dialog's shortcut buttons
