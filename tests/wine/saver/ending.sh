# What ends the saver. Not interactive: a key; a mouse move of 4 pixels on both axes does not, one
# of 5 does; a left click does. Interactive: moves and clicks do not, a key does, and the pointer
# stays visible. Every end is exit code 0.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

make_saver "$WORK/quiet.scr"
make_saver "$WORK/interactive.scr" --interactive

# quiet_run NAME ACTION...: starts the quiet saver with the pointer at 500,300 and runs ACTION.
quiet_run() {
  local name=$1; shift
  pointer_at 500 300
  if ! start_saver "$WORK/quiet.scr"; then fail "$name: the saver shows"; kill_wine_programs; return 1; fi
  "$@"
}

key_ends() {
  xdotool key space
  wait_exit "$pid" 15
  check_eq "a key ends it with 0" 0 "$EXIT_CODE"
}
quiet_run key key_ends || true

moves() {
  xdotool mousemove 504 304
  if still_running 2; then ok "a move of 4 pixels on both axes does not end it"
  else fail "a move of 4 pixels on both axes does not end it (ended with $EXIT_CODE)"; return; fi
  xdotool mousemove 496 300
  if still_running 1; then ok "nor one of -4 on one axis"; else fail "nor one of -4 on one axis"; return; fi
  xdotool mousemove 505 300
  wait_exit "$pid" 15
  check_eq "a move of 5 pixels ends it with 0" 0 "$EXIT_CODE"
}
quiet_run moves moves || true

click_ends() {
  xdotool click 1
  wait_exit "$pid" 15
  check_eq "a left click ends it with 0" 0 "$EXIT_CODE"
}
quiet_run click click_ends || true

pointer_at 500 300
if start_saver "$WORK/interactive.scr"; then
  cursor=$(fact cursor_showing "$(probe cursor)")
  if [ "$cursor" = unknown ]; then echo "note: Wine cannot report the pointer's visibility here"
  else check_eq "interactive: the pointer stays visible" 1 "$cursor"; fi
  xdotool mousemove 700 500 click 1 click 3 mousemove 100 100
  if still_running 2; then ok "interactive: moves and clicks do not end it"
  else fail "interactive: moves and clicks do not end it (ended with $EXIT_CODE)"; fi
  xdotool key Return
  wait_exit "$pid" 15
  check_eq "interactive: a key ends it with 0" 0 "$EXIT_CODE"
else
  fail "the interactive saver shows"
  kill_wine_programs
fi

finish
