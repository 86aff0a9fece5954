#!/bin/sh
# Writes pictures made by independent writers (ImageMagick, cjpeg) and their
# pixels as decoded by independent readers, for the layer's loader to match.
# manifest.txt: file, bits per pixel in the file, width, height, largest
# allowed difference per channel.
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
convert -size 61x43 -seed 7 plasma: ref.ppm
convert -size 33x20 -seed 3 plasma: -colorspace Gray gray.pgm

bmp() { # name bpp tolerance format convert-arguments...
  name=$1 bpp=$2 tol=$3 format=$4
  shift 4
  convert ref.ppm "$@" "$format:$name.bmp"
  convert "$name.bmp" -depth 8 "rgb:$name.rgb"
  echo "$name.bmp $bpp 61 43 $tol" >>manifest.txt
}
jpg() { # name bpp width height source cjpeg-arguments...
  name=$1 bpp=$2 w=$3 h=$4 src=$5
  shift 5
  cjpeg "$@" "$src" >"$name.jpg"
  djpeg -pnm "$name.jpg" >"$name.pnm"
  convert "$name.pnm" -depth 8 "rgb:$name.rgb"
  echo "$name.jpg $bpp $w $h 1" >>manifest.txt
}

: >manifest.txt
bmp bgr24 24 0 BMP3 -type TrueColor
bmp bgra32 32 0 BMP3 -alpha set -define bmp3:alpha=true
bmp bitfields32 32 0 BMP -alpha set
bmp pal8 8 0 BMP3 -colors 200 -type Palette -compress None
bmp rle8 8 0 BMP3 -colors 200 -type Palette -compress RLE
bmp pal4 4 0 BMP3 -colors 16 -type Palette
bmp mono1 1 0 BMP3 -monochrome
bmp rgb555 16 1 BMP -define bmp:subtype=RGB555
bmp rgb565 16 1 BMP -define bmp:subtype=RGB565
jpg baseline 24 61 43 ref.ppm -quality 85
jpg progressive 24 61 43 ref.ppm -quality 85 -progressive
jpg fullcolour 24 61 43 ref.ppm -quality 95 -sample 1x1
jpg grey 8 33 20 gray.pgm -quality 90
jpg greyprogressive 8 33 20 gray.pgm -quality 90 -progressive
