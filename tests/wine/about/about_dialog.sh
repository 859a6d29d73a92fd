# The about dialog ("/c" and no argument): centred and topmost with the package's caption,
# formatted rich text and button text; a fixed dialog frame without minimise or maximise boxes.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

make_about_saver "$WORK/about.scr"
for args in "/c" "" "/C:1234"; do
  start_bg pid "$WINE" "$WORK/about.scr" $args
  if ! wait_visible TfrmConfig 40; then
    fail "'$args' shows the about dialog"
    kill_wine_programs; continue
  fi
  ok "'$args' shows the about dialog"
  facts=$(probe window TfrmConfig)
  check_eq "'$args': the package's caption" "$ABOUT_CAPTION" "$(fact caption "$facts")"
  check_eq "'$args': topmost" 1 "$(fact topmost "$facts")"
  check_eq "'$args': no minimise or maximise box" 0 "$(fact has_minmax "$facts")"
  check_eq "'$args': not sizeable" 0 "$(fact sizeable "$facts")"
  check_eq "'$args': a system menu (close box)" 1 "$(fact has_sysmenu "$facts")"
  IFS=, read -r l t r b <<< "$(fact rect "$facts")"
  check "'$args': centred horizontally ($l..$r)" test $(( (l + r) / 2 - 512 )) -ge -1 -a $(( (l + r) / 2 - 512 )) -le 1
  check "'$args': centred vertically ($t..$b)" test $(( (t + b) / 2 - 384 )) -ge -1 -a $(( (t + b) / 2 - 384 )) -le 1
  children=$(printf '%s\n' "$facts" | grep '^child=')
  check "'$args': the button's text" grep -q ":$ABOUT_BUTTON\$" <<< "$children"
  check "'$args': the RTF is shown formatted, not as source" \
    bash -c 'grep -q "Bold red title" <<< "$1" && ! grep -q "rtf1" <<< "$1"' _ "$children"
  check "'$args': the address is in the text" grep -q "$ABOUT_URL" <<< "$children"
  if [ "$args" = "/c" ]; then
    screenshot "$WORK/about.png"
    # The red bold title: the dialog's upper middle holds the package's red.
    red=$(convert "$WORK/about.png" -crop "$((r - l))x60+$l+$t" +repage -fuzz 20% -fill black +opaque "rgb(200,0,0)" -format "%[fx:int(mean*w*h*3)]" info: 2>/dev/null)
    check "the title is drawn in the RTF's red ($red)" test "${red:-0}" -gt 20
  fi
  # The saver window is made in this mode too, but never shown, and leaves the pointer alone.
  cursor=$(fact cursor_showing "$(probe cursor)")
  [ "$cursor" != unknown ] && check_eq "'$args': the pointer stays visible" 1 "$cursor"
  check_eq "'$args': the saver window exists, hidden" "1 0" \
    "$(s=$(probe window TfrmSCRViewEngine); echo "$(fact found "$s") $(fact visible "$s")")"
  probe close TfrmConfig >/dev/null
  wait_exit "$pid" 20
  check_eq "'$args': closing ends with 0" 0 "$EXIT_CODE"
done

# The engine without a package: the dialog shows with empty texts.
cp "$SAVER" "$WORK/bare.scr"
start_bg pid "$WINE" "$WORK/bare.scr" /c
if wait_visible TfrmConfig 40; then
  facts=$(probe window TfrmConfig)
  check_eq "without a package: an empty caption" "" "$(fact caption "$facts")"
  check "without a package: an empty button" grep -qx 'child=TButton:' <<< "$facts"
  check "without a package: an empty text box" grep -qx 'child=TRichEdit:' <<< "$facts"
  probe close TfrmConfig >/dev/null
  wait_exit "$pid" 20
  check_eq "without a package: closing ends with 0" 0 "$EXIT_CODE"
else
  fail "without a package: the dialog shows"
  kill_wine_programs
fi
finish
