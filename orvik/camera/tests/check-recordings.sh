#!/bin/sh
# Reads what the recording test made: with ffmpeg each clip clips.txt names
# (with the size, rate and frame count AVIFile read), and with ImageMagick
# and djpeg the series stills listed in stills/expected.txt.
set -eu
dir=$1
here=$(dirname "$0")
[ -f "$dir/clips.txt" ] || { echo "FAILED: no clips were recorded in $dir"; exit 1; }
fail=0
while read -r name w h rate frames; do
  frames=$(printf %s "$frames" | tr -d '\r')
  sh "$here/../../live/tests/check-videownd-clip.sh" "$dir/$name" "${w}x$h" "$rate" "$frames" "$frames" || fail=1
done < "$dir/clips.txt"
if [ -f "$dir/stills/expected.txt" ]; then
  sh "$here/../../live/tests/check-stills.sh" "$dir/stills" || fail=1
else
  echo "no series stills to read (Orvik showed no capture panel)"
fi
exit $fail
