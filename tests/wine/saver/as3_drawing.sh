# An ActionScript 3 movie as a saver: its document class draws a green square with
# flash.display.Graphics and moves a red sprite along a row on every enterFrame. The screen shows
# the square where the class drew it, and two screenshots apart in time differ in the sprite's
# row only.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

MOVIE_TOOL="$NATIVE_DIR/tests/engine/avm2/as3_drawing_movie"
if [ ! -x "$MOVIE_TOOL" ]; then
  fail "the ActionScript 3 drawing movie tool is built"
  finish
fi

# green_at FILE X Y: true when the pixel is the square's green (0, 160, 0), give or take.
green_at() {
  local r g b
  read -r r g b <<<"$(pixel "$1" "$2" "$3")"
  [ -n "$b" ] && [ "$r" -lt 40 ] && [ "$g" -gt 130 ] && [ "$g" -lt 190 ] && [ "$b" -lt 40 ]
}

"$MOVIE_TOOL" "$WORK/drawing.swf"
"$PACK" --background '#ffffff' "$SAVER" "$WORK/drawing.swf" "$WORK/drawing.scr" >/dev/null
if start_saver "$WORK/drawing.scr"; then
  # The 640 x 480 stage fills the 1024 x 768 screen (1.6 times): the square covers 256..512 x
  # 64..320, the sprite's row 480..608. Poll until the first frame is shown.
  for _ in $(seq 1 50); do
    screenshot "$WORK/first.png"
    green_at "$WORK/first.png" 384 192 && break
    sleep 0.2
  done
  check "the square drawn by the document class shows, green, where it was drawn" green_at "$WORK/first.png" 384 192
  check_eq "the stage around it is white, the package's background" "255 255 255" "$(pixel "$WORK/first.png" 100 192)"
  check "the moving sprite shows in its row" test "$(colors_in "$WORK/first.png" 0 480 1024 128)" -gt 1
  sleep 0.7
  screenshot "$WORK/later.png"
  moved=$(differ "$WORK/first.png" "$WORK/later.png" 0 480 1024 128)
  still=$(differ "$WORK/first.png" "$WORK/later.png" 0 0 1024 470)
  echo "note: $moved pixels changed in the sprite's row, $still above it"
  check "the sprite has moved on by the later screenshot" test "${moved:-0}" -gt 1000
  check "the square and the stage above the row stay as they were" test "${still:-100}" -lt 100
  check "the square is still there" green_at "$WORK/later.png" 384 192
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi
finish
