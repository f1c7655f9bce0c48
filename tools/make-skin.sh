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

# The radio window's tree icons, 16 x 16: a region is a small globe, a station a mast with its waves.
convert -size 16x16 xc:none -fill '#2f6fb3' -stroke '#0d1117' -strokewidth 1 -draw 'circle 7.5,7.5 7.5,1' \
  -fill none -stroke '#dfe6f2' -draw 'ellipse 7.5,7.5 3,6.5 0,360' -draw 'line 1,7.5 14,7.5' \
  -depth 8 -define png:exclude-chunks=date,time "$out/region.png"
convert -size 16x16 xc:none -stroke '#2f8f6f' -strokewidth 2 -draw 'line 7.5,6 4,15' -draw 'line 7.5,6 11,15' \
  -fill '#ff7a45' -stroke none -draw 'circle 7.5,5 7.5,3' -fill none -stroke '#2f8f6f' -strokewidth 1 \
  -draw 'arc 2,0 13,10 200,340' -depth 8 -define png:exclude-chunks=date,time "$out/station.png"

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
faces "" 100 32      # OK, Cancel, DVD, VCD of the add-files dialog; OK of the about window; the
                     # bookmark editor's buttons
faces "-wide" 132 32 # the add-files dialog's shortcut buttons
faces "-tall" 75 46  # the compact list window's buttons

# --- The compact player's pictures (data/skin/compact) ---
# Its face is 591 x 443; the pixel colour of the top-left corner (magenta) marks what lies outside the
# window's shape. The outer edges are drawn without smoothing so that no blended pixel widens the shape.
c=$(dirname "$0")/../data/skin/compact
mkdir -p "$c"
w=591; h=443
convert -size ${w}x${h} gradient:'#1d2a44'-'#070b14' "$c/.body.png"
convert -size ${w}x${h} xc:black +antialias -fill white \
  -draw "roundrectangle 8,30 582,434 38,38" -draw "roundrectangle 404,6 574,60 16,16" "$c/.mask.png"
convert -size ${w}x${h} xc:'#ff00ff' "$c/.body.png" "$c/.mask.png" -composite \
  -fill none -stroke '#6f88b8' -strokewidth 2 -draw "roundrectangle 12,34 578,430 34,34" \
  -fill '#02040a' -stroke '#2fb5c8' -strokewidth 2 -draw "roundrectangle 28,62 563,168 10,10" \
  -fill '#111a2c' -stroke '#40557f' -strokewidth 1 -draw "roundrectangle 28,184 563,250 12,12" \
  -fill '#0c1322' -stroke '#2b3a58' -draw "roundrectangle 28,264 563,372 12,12" \
  -fill '#0c1322' -stroke '#2b3a58' -draw "roundrectangle 412,12 566,54 10,10" \
  "$c/.face.png"
# A speaker grille of small rings, and the name engraved at the foot.
grille=""
for row in 0 1 2 3; do
  for col in $(seq 0 15); do
    x=$((52 + col * 25)); y=$((284 + row * 24))
    grille="$grille circle $x,$y $((x + 7)),$y"
  done
done
convert "$c/.face.png" -fill '#1a2742' -stroke '#3f5f93' -strokewidth 1 -draw "$grille" \
  -fill '#ffb347' -stroke none -draw "circle 446,318 452,318" \
  -font "$font" -pointsize 18 -fill '#5d77a8' -gravity northwest -annotate +424+392 'PellumPlayer' \
  -gravity northwest -pointsize 11 -fill '#7fd3e0' -annotate +36+44 'NOW PLAYING' \
  -depth 8 "$c/skin.png"
rm -f "$c/.body.png" "$c/.mask.png" "$c/.face.png"

# The open-file and volume pictures.
convert -size 40x40 xc:none -fill '#26406b' -stroke '#9fc3ff' -strokewidth 1 \
  -draw "roundrectangle 1,1 38,38 8,8" -fill '#ffd27a' -stroke none \
  -draw "polygon 8,30 8,14 16,14 19,17 32,17 32,30" -fill '#26406b' -draw "polygon 20,19 26,26 14,26" \
  "$c/open.png"
convert -size 40x40 xc:none -fill '#26406b' -stroke '#9fc3ff' -strokewidth 1 \
  -draw "roundrectangle 1,1 38,38 8,8" -fill '#e8f0ff' -stroke none \
  -draw "polygon 8,16 13,16 20,10 20,30 13,24 8,24" -fill none -stroke '#e8f0ff' -strokewidth 2 \
  -draw "arc 16,13 28,27 -50,50" -draw "arc 16,8 34,32 -50,50" "$c/volume.png"
# The text buttons' pointer: an arrow with a note; its hot spot is the tip at the top left.
convert -size 32x32 xc:none -fill white -stroke black -strokewidth 1 \
  -draw "polygon 1,1 1,22 6,17 10,26 13,25 9,16 16,16" -fill '#ff8c1a' -stroke black \
  -draw "circle 21,26 24,26" -draw "line 24,26 24,14" -draw "line 24,14 29,17" "$c/pointer.png"
# The video window's small picture.
convert -size 64x64 xc:none -fill '#c00000' -draw "circle 32,32 32,2" -fill white -font "$font" \
  -pointsize 34 -gravity center -annotate +0+0 'P' "$c/video.png"
