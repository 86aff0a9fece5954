#!/bin/sh
# Reads a recording with ffmpeg, copying its packets without decoding them
# (no WMV decoder reads the stand-in codec's frames): one video stream with
# the FourCC WMV3 of the size and rate given, with at least (and, when given,
# at most) the frames given. Without them: the live Marrowin recording,
# 648 x 486 at 8 frames a second, 7 frames or more.
set -eu
clip=$1
size=${2:-648x486}
rate=${3:-8}
least=${4:-7}
most=${5:-}
[ -f "$clip" ] || { echo "FAILED: $clip was not written"; exit 1; }
out=$(ffmpeg -nostdin -hide_banner -i "$clip" -map 0:v -c copy -f null - 2>&1 | tr '\r' '\n') || {
  echo "$out"; echo "FAILED: ffmpeg cannot read $clip"; exit 1; }
stream=$(echo "$out" | grep -m1 'Stream #0:0: Video:' || true)
frames=$(echo "$out" | sed -n 's/^frame= *\([0-9]*\).*/\1/p' | tail -n1)
echo "ffmpeg: $stream; $frames frames"
fail=0
echo "$stream" | grep -q '(WMV3 / 0x33564D57)' || { echo "FAILED: $clip: the FourCC is not WMV3"; fail=1; }
echo "$stream" | grep -q " $size" || { echo "FAILED: $clip: frames are not $size"; fail=1; }
echo "$stream" | grep -q " $rate fps" || { echo "FAILED: $clip: the rate is not $rate frames a second"; fail=1; }
[ "${frames:-0}" -ge "$least" ] || { echo "FAILED: $clip: fewer than $least frames"; fail=1; }
[ -z "$most" ] || [ "${frames:-0}" -le "$most" ] || { echo "FAILED: $clip: more than $most frames"; fail=1; }
exit $fail
