# "/p abc" shows the top-level error box, exits with 1 and leaves the host alone; a number that
# names no window ends the preview at once with 0.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/host.sh"

READER="$RUN_DIR/tests/win32/app_box_reader/app_box_reader.exe"

start_host abc --handle-text abc
text=$("$WINE" "$READER" "Application Error" 20 2>/dev/null | tr -d '\r')
check_eq "'/p abc' names the text in the box" "'abc' is not a valid integer value" "$(printf '%s\n' "$text" | sed -n 2p)"
wait_saver_end abc
check_eq "'/p abc' exits with 1" 1 "$END_CODE"
state=$(wait_log abc '^host-state' 5)
check_eq "the host stays visible, in place and unchanged in size" \
  "host-state 1 1 $HOST_X $HOST_Y $((HOST_X + HOST_W)) $((HOST_Y + HOST_H))" "$state"
screenshot "$WORK/abc.png"
check_eq "the host still shows its own colour everywhere" $((HOST_W * HOST_H)) "$(host_magenta "$WORK/abc.png")"
stop_host abc

start_host nowindow --handle-text 12345678
wait_saver_end nowindow
check_eq "'/p 12345678' (no such window) exits with 0" 0 "$END_CODE"
check "it ends at once ($END_MS ms)" test "$END_MS" -lt 3000
stop_host nowindow
finish
