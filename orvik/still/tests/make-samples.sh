#!/bin/sh
# Pictures for the still-image test, made by independent writers
# (ImageMagick, cjpeg), each with the pixels ImageMagick reads from it
# (<name>.rgb, top row first, red-green-blue). manifest.txt: file, width,
# height, bits per pixel in the file, largest difference per channel.
set -eu
out=$1
rm -rf "$out"
mkdir -p "$out"
cd "$out"
convert -size 120x90 -seed 5 plasma: ref.ppm
convert -size 120x90 -seed 9 plasma: -colorspace Gray grey.pgm
: >manifest.txt
bmp() { # name bpp tolerance format convert-arguments...
  name=$1 bpp=$2 tol=$3 format=$4
  shift 4
  convert ref.ppm "$@" "$format:$name.bmp"
  convert "$name.bmp" -depth 8 "rgb:$name.rgb"
  echo "$name.bmp 120 90 $bpp $tol" >>manifest.txt
}
jpg() { # name bpp source cjpeg-arguments...
  name=$1 bpp=$2 src=$3
  shift 3
  cjpeg "$@" "$src" >"$name.jpg"
  convert "$name.jpg" -depth 8 "rgb:$name.rgb"
  echo "$name.jpg 120 90 $bpp 3" >>manifest.txt
}
bmp bgr24 24 0 BMP3 -type TrueColor
bmp bgra32 32 0 BMP3 -alpha set -define bmp3:alpha=true
bmp pal8 8 0 BMP3 -colors 200 -type Palette -compress None
bmp pal4 4 0 BMP3 -colors 16 -type Palette
bmp mono1 1 0 BMP3 -monochrome
bmp rgb555 16 1 BMP -define bmp:subtype=RGB555
jpg colour 24 ref.ppm -quality 90
jpg grey 8 grey.pgm -quality 90
# Larger than any window: for scrolling, measuring and saving.
convert -size 1400x1100 -seed 11 plasma: -type TrueColor BMP3:big.bmp
cp big.bmp big2.bmp
# Named as a picture, but none.
printf 'not a picture\n' >broken.bmp
# Flat grey with one white pixel, for the median and the average.
convert -size 40x30 xc:'rgb(100,100,100)' -fill white -draw 'point 20,15' -type TrueColor BMP3:salt.bmp
# Wider than the printable width of an A4 page at 96 pixels an inch.
convert -size 1200x300 gradient:red-blue -type TrueColor BMP3:wide.bmp
