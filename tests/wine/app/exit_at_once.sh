# Arguments that ask for no mode end the program at once with exit code 0 and show no window.
source "$(dirname "$0")/../lib.sh"

visible_windows() { xdotool search --onlyvisible --name '.*' 2>/dev/null | sort; }
before=$(visible_windows)
for argument in /a /A -s s /X; do
  start_bg pid "$WINE" "$SAVER" "$argument"
  appeared=""
  EXIT_CODE=timeout
  for _ in $(seq 1 200); do
    now=$(visible_windows)
    if [ "$now" != "$before" ]; then appeared=$(comm -13 <(echo "$before") <(echo "$now") | head -1); fi
    if ! kill -0 "$pid" 2>/dev/null; then wait "$pid"; EXIT_CODE=$?; break; fi
    sleep 0.1
  done
  check_eq "'$argument' ends with exit code 0" 0 "$EXIT_CODE"
  check_eq "'$argument' shows no window" "" "$appeared"
  [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
done
finish
