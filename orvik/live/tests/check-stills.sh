#!/bin/sh
# Reads the stills the live preview test saved with independent readers:
# ImageMagick for every file, djpeg for the JPEG ones. Each line of
# expected.txt names a still, its size and what it shows: "chart" the
# simulated UVC camera's colour patches upright in the top quarter, "gray"
# no colour in the picture's middle, "mark" the simulated Zentu sensor's
# patches and its white mark at the top left, "plain" a picture of that size.
set -eu
dir=$1
fail=0
bad() { echo "FAILED: $*"; fail=1; }
[ -f "$dir/expected.txt" ] || { echo "FAILED: no stills were saved in $dir"; exit 1; }

# "r g b" of pixel x, y.
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -n 's/^0,0: *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3/p'; }
# The chart's patch kinds: channels above 96 as bits red 4, green 2, blue 1.
kind() { set -- $1; k=0; [ "$1" -gt 96 ] && k=$((k + 4)); [ "$2" -gt 96 ] && k=$((k + 2)); [ "$3" -gt 96 ] && k=$((k + 1)); echo $k; }

while read -r name w h what; do
  what=$(printf %s "$what" | tr -d '\r')
  f=$dir/$name
  [ -f "$f" ] || { bad "$name was not saved"; continue; }
  read_file=$f
  case $name in
    *.jpg)
      djpeg -ppm "$f" > "$f.ppm" 2>"$f.err" || { bad "djpeg cannot decode $name: $(cat "$f.err")"; continue; }
      read_file=$f.ppm
      got=$(head -c 64 "$f.ppm" | tr '\n' ' ' | awk '{print $2" "$3}')
      [ "$got" = "$w $h" ] || bad "$name: djpeg reads $got, not $w $h" ;;
  esac
  got=$(identify -format '%w %h' "$f")
  [ "$got" = "$w $h" ] || bad "$name: ImageMagick reads $got, not $w $h"
  case $what in
    chart)
      i=0; kinds=""
      for want in 4 2 1 6 3 5 7 0; do
        k=$(kind "$(pixel "$read_file" $(( (2 * i + 1) * w / 16 )) $(( h / 8 )))")
        kinds="$kinds $k"
        [ "$k" = "$want" ] || bad "$name: patch $i reads kind $k, not $want (upright chart)"
        i=$((i + 1))
      done
      echo "$name: ${w}x$h, patches$kinds" ;;
    gray)
      for y in $((h / 3)) $((h / 2)) $((2 * h / 3)); do
        for x in $((w / 3)) $((w / 2)) $((2 * w / 3)); do
          set -- $(pixel "$read_file" $x $y)
          d1=$(( $1 > $2 ? $1 - $2 : $2 - $1 )); d2=$(( $2 > $3 ? $2 - $3 : $3 - $2 ))
          [ $d1 -le 6 ] && [ $d2 -le 6 ] || bad "$name: ($x, $y) is ($1, $2, $3), not grey"
        done
      done
      echo "$name: ${w}x$h, grey" ;;
    mark)
      i=0; kinds=""
      for want in 4 2 1 3 5 6; do
        k=$(kind "$(pixel "$read_file" $(( (368 + 256 * i) * w / 2048 )) $(( 3 * h / 8 )))")
        kinds="$kinds $k"
        [ "$k" = "$want" ] || bad "$name: patch $i reads kind $k, not $want (upright scene)"
        i=$((i + 1))
      done
      set -- $(pixel "$read_file" $((w / 16)) $((h / 12)))
      [ "$1" -gt 200 ] && [ "$2" -gt 200 ] && [ "$3" -gt 200 ] || bad "$name: no white mark at the top left ($1, $2, $3)"
      echo "$name: ${w}x$h, patches$kinds, mark at the top left" ;;
    *) echo "$name: ${w}x$h" ;;
  esac
done < "$dir/expected.txt"
exit $fail
