#!/bin/bash
# The Flash control in a plain host window: colour swap at the component, direct calls, the
# resize rule (playback going on across it), the right-button rule, a movie's fscommand reaching
# the FSCommand event, a failing method and a failed creation.
source "$(dirname "$0")/../lib.sh"

HOST="$RUN_DIR/tests/win32/flash_host/flash_host.exe"
out="$WORK/host.txt"
python3 "$(dirname "$0")/make_moving_square.py" "$WORK/square.swf"
python3 "$(dirname "$0")/make_fscommand_movie.py" "$WORK/fscommand.swf"
timeout 60 "$WINE" "$HOST" "Z:${WORK//\//\\}\\square.swf" "Z:${WORK//\//\\}\\fscommand.swf" > "$out" 2>&1
code=$?
cat "$out"
while read -r line; do
  case "$line" in
    ok:*) ok "${line#ok: }" ;;
    FAIL:*) fail "${line#FAIL: }" ;;
  esac
done < "$out"
check "the host ran to its end" grep -q '^done' "$out"
check_eq "host exit code" 0 "$code"
finish
