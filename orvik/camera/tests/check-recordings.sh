#!/bin/sh
# Reads the clips the recording test made with ffmpeg: each line of
# clips.txt names a clip with the size, rate and frame count AVIFile read.
set -eu
dir=$1
[ -f "$dir/clips.txt" ] || { echo "FAILED: no clips were recorded in $dir"; exit 1; }
fail=0
while read -r name w h rate frames; do
  frames=$(printf %s "$frames" | tr -d '\r')
  sh "$(dirname "$0")/../../live/tests/check-videownd-clip.sh" "$dir/$name" "${w}x$h" "$rate" "$frames" "$frames" || fail=1
done < "$dir/clips.txt"
exit $fail
