#!/bin/bash
# Usage: input_position_test.sh SWFRENDER POINTER_MOVIE_TOOL WORK_DIR
# Simulated pointer positions count from the stage's visible corner: on a movie whose frame
# starts at (100, 50) pixels, a move to (30, 40) is at (130, 90) in the movie.
set -u
render=$1 writer=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
"$writer" "$work/pointer.swf" || { echo "FAIL: the pointer movie was not written"; exit 1; }
cat >"$work/events.json" <<'JSON'
[
  { "type": "MouseMove", "pos": [30.0, 40.0] },
  { "type": "Wait" }
]
JSON
out=$("$render" "$work/pointer.swf" --frames 2 --out "$work/x.png" --input "$work/events.json" 2>"$work/err") ||
    { echo "FAIL: rendering failed: $(cat "$work/err")"; exit 1; }
want=$'130\n90'
[ "$out" = "$want" ] || { echo "FAIL: the pointer is at $(echo $out), expected 130 90"; exit 1; }
echo "all checks passed"
