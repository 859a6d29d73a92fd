# The first two characters of parameter 1 choose the mode: "/S" full screen (the saver window is
# the main window, the about dialog exists hidden, the application window is a hidden tool window
# without a title), "/C" or no parameter the about dialog (the saver window is never shown).
# Closing the main window ends the program with exit code 0.
source "$(dirname "$0")/../lib.sh"

PROBE="$RUN_DIR/tests/win32/app_window_probe/app_window_probe.exe"
printf 'FWS\x06\x1e\x00\x00\x00\x00' > "$WORK/movie.swf"
saver="$WORK/Modes.scr"
if ! "$PACK" --caption "Modes caption" --button "Done" "$SAVER" "$WORK/movie.swf" "$saver" >"$WORK/pack.log" 2>&1; then
  cp "$SAVER" "$saver"  # without the packaging tool: the engine alone
fi
field() { sed -n "s/.*$1=\([^ ]*\).*/\1/p"; }

for argument in /s /S:1234 /Saver; do
  start_bg pid "$WINE" "$saver" "$argument"
  facts=$("$WINE" "$PROBE" --close TfrmSCRViewEngine 30 TfrmConfig TApplication 2>/dev/null | tr -d '\r')
  saver_line=$(grep '^TfrmSCRViewEngine' <<<"$facts")
  check_eq "$argument: the saver window covers the screen" "0,0,1024,768" "$(field rect <<<"$saver_line")"
  check_eq "$argument: the saver window is topmost" 1 "$(field topmost <<<"$saver_line")"
  check_eq "$argument: the about dialog exists, hidden" "1 0" \
    "$(grep '^TfrmConfig' <<<"$facts" | field exists) $(grep '^TfrmConfig' <<<"$facts" | field visible)"
  app_line=$(grep '^TApplication' <<<"$facts")
  check_eq "$argument: the application window is a hidden tool window without a title" "0 1 " \
    "$(field visible <<<"$app_line") $(field toolwindow <<<"$app_line") $(sed -n 's/.*caption=//p' <<<"$app_line")"
  wait_exit "$pid" 20
  check_eq "$argument: closing the saver window ends with 0" 0 "$EXIT_CODE"
  [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
done

for argument in /c /C:1234 ""; do
  name=${argument:-"no parameter"}
  if [ -n "$argument" ]; then start_bg pid "$WINE" "$saver" "$argument"; else start_bg pid "$WINE" "$saver"; fi
  facts=$("$WINE" "$PROBE" --close TfrmConfig 30 TfrmSCRViewEngine TApplication 2>/dev/null | tr -d '\r')
  config_line=$(grep '^TfrmConfig' <<<"$facts")
  check_eq "$name: the about dialog shows" 1 "$(field visible <<<"$config_line")"
  check_eq "$name: the about dialog is topmost" 1 "$(field topmost <<<"$config_line")"
  check "$name: the saver window is not shown" test "$(grep '^TfrmSCRViewEngine' <<<"$facts" | field visible)" != 1
  check_eq "$name: the application window keeps its title" "Modes" \
    "$(grep '^TApplication' <<<"$facts" | sed -n 's/.*caption=//p')"
  wait_exit "$pid" 20
  check_eq "$name: closing the about dialog ends with 0" 0 "$EXIT_CODE"
  [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
done
finish
