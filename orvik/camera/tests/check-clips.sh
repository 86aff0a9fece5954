#!/bin/sh
# Reads the uncompressed clip the writer test made with ffprobe (frame count,
# size, rate) and ffmpeg (every frame's pixels against uncompressed.rgb).
set -eu
dir=$1
clip=$dir/uncompressed.avi
fail=0
bad() { echo "FAILED: $*"; fail=1; }

[ -f "$clip" ] || { echo "FAILED: $clip was not written"; exit 1; }
got=$(ffprobe -v error -select_streams v:0 -count_frames \
  -show_entries stream=codec_name,width,height,r_frame_rate,nb_read_frames -of csv=p=0 "$clip")
echo "ffprobe: $got"
[ "$got" = "rawvideo,320,240,7/1,8" ] || bad "$clip: ffprobe reads '$got', not 'rawvideo,320,240,7/1,8'"
ffmpeg -v error -y -i "$clip" -f rawvideo -pix_fmt rgb24 "$clip.read" || bad "ffmpeg cannot decode $clip"
if cmp -s "$clip.read" "$dir/uncompressed.rgb"; then
  echo "$clip: every frame decodes to what was written"
else
  bad "$clip: the decoded frames differ from what was written"
fi
exit $fail
