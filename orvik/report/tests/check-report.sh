#!/bin/sh
# Rasterises the sample report that orvik_report_test printed to the file
# printer with Ghostscript and checks its pages: two pages, the title and
# the rule dark, the picture's four quadrants in their colours.
set -eu
dir=$1
ps=$dir/sample.ps
fail=0
bad() { echo "FAILED: $*"; fail=1; }
[ -f "$ps" ] || { echo "FAILED: $ps was not printed"; exit 1; }
rm -f "$dir"/page-*.ppm
gs -q -dSAFER -dNOPAUSE -dBATCH -sDEVICE=ppmraw -r60 -sOutputFile="$dir/page-%d.ppm" "$ps" \
  || { echo "FAILED: Ghostscript cannot read $ps"; exit 1; }
pages=$(ls "$dir"/page-*.ppm | wc -l)
echo "pages: $pages"
[ "$pages" = 2 ] || bad "$pages pages, not 2"
# The job is named after the application title.
grep -q '^%%Title: Orvik report test' "$ps" || bad "the job is not titled with the application title"

# Device pixels (600 dpi) start at the printable area, a quarter inch in:
# at 60 dpi a page pixel is (device + 150) / 10.
px() { echo $(( ($1 + 150) / 10 )); }
# The mean of a small square as "r g b", 0..255.
mean() {
  convert "$dir/page-1.ppm" -crop "${3}x${3}+$(( $1 - $3 / 2 ))+$(( $2 - $3 / 2 ))" +repage -resize 1x1\! \
    -format '%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]' info:
}
near() {  # name, got "r g b", want r g b
  set -- "$1" $2 "$3" "$4" "$5"
  for i in 1 2 3; do
    eval "got_c=\$$((i + 1)) want_c=\$$((i + 4))"
    d=$((got_c - want_c)); [ $d -lt 0 ] && d=$((-d))
    [ $d -le 60 ] || { bad "$1: $2 $3 $4, not about $5 $6 $7"; return; }
  done
  echo "$1: $2 $3 $4"
}
read -r _ rule <"$dir/expected.txt"
read -r _ x y w h <<EOF2
$(sed -n 2p "$dir/expected.txt")
EOF2
# The picture: red and green above, blue and black below.
near "top left" "$(mean $(px $((x + w / 4))) $(px $((y + h / 4))) 6)" 255 0 0
near "top right" "$(mean $(px $((x + 3 * w / 4))) $(px $((y + h / 4))) 6)" 0 255 0
near "bottom left" "$(mean $(px $((x + w / 4))) $(px $((y + 3 * h / 4))) 6)" 0 0 255
near "bottom right" "$(mean $(px $((x + 3 * w / 4))) $(px $((y + 3 * h / 4))) 6)" 0 0 0
# Beside the picture the page stays white; the rule is dark across it.
near "beside the picture" "$(mean $(px $((x + w + 600))) $(px $((y + h / 2))) 6)" 255 255 255
rulemean=$(convert "$dir/page-1.ppm" -crop "200x1+$(px 1000)+$(px "$rule")" +repage -resize 1x1\! -format '%[fx:int(255*r)]' info:)
echo "rule: $rulemean"
[ "$rulemean" -lt 160 ] || bad "no rule at device row $rule (mean $rulemean)"
# The title: dark pixels in the band above the rule.
title=$(convert "$dir/page-1.ppm" -crop "$(px 4000)x$(( ($(px "$rule") - $(px 300)) ))+0+$(px 300)" +repage -threshold 50% \
  -format '%[fx:int(1000*(1-mean))]' info:)
echo "title ink (per mille): $title"
[ "$title" -gt 0 ] || bad "no title text above the rule"
# The second page carries text too.
ink2=$(convert "$dir/page-2.ppm" -threshold 50% -format '%[fx:int(10000*(1-mean))]' info:)
echo "page 2 ink (per 10000): $ink2"
[ "$ink2" -gt 0 ] || bad "the second page is blank"
exit $fail
