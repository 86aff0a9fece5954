#!/bin/sh
# Reads the live Marrowin recording with ffprobe: one video stream with the
# stand-in codec's FourCC, 648 x 486, 8 frames a second, at least 7 frames.
set -eu
clip=$1
[ -f "$clip" ] || { echo "FAILED: $clip was not written"; exit 1; }
got=$(ffprobe -v error -select_streams v:0 -count_packets \
  -show_entries stream=codec_tag_string,width,height,r_frame_rate,nb_read_packets \
  -of default=noprint_wrappers=1 "$clip")
echo "ffprobe: $(echo "$got" | tr '\n' ' ')"
value() { echo "$got" | sed -n "s/^$1=//p"; }
fail=0
[ "$(value codec_tag_string)" = WMV3 ] || { echo "FAILED: codec tag is not WMV3"; fail=1; }
[ "$(value width)x$(value height)" = 648x486 ] || { echo "FAILED: frames are not 648 x 486"; fail=1; }
[ "$(value r_frame_rate)" = 8/1 ] || { echo "FAILED: the rate is not 8/1"; fail=1; }
[ "$(value nb_read_packets)" -ge 7 ] 2>/dev/null || { echo "FAILED: fewer than 7 frames"; fail=1; }
exit $fail
