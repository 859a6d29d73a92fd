#!/bin/bash
# Usage: video_picture_test.sh SWFRENDER VIDEO_MOVIE_TOOL WORK_DIR
# A movie with embedded video drawn at its two frames: each shows the picture of its own video
# frame, where the timeline placed and scaled it.
set -u
render=$1 writer=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# The colour at x,y of a picture as "r,g,b" (0..255).
pixel() { convert "$1" -format "%[fx:int(255*p{$2,$3}.r+0.5)],%[fx:int(255*p{$2,$3}.g+0.5)],%[fx:int(255*p{$2,$3}.b+0.5)]" info:; }

kind=$("$writer" "$work/video.swf") || { echo "FAIL: the video movie was not written"; exit 1; }
"$render" "$work/video.swf" --frames 1 --out "$work/one.png" 2>"$work/err" || fail "frame 1: $(cat "$work/err")"
"$render" "$work/video.swf" --frames 2 --out "$work/two.png" 2>"$work/err" || fail "frame 2: $(cat "$work/err")"

# Screen Video, 32x24 drawn at twice its size from (10, 10): red and green halves, then blue.
[ "$(pixel "$work/one.png" 20 30)" = "255,0,0" ] || fail "frame 1 left half: $(pixel "$work/one.png" 20 30)"
[ "$(pixel "$work/one.png" 60 30)" = "0,255,0" ] || fail "frame 1 right half: $(pixel "$work/one.png" 60 30)"
[ "$(pixel "$work/two.png" 20 30)" = "0,0,255" ] || fail "frame 2: $(pixel "$work/two.png" 20 30)"
[ "$(pixel "$work/two.png" 76 30)" = "255,255,255" ] || fail "the picture reaches past its box: $(pixel "$work/two.png" 76 30)"

# H.263 at (90, 60): the picture changes between the frames and covers its box.
if [ "$kind" = "with H.263" ]; then
  a=$(convert "$work/one.png" -crop 64x48+90+60 +repage -format '%k' info:)
  [ "${a:-0}" -gt 20 ] || fail "the H.263 picture of frame 1 has $a colours"
  convert "$work/one.png" -crop 64x48+90+60 +repage "$work/one-h263.png"
  convert "$work/two.png" -crop 64x48+90+60 +repage "$work/two-h263.png"
  diff=$(compare -metric AE -fuzz 10% "$work/one-h263.png" "$work/two-h263.png" null: 2>&1)
  [ "${diff%%.*}" -gt 100 ] 2>/dev/null || fail "the H.263 picture of frame 2 looks like frame 1's ($diff pixels differ)"
else
  echo "no H.263 encoder in this libavcodec: the H.263 part was not checked"
fi

[ $failures -eq 0 ] && echo "all checks passed"
exit $failures
