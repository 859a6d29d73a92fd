# The screen-saver password: with "ScreenSaveUsePassword" on and our stand-in PASSWORD.CPL in the
# system folder, a refusing answer keeps the saver running and the next input asks again, an
# accepting one ends it; WM_CLOSE from another program and the system's question before a
# log-off pass the same check. Without the value,
# or without the library, input ends it at once; a PASSWORD.CPL beside the saver or in the
# current folder is never loaded.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

CPL="$RUN_DIR/tests/win32/password_cpl/PASSWORD.CPL"
SYSTEM_CPL="$WINE_SYSTEM_DIR/PASSWORD.CPL"
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
export PASSWORD_CPL_ANSWER_FILE=$(windows_path "$WORK/answer")
export PASSWORD_CPL_LOG=$(windows_path "$WORK/calls.log")
answer() { printf '%s' "$1" > "$WORK/answer"; }
calls() { [ -f "$WORK/calls.log" ] && grep -c '^call' "$WORK/calls.log" || echo 0; }
# wait_calls N: polls until the library was asked N times.
wait_calls() {
  for _ in $(seq 1 100); do [ "$(calls)" -ge "$1" ] && return 0; sleep 0.1; done
  return 1
}
set_password_value() {
  "$WINE" reg add 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
clear_password_value() {
  "$WINE" reg delete 'HKCU\Control Panel\Desktop' /v ScreenSaveUsePassword /f >/dev/null 2>&1
}
cleanup() { clear_password_value; rm -f "$SYSTEM_CPL"; }

cleanup  # a run that was cut short may have left the setting on
make_saver "$WORK/saver.scr"
cp "$CPL" "$SYSTEM_CPL"
set_password_value 1

# Refused, asked again, accepted.
answer 0
if start_saver "$WORK/saver.scr"; then
  xdotool key space
  check "a key asks the system's library" wait_calls 1
  check_eq "with the saver window as the owner" "call TfrmSCRViewEngine" "$(head -n 1 "$WORK/calls.log" 2>/dev/null | tr -d '\r')"
  if still_running 1; then ok "a refused password keeps the saver running"
  else fail "a refused password keeps the saver running (ended with $EXIT_CODE)"; fi
  check_eq "and its window shown" 1 "$(fact visible "$(probe window TfrmSCRViewEngine)")"
  xdotool key space
  check "the next key asks again" wait_calls 2
  if still_running 1; then ok "a second refusal keeps it running"; else fail "a second refusal keeps it running"; fi

  # WM_CLOSE from another program passes the same check.
  probe close TfrmSCRViewEngine >/dev/null
  check "WM_CLOSE from outside asks too" wait_calls 3
  if still_running 1; then ok "and a refusal keeps it running"; else fail "WM_CLOSE refused keeps it running"; fi

  # Before a log-off the system asks; the password check answers for the saver.
  check_eq "a refused password refuses the log-off" 0 "$(fact answer "$(probe endsession TfrmSCRViewEngine)")"
  answer 1
  check_eq "an accepted one allows it" 1 "$(fact answer "$(probe endsession TfrmSCRViewEngine)")"
  check_eq "without closing the saver" 1 "$(fact visible "$(probe window TfrmSCRViewEngine)")"

  xdotool key space
  wait_exit "$pid" 15
  check_eq "an accepted password ends it with 0" 0 "$EXIT_CODE"
else
  fail "the saver shows"; kill_wine_programs
fi

# WM_CLOSE accepted ends it.
answer 1
rm -f "$WORK/calls.log"
if start_saver "$WORK/saver.scr"; then
  probe close TfrmSCRViewEngine >/dev/null
  wait_exit "$pid" 15
  check_eq "WM_CLOSE with an accepted password ends it with 0" 0 "$EXIT_CODE"
  check_eq "after one question" 1 "$(calls)"
else
  fail "the saver shows"; kill_wine_programs
fi

# quick_end NAME: a key must end the saver at once, without asking the library.
quick_end() {
  answer 0
  rm -f "$WORK/calls.log"
  if start_saver "$WORK/saver.scr"; then
    xdotool key space
    wait_exit "$pid" 15
    check_eq "$1: a key ends it with 0" 0 "$EXIT_CODE"
    check_eq "$1: the library is not asked" 0 "$(calls)"
  else
    fail "$1: the saver shows"; kill_wine_programs
  fi
}

clear_password_value
quick_end "without the value"
set_password_value 0
quick_end "with the value 0"

# A refusing library planted beside the saver and in the current folder, none in the system folder.
set_password_value 1
rm -f "$SYSTEM_CPL"
cp "$CPL" "$WORK/PASSWORD.CPL"
cd "$WORK"
quick_end "without the system's library, with one beside the saver and in the current folder"
cd - >/dev/null

cleanup
finish
