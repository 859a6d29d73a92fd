# A machine whose audio output cannot be opened: the saver plays its movie silently, with no
# message, and still ends on input.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

no_output
if start_saver "$WORK/tone.scr"; then
  sleep 1.5  # an observation period: the movie plays on
  screenshot "$WORK/playing.png"
  check_eq "the movie's box shows" "160 160 160" "$(pixel "$WORK/playing.png" 300 200)"
  check "the saver is still running" still_running 0.5
  check_eq "no other window (a message) is shown" "" \
    "$(xdotool search --onlyvisible --name '.' 2>/dev/null | while read -r w; do xdotool getwindowname "$w"; done | grep -v '^$' | grep -vx 'Default IME' | head -n 1)"
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi
restore_driver
finish
