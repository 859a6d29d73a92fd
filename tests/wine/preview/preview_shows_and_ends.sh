# The preview plays inside the host window and nowhere else, costs little processor time, and
# ends with exit code 0 soon after the host is hidden or destroyed.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/host.sh"

screenshot "$WORK/before.png"
masked "$WORK/before.png" "$WORK/before-masked.png"

start_host shown
if wait_movie_shown 15; then ok "the player covers the host window"; else fail "the host window still shows its own colour"; fi
screenshot "$WORK/shown.png"
masked "$WORK/shown.png" "$WORK/shown-masked.png"
check_eq "nothing changed outside the host window" 0 "$(differ "$WORK/before-masked.png" "$WORK/shown-masked.png")"
if [ "$PREVIEW_SAVER" != "$SAVER" ]; then
  check "the host window shows the movie, not a flat colour" \
    test "$(colors_in "$WORK/shown.png" "$HOST_X" "$HOST_Y" "$HOST_W" "$HOST_H")" -gt 16
  screenshot "$WORK/later.png"
  check "the movie moves on" test "$(differ "$WORK/shown.png" "$WORK/later.png" "$HOST_X" "$HOST_Y" "$HOST_W" "$HOST_H")" -gt 20
fi

pid=$(saver_pid)
if [ -n "$pid" ]; then
  t0=$(cpu_ticks "$pid"); start=$(date +%s%N)
  # Five seconds of preview: an observation period, not a wait for an event.
  sleep 5
  t1=$(cpu_ticks "$pid"); end=$(date +%s%N)
  hz=$(getconf CLK_TCK)
  share=$(awk -v d=$((t1 - t0)) -v hz="$hz" -v ns=$((end - start)) 'BEGIN {printf "%.1f", 100 * d / hz / (ns / 1e9)}')
  echo "figure: saver processor time over 5 s of preview: ${share}% of one core"
  check "processor time under a quarter of one core" awk -v s="$share" 'BEGIN {exit !(s < 25)}'
else
  fail "no saver process found"
fi

host_command shown hide
wait_saver_end shown
check_eq "hiding the host ends the saver with 0" 0 "$END_CODE"
check "it ends within a second of the hide ($END_MS ms)" test "$END_MS" -lt 1000
stop_host shown

start_host destroyed
wait_movie_shown 15 >/dev/null
host_command destroyed destroy
wait_saver_end destroyed
check_eq "destroying the host ends the saver with 0" 0 "$END_CODE"
check "it ends within a second of the destruction ($END_MS ms)" test "$END_MS" -lt 1000
stop_host destroyed
finish
