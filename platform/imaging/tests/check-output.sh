#!/bin/sh
# Reads the files the layer wrote with independent readers: ImageMagick for
# BMP, djpeg for JPEG. Each *.rgb beside a picture holds the pixels it should
# show, top row first, red-green-blue.
set -eu
dir=$1
fail=0
check() { echo "$*"; }
bad() { echo "FAILED: $*"; fail=1; }

for bmp in "$dir"/saved*.bmp; do
  convert "$bmp" -depth 8 rgb:"$bmp.read"
  if cmp -s "$bmp.read" "${bmp%.bmp}.rgb"; then check "$bmp reads back identically"; else bad "$bmp differs from its pixels"; fi
done

# JPEG: right size from djpeg, and close to the source (PSNR from ImageMagick).
while read -r name w h minpsnr; do
  jpg=$dir/$name.jpg
  djpeg -pnm "$jpg" >"$jpg.pnm" || { bad "djpeg cannot read $jpg"; continue; }
  size=$(identify -format '%w %h' "$jpg.pnm")
  [ "$size" = "$w $h" ] || bad "$jpg is $size, not $w $h"
  src=$dir/$name.rgb
  psnr=$(compare -metric PSNR -size "${w}x${h}" -depth 8 "rgb:$src" "$jpg.pnm" null: 2>&1 || true)
  awk -v p="$psnr" -v m="$minpsnr" 'BEGIN { exit !(p == "inf" || p + 0 >= m) }' \
    && check "$jpg: $size, PSNR $psnr dB" || bad "$jpg: PSNR $psnr dB below $minpsnr"
  grep -q 'JFIF' "$jpg" || bad "$jpg has no JFIF marker"
done <"$dir/jpegs.txt"
exit $fail
