#!/bin/bash
# A movie plays in the control: the first frame shows at the control's place and size, and a
# later screenshot shows that it has moved on, with nothing of the earlier frames left behind.
source "$(dirname "$0")/../lib.sh"

HOST="$RUN_DIR/tests/win32/flash_host/flash_host.exe"

# red_in_row FILE Y: how many pixels of the control's row Y (screen) are the square's red.
red_in_row() {
  convert "$1" -crop "320x1+140+$2" +repage -fuzz 10% -fill white -opaque "#FF0000" -fill black +opaque white \
    -format "%[fx:int(mean*w+0.5)]" info: 2>/dev/null
}
python3 "$(dirname "$0")/make_moving_square.py" "$WORK/square.swf"
start_bg pid "$WINE" "$HOST" show "Z:${WORK//\//\\}\\square.swf"
if wait_for_window "flash host" 30 > /dev/null; then
  sleep 0.3  # the first paint
  screenshot "$WORK/first.png"
  sleep 1.5  # three frames at 2 frames a second
  screenshot "$WORK/later.png"
  # The control sits at 140,130 on the screen, 320x240; the stage fills it (same aspect).
  check_eq "the stage's blue at the control's bottom right" "0 0 255" "$(pixel "$WORK/first.png" 455 365)"
  check_eq "the square in the first frame" "255 0 0" "$(pixel "$WORK/first.png" 155 225)"
  check "the panel outside the control is not the stage" test "$(pixel "$WORK/first.png" 120 115)" != "0 0 255"
  changed=$(differ "$WORK/first.png" "$WORK/later.png" 140 130 320 240)
  check "the movie has moved on ($changed pixels changed)" test "${changed:-0}" -gt 500
  # The square (80 pixels wide) is drawn whole where it is now, and the stage is back where it was.
  check_eq "the stage where the square was" "0 0 255" "$(pixel "$WORK/later.png" 155 225)"
  check_eq "the square's width in the first frame" "80" "$(red_in_row "$WORK/first.png" 225)"
  check_eq "the square's width later, without a trail" "80" "$(red_in_row "$WORK/later.png" 225)"
else
  fail "the host window shows"
fi
kill "$pid" 2>/dev/null
finish
