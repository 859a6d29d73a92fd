# Shared by the full-screen saver tests: packaged savers, starting "/s" and waiting for the window.
source "$(dirname "${BASH_SOURCE[0]}")/../about/helpers.sh"

DEMO_MOVIE_TOOL="$NATIVE_DIR/tools/demo/swfsaver-demo-movie"

# test_movie FILE: the demo movie when its tool is built, otherwise a minimal one-frame movie.
test_movie() {
  if [ -x "$DEMO_MOVIE_TOOL" ] && "$DEMO_MOVIE_TOOL" "$1" >/dev/null 2>&1 && [ -s "$1" ]; then return 0; fi
  make_movie "$1"
}

# make_saver OUTPUT [pack options...]
make_saver() {
  local out=$1; shift
  [ -s "$WORK/movie.swf" ] || test_movie "$WORK/movie.swf"
  "$PACK" "$@" "$SAVER" "$WORK/movie.swf" "$out" >/dev/null
}

# start_saver SCR [ARGS]: starts it full-screen; sets pid; true once its window is visible.
start_saver() {
  local scr=$1; shift
  start_bg pid "$WINE" "$scr" "${@:-/s}"
  wait_visible TfrmSCRViewEngine 40
}

# pointer_at X Y: moves the pointer and waits until Windows programs see it there, so that a
# saver started next takes that position as its start point (Wine learns of X pointer motion
# lazily).
pointer_at() {
  xdotool mousemove "$1" "$2"
  for _ in $(seq 1 20); do
    [ "$(fact cursor_pos "$(probe cursor)")" = "$1,$2" ] && return 0
    xdotool mousemove "$1" "$2"
    sleep 0.1
  done
  echo "note: Windows programs do not see the pointer at $1,$2"
}

# still_running SECONDS: true when the saver started last has not ended within that time.
still_running() {
  wait_exit "$pid" "$1"
  [ "$EXIT_CODE" = timeout ]
}

# end_saver: ends a saver that a test left running (Alt+F4 would pass the password check).
end_saver() {
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
}
