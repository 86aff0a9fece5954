#!/bin/sh
# Rasterises what the still-image test printed (a 1200 x 300 picture, red at
# the top, blue at the bottom) with Ghostscript: one page, the picture across
# the whole printable width and its own height fitted to it.
set -eu
dir=$1
ps=$dir/printed.ps
fail=0
bad() { echo "FAILED: $*"; fail=1; }
[ -f "$ps" ] || { echo "FAILED: $ps was not printed"; exit 1; }
rm -f "$dir"/printed-*.ppm
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=ppmraw -r60 -sOutputFile="$dir/printed-%d.ppm" "$ps" \
  || { echo "FAILED: Ghostscript cannot read $ps"; exit 1; }
pages=$(ls "$dir"/printed-*.ppm | wc -l)
echo "pages: $pages"
[ "$pages" = 1 ] || bad "$pages pages, not 1"
page=$dir/printed-1.ppm
# "r g b" of one pixel of the page.
at() { convert "$page" -format "%[fx:int(255*p{$1,$2}.r)] %[fx:int(255*p{$1,$2}.g)] %[fx:int(255*p{$1,$2}.b)]" info:; }
white() { [ "$(at "$1" "$2")" = "255 255 255" ]; }
# The A4 page at 60 dpi: the printable area starts 15 pixels in and is
# 466 wide; the picture, 4 : 1, is then about 116 high.
for x in 20 240 472; do
  white $x 30 && bad "no picture at ($x, 30)"
done
white 488 30 || bad "the picture runs past the printable width: $(at 488 30)"
white 240 145 || bad "the picture is higher than its width allows: $(at 240 145)"
set -- $(at 240 20)
[ "$1" -gt 150 ] && [ "$3" -lt 110 ] || bad "the top is not red: $*"
set -- $(at 240 125)
[ "$3" -gt 150 ] && [ "$1" -lt 110 ] || bad "the bottom is not blue: $*"
exit $fail
