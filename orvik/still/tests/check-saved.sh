#!/bin/sh
# Reads what Orvik saved with ImageMagick: a burned-in BMP differs from the
# picture only in colour-table colours near the line it carries, its JPEG is
# the same picture within JPEG's loss, and a second image calibrated from the
# ruler file burns in exactly the same measurement.
set -eu
dir=$1
fail=0
bad() { echo "FAILED: $*"; fail=1; }
[ -f "$dir/burnt.bmp" ] || { echo "FAILED: no burnt.bmp"; exit 1; }
# Pixels that differ from the opened picture, and their colours.
box=$(convert "$dir/burnt.bmp" "$dir/big.bmp" -compose difference -composite -threshold 0 -format '%@' info:)
echo "changed pixels within $box"
# The unchanged pixels all made one transparent colour first: a plasma has
# more colours than ImageMagick lets one row of unique colours hold.
colours=$(convert "$dir/burnt.bmp" "$dir/big.bmp" -compose ChangeMask -composite -background none -alpha background \
  -unique-colors txt:- | awk 'NR > 1 && $3 ~ /FF$/ { print $3 }' | sort -u)
for c in $colours; do
  case $c in
    \#000000*|\#FFFFFF*|\#FF0000*|\#00FF00*|\#0000FF*|\#00FFFF*|\#FF00FF*|\#FFFF00*) ;;
    *) bad "burnt.bmp has the colour $c where it differs from the picture" ;;
  esac
done
[ -n "$colours" ] || bad "burnt.bmp carries no measurement"
# The line runs from image (300, 500) to (700, 500); its text sits above it.
set -- $(echo "$box" | tr 'x+' '  ')
w=$1 h=$2 x=$3 y=$4
[ "$x" -ge 250 ] && [ $((x + w)) -le 760 ] && [ "$y" -ge 400 ] && [ $((y + h)) -le 540 ] \
  || bad "changed pixels $box lie away from the line"
psnr=$(compare -metric PSNR "$dir/burnt.bmp" "$dir/burnt.jpg" null: 2>&1 || true)
awk -v p="$psnr" 'BEGIN { exit !(p == "inf" || p + 0 >= 30) }' && echo "burnt.jpg: PSNR $psnr dB" \
  || bad "burnt.jpg: PSNR $psnr dB against burnt.bmp"
identify -format '%m %w %h\n' "$dir/burnt.jpg" | grep -q '^JPEG 1400 1100$' || bad "burnt.jpg is not a 1400 x 1100 JPEG"
ae=$(compare -metric AE "$dir/burnt.bmp" "$dir/second.bmp" null: 2>&1 || true)
[ "$ae" = 0 ] && echo "second image burns in the same measurement" || bad "second.bmp differs from burnt.bmp in $ae pixels"
ae=$(compare -metric AE "$dir/burnt.bmp" "$dir/uncalibrated.bmp" null: 2>&1 || true)
[ "$ae" != 0 ] && echo "the uncalibrated image reads another length" || bad "calibration changed nothing"
exit $fail
