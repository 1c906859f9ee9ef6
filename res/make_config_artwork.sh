#!/usr/bin/env bash
# Draws the images of the configuration dialogs with ImageMagick and writes them next
# to this script. The results are committed, so the build does not need ImageMagick.
#
#   config_warning.bmp  the "Warning" box's banner: the security notice in words
#   config_logo.bmp     the service's logo in the About box
#   config_about.ico    the About box's icon (32 and 16 pixels)
#
# Each image is drawn at its control's size in dialog units converted at the dialogs'
# font ("MS Sans Serif" 8 at 96 dpi: 1.5 pixels a unit across, 1.625 down); the
# controls stretch it to their real size where the font measures otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
font=DejaVu-Sans
bold=DejaVu-Sans-Bold
support=${SUPPORT_EMAIL:-support@tessaro.example}

# 213 x 92 units.
convert -size 320x150 xc:'#FFFBE6' \
  -fill none -stroke '#B00000' -strokewidth 2 -draw 'rectangle 6,5 313,33' \
  -stroke none -fill '#FFD6D6' -draw 'rectangle 8,7 311,31' \
  -fill '#B00000' -font "$bold" -pointsize 13 -gravity north -annotate +0+11 '!  SECURITY HAZARD  !' \
  -fill black -font "$font" -pointsize 10 -gravity northwest \
  -annotate +10+42 'The file extension you are trying is not in the list of' \
  -annotate +10+56 'permitted file types of the Tessaro server.' \
  -annotate +10+76 'This is for your own security.' \
  -annotate +10+96 'If the file must be uploaded all the same, please' \
  -annotate +10+110 "contact $support ." \
  -fill none -stroke '#808080' -strokewidth 1 -draw 'rectangle 0,0 319,149' \
  -type TrueColor "BMP3:$here/config_warning.bmp"

# 160 x 62 units.
convert -size 240x100 xc:'#1F3F7F' \
  -fill none -stroke '#C8D4EC' -strokewidth 1 -draw 'rectangle 3,3 236,96' \
  -fill none -stroke '#F0C040' -strokewidth 3 \
  -draw 'polyline 12,54 24,54 30,34 38,74 46,26 54,66 60,44 66,54 78,54' \
  -stroke none -fill white -font "$bold" -pointsize 26 -annotate +88+58 'TESSARO' \
  -fill '#C8D4EC' -font "$font" -pointsize 9 -annotate +90+76 'recordings and documents' \
  -type TrueColor "BMP3:$here/config_logo.bmp"

# A blue tile with a white page whose corner is folded, an arrow rising from it.
for size in 32 16; do
  convert -size 64x64 xc:none \
    -fill '#1F3F7F' -draw 'roundrectangle 1,1 62,62 10,10' \
    -fill white -draw 'polygon 16,20 38,20 48,30 48,56 16,56' \
    -fill '#C8D4EC' -draw 'polygon 38,20 48,30 38,30' \
    -fill '#F0C040' -draw 'polygon 32,8 44,22 36,22 36,46 28,46 28,22 20,22' \
    -resize "${size}x${size}" "PNG32:$scratch/about-$size.png"
done
convert "$scratch/about-32.png" "$scratch/about-16.png" -define icon:format=bmp "$here/config_about.ico"
