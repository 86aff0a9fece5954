#!/bin/sh
# The file transfer's BMP as ImageMagick reads it: 640 x 480, and pixel for
# pixel the picture the test expects (written beside it as a plain PPM).
set -eu
dir=$1
size=$(identify -format '%w %h' "$dir/transfer.bmp")
[ "$size" = "640 480" ] || { echo "ImageMagick reads the BMP as $size"; exit 1; }
diff=$(compare -metric AE "$dir/transfer.bmp" "$dir/expected.ppm" null: 2>&1 || true)
[ "$diff" = 0 ] || { echo "ImageMagick sees $diff pixels other than expected"; exit 1; }
echo "1 passed, 0 failed"
