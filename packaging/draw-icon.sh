#!/bin/sh
# Draws the application icon after the logo: its blue gradient, the bold white
# "O" of "ORVEL" and the yellow of its subtitle, on a rounded square. The window
# and the menu show the same pictures, drawn once with
#   for s in 48 128 256; do packaging/draw-icon.sh $s assets/icon-$s.png; done
# Usage: draw-icon.sh <size> <output.png>
set -eu
size=$1
out=$2
font=/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf
big=512
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
convert -size "${big}x${big}" gradient:'#0a2b4a-#1f6daf' "$tmp/face.png"
convert -size "${big}x${big}" xc:none -fill white -draw "roundrectangle 16,16 495,495 92,92" \
    "$tmp/mask.png"
convert "$tmp/face.png" "$tmp/mask.png" -alpha off -compose CopyOpacity -composite \
    -font "$font" -fill white -pointsize 400 -gravity center -annotate +0-28 'O' \
    -fill '#f2c12e' -draw "roundrectangle 128,398 384,430 16,16" \
    "$tmp/big.png"
convert "$tmp/big.png" -filter Lanczos -resize "${size}x${size}" -depth 8 -strip \
    -define png:exclude-chunks=date,time "$out"
