#!/usr/bin/env bash
# Movies drawn where each frame changed, by 1 to 4 drawing threads, must equal them drawn whole,
# frame after frame: the demo, and the reference suite's movies where that suite is at hand.
# usage: redraw_check_test.sh SWFRENDER DEMO-MOVIE-TOOL WORK-DIR [SUITE-CASES-DIR]
set -euo pipefail
swfrender=$1 demo_tool=$2 work=$3 suite=${4:-}
mkdir -p "$work"
"$demo_tool" "$work/demo.swf" >/dev/null
failed=0
check() {  # check MOVIE THREADS ARGS...
  local movie=$1 threads=$2
  shift 2
  if ! "$swfrender" "$movie" --threads "$threads" --check-redraw "$@" >/dev/null 2>"$work/err"; then
    echo "redraw differs: $movie with $threads thread(s)"
    grep -v '^swfrender: warning' "$work/err" | head -n 3
    failed=1
  fi
}
for threads in 1 2 3 4; do check "$work/demo.swf" "$threads" --frames 150 --size 480x270; done
movies=0
if [ -n "$suite" ] && [ -d "$suite" ]; then
  for case_dir in "$suite"/*/; do
    [ -f "$case_dir/test.swf" ] || continue
    frames=$(sed -n 's/^num_frames *= *\([0-9]*\).*/\1/p' "$case_dir/test.toml" 2>/dev/null | head -n 1)
    frames=${frames:-1}
    [ "$frames" -le 40 ] || frames=40
    for threads in 1 2 3 4; do check "$case_dir/test.swf" "$threads" --frames "$frames"; done
    movies=$((movies + 1))
  done
fi
echo "redraw check: demo and $movies suite movies, 1 to 4 threads"
exit $failed
