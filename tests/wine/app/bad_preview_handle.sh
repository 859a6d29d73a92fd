# A preview parameter that is not an integer reaches the top-level handler: the "Application
# Error" box names the conversion failure and its message, then the program exits with 1.
source "$(dirname "$0")/../lib.sh"

READER="$RUN_DIR/tests/win32/app_box_reader/app_box_reader.exe"

expect_box() {  # expect_box "what" "shown text" saver-arguments...
  local what=$1 shown=$2; shift 2
  start_bg pid "$WINE" "$SAVER" "$@"
  text=$("$WINE" "$READER" "Application Error" 20 2>/dev/null | tr -d '\r')
  wait_exit "$pid" 20
  check_eq "$what: exit code" 1 "$EXIT_CODE"
  first=$(printf '%s\n' "$text" | head -1)
  second=$(printf '%s\n' "$text" | sed -n 2p)
  if [[ "$first" =~ ^Exception\ EConvertError\ in\ module\ swfsaver\.scr\ at\ [0-9A-F]{8,16}\.$ ]]; then
    ok "$what: box names the failure, module and address"
  else
    fail "$what: box text '$first'"
  fi
  check_eq "$what: box gives the message" "$shown" "$second"
  [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
}

expect_box "/p without a handle" "'' is not a valid integer value" /p
expect_box "/p abc" "'abc' is not a valid integer value" /p abc
expect_box "/P:1234 (no second parameter)" "'' is not a valid integer value" /P:1234
finish
