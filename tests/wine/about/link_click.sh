# Links in the about text: a left click on a web address opens exactly that address through the
# shell (Wine's browser setting points at a script of ours that records what it was given); a
# right click does not. Enter, Esc and the close box each end the program with 0.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

make_about_saver "$WORK/about.scr"
cat > "$WORK/browser.sh" <<SH
#!/bin/sh
printf '%s\n' "\$@" >> "$WORK/opened.txt"
SH
chmod +x "$WORK/browser.sh"
"$WINE" reg add 'HKCU\Software\Wine\WineBrowser' /v Browsers /d "$WORK/browser.sh" /f >/dev/null 2>&1

start_dialog() {
  start_bg pid "$WINE" "$WORK/about.scr" /c
  wait_visible TfrmConfig 40
}

# wait_file FILE TIMEOUT_S: polls until the file exists.
wait_file() {
  for _ in $(seq 1 $(( $2 * 10 ))); do [ -s "$1" ] && return 0; sleep 0.1; done
  return 1
}

if start_dialog; then
  IFS=, read -r x y <<< "$(fact position "$(probe textpos TfrmConfig "$ABOUT_URL")")"
  if [ -n "$x" ]; then
    xdotool mousemove $((x + 2)) $((y + 6)) click 3
    # Nothing must come of the right click: give a would-be browser start time to show.
    if wait_file "$WORK/opened.txt" 3; then fail "a right click opens nothing"; else ok "a right click opens nothing"; fi
    xdotool mousemove $((x + 2)) $((y + 6)) click 1
    check "a left click opens the address" wait_file "$WORK/opened.txt" 20
    check_eq "exactly that address" "$ABOUT_URL" "$(head -n 1 "$WORK/opened.txt" 2>/dev/null)"
    check_eq "once" 1 "$(wc -l < "$WORK/opened.txt" 2>/dev/null)"
  else
    fail "the address is found in the box"
  fi
  probe close TfrmConfig >/dev/null
  wait_exit "$pid" 20
  check_eq "the dialog still closes normally" 0 "$EXIT_CODE"
else
  fail "the dialog shows"
fi
"$WINE" reg delete 'HKCU\Software\Wine\WineBrowser' /v Browsers /f >/dev/null 2>&1

# Real keys and clicks from the X server: Enter and Esc (the focus on the button, and on the text
# box), and the button. (The close box's WM_CLOSE is in about_dialog.sh: without a window manager
# Wine draws no frame to click.)
for way in enter esc enter-in-box esc-in-box button; do
  if ! start_dialog; then fail "$way: the dialog shows"; kill_wine_programs; continue; fi
  win=$(wait_for_window "$ABOUT_CAPTION" 10)
  xdotool windowfocus "$win" 2>/dev/null
  case $way in
    enter) xdotool key Return ;;
    esc) xdotool key Escape ;;
    enter-in-box|esc-in-box)
      IFS=, read -r x y <<< "$(fact position "$(probe textpos TfrmConfig "for more")")"
      xdotool mousemove $((x + 2)) $((y + 6)) click 1
      [ $way = enter-in-box ] && xdotool key Return || xdotool key Escape ;;
    button)
      IFS=, read -r l t r b <<< "$(fact rect "$(probe window TfrmConfig | grep '^child_state=TButton' | sed 's/.*rect=/rect=/')")"
      xdotool mousemove $(( (l + r) / 2 )) $(( (t + b) / 2 )) click 1 ;;
  esac
  wait_exit "$pid" 20
  check_eq "$way ends the program with 0" 0 "$EXIT_CODE"
  [ "$EXIT_CODE" = timeout ] && kill_wine_programs
done
finish
