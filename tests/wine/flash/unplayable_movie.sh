#!/bin/bash
# A movie file that is no movie: the control still shows, at its place and size, in the
# movie's default background, and the host goes on running.
source "$(dirname "$0")/../lib.sh"

HOST="$RUN_DIR/tests/win32/flash_host/flash_host.exe"
# A movie header that claims 5000 bytes and ends inside its stage rectangle (random bytes could,
# by chance, make a movie that plays something).
{ printf 'FWS\012\210\023\000\000'; head -c 10 /dev/zero | tr '\0' '\377'; } > "$WORK/bad.swf"
start_bg pid "$WINE" "$HOST" show "Z:${WORK//\//\\}\\bad.swf"
if wait_for_window "flash host" 30 > /dev/null; then
  ok "the host window shows"
  sleep 1  # the first paint
  screenshot "$WORK/shot.png"
  # Host window at 100,100 filled by a panel; the control at 40,30 inside it, 320x240, white.
  check_eq "the control's background at its place" "255 255 255" "$(pixel "$WORK/shot.png" 300 250)"
  check_eq "the control's top-left corner" "255 255 255" "$(pixel "$WORK/shot.png" 141 131)"
  outside=$(pixel "$WORK/shot.png" 120 115)
  check "the panel outside the control is not the control's white ($outside)" test "$outside" != "255 255 255"
  check "the panel right of the control is not the control's white" test "$(pixel "$WORK/shot.png" 470 250)" != "255 255 255"
  check "the host still runs" kill -0 "$pid"
else
  fail "the host window shows"
fi
kill "$pid" 2>/dev/null
finish
