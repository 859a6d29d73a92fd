# An interactive saver passes the mouse to its movie: clicking the movie's button changes what
# the movie shows and does not end the saver, while a key still ends it with 0.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

if [ ! -f "$SOURCE_DIR/flash/my_shockwave_flash.h" ]; then
  echo "note: this build has no Flash player control; nothing to click"
  finish
fi

python3 "$(dirname "$0")/button_movie.py" "$WORK/button.swf"
"$PACK" --interactive "$SAVER" "$WORK/button.swf" "$WORK/button.scr" >/dev/null

# wait_centre RGB TIMEOUT_S: polls until the middle of the screen shows that colour.
wait_centre() {
  local tries=$(( $2 * 5 ))
  for _ in $(seq 1 "$tries"); do
    screenshot "$WORK/centre.png"
    [ "$(pixel "$WORK/centre.png" 512 384)" = "$1" ] && return 0
    sleep 0.2
  done
  return 1
}

pointer_at 100 100
if start_saver "$WORK/button.scr"; then
  if wait_centre "220 20 20" 20; then ok "the button shows"; else fail "the button shows ($(pixel "$WORK/centre.png" 512 384))"; fi
  xdotool mousemove 512 384 click 1
  if wait_centre "20 200 20" 10; then ok "clicking the button changes the movie"
  else fail "clicking the button changes the movie ($(pixel "$WORK/centre.png" 512 384))"; fi
  check_eq "the background is the movie's own" "0 0 160" "$(pixel "$WORK/centre.png" 100 100)"
  if still_running 1; then ok "the click does not end the saver"; else fail "the click does not end the saver ($EXIT_CODE)"; fi
  xdotool key Escape
  wait_exit "$pid" 15
  check_eq "a key ends it with 0" 0 "$EXIT_CODE"
else
  fail "the interactive saver shows"
  kill_wine_programs
fi
finish
