#!/bin/sh
# Reads the JPEG files the display window wrote with independent readers:
# djpeg decodes them, ImageMagick compares them with the BMP of the same
# picture written beside them, and identify names the coding process.
set -eu
dir=$1
fail=0
for jpg in "$dir"/jpeg*.jpg; do
  bmp=${jpg%.jpg}.bmp
  djpeg -pnm "$jpg" >"$jpg.pnm" || { echo "FAILED: djpeg cannot read $jpg"; fail=1; continue; }
  [ "$(identify -format '%w %h' "$jpg.pnm")" = "$(identify -format '%w %h' "$bmp")" ] \
    || { echo "FAILED: $jpg is not the size of $bmp"; fail=1; }
  psnr=$(compare -metric PSNR "$bmp" "$jpg.pnm" null: 2>&1 || true)
  awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 27) }' \
    && echo "$jpg: PSNR $psnr dB" || { echo "FAILED: $jpg: PSNR $psnr dB below 27"; fail=1; }
  grep -q JFIF "$jpg" || { echo "FAILED: $jpg has no JFIF marker"; fail=1; }
  # Baseline: a start-of-frame 0 marker (FF C0), no progressive one (FF C2).
  od -An -tx1 -v "$jpg" | tr -d '\n' | grep -q 'ff c0' || { echo "FAILED: $jpg is not baseline"; fail=1; }
done
exit $fail
