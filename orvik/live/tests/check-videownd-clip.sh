#!/bin/sh
# Reads the live Marrowin recording with ffmpeg, copying its packets without
# decoding them (no WMV decoder reads the stand-in codec's frames): one video
# stream with the FourCC WMV3, 648 x 486 at 8 frames a second, 7 frames or more.
set -eu
clip=$1
[ -f "$clip" ] || { echo "FAILED: $clip was not written"; exit 1; }
out=$(ffmpeg -nostdin -hide_banner -i "$clip" -map 0:v -c copy -f null - 2>&1 | tr '\r' '\n') || {
  echo "$out"; echo "FAILED: ffmpeg cannot read $clip"; exit 1; }
stream=$(echo "$out" | grep -m1 'Stream #0:0: Video:' || true)
frames=$(echo "$out" | sed -n 's/^frame= *\([0-9]*\).*/\1/p' | tail -n1)
echo "ffmpeg: $stream; $frames frames"
fail=0
echo "$stream" | grep -q '(WMV3 / 0x33564D57)' || { echo "FAILED: the FourCC is not WMV3"; fail=1; }
echo "$stream" | grep -q ' 648x486' || { echo "FAILED: frames are not 648 x 486"; fail=1; }
echo "$stream" | grep -q ' 8 fps' || { echo "FAILED: the rate is not 8 frames a second"; fail=1; }
[ "${frames:-0}" -ge 7 ] || { echo "FAILED: fewer than 7 frames"; fail=1; }
exit $fail
