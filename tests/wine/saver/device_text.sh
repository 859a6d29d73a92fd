# Text in device fonts: the saver draws the fields of a movie with the system's faces (found
# under the metric-compatible stand-ins that set-up installs), and its picture agrees with
# swfrender's, which takes the same faces through FreeType.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

MOVIE_TOOL="$NATIVE_DIR/tests/engine/fonts/device_text_movie"
RENDER="$NATIVE_DIR/tools/swfrender"
if [ ! -x "$MOVIE_TOOL" ] || [ ! -x "$RENDER" ]; then
  fail "the device-text movie tool and swfrender are built"
  finish
fi

"$MOVIE_TOOL" "$WORK/text.swf"
# The 640 x 480 stage fills the 1024 x 768 screen, as the saver shows it.
"$RENDER" "$WORK/text.swf" --size 1024x768 --out "$WORK/expected.png" 2>"$WORK/render.err"
check "swfrender finds system faces for every field" test ! -s "$WORK/render.err"
check "swfrender's picture has text in it" test "$(colors_in "$WORK/expected.png" 0 0 1024 768)" -gt 16

"$PACK" --background '#ffffff' "$SAVER" "$WORK/text.swf" "$WORK/text.scr" >/dev/null
if start_saver "$WORK/text.scr"; then
  # The first frame comes a moment after the window: poll until the first line's text shows.
  for _ in $(seq 1 50); do
    screenshot "$WORK/shown.png"
    [ "$(colors_in "$WORK/shown.png" 0 0 1024 80)" -gt 8 ] && break
    sleep 0.2
  done
  total=$((1024 * 768))
  changed=$(differ "$WORK/expected.png" "$WORK/shown.png")
  # Pixels that differ, against pixels that carry text at all (a screen without the text would
  # differ in all of those).
  inked=$(convert "$WORK/expected.png" -fuzz 5% -fill black +opaque white \
    -format "%[fx:int(w*h*(1-mean))]" info: 2>/dev/null)
  echo "note: $changed of $total pixels differ; $inked pixels carry text"
  check "the saver draws text where swfrender does" test "$inked" -gt 5000
  check "the saver's picture agrees with swfrender's (under 3% of the text's pixels differ)" \
    test "$((changed * 100))" -lt "$((inked * 3))"
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi
finish
