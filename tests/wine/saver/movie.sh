# "/s" plays the package's movie over the whole screen: a screenshot shows it (more than a flat
# panel) and a later screenshot shows that it has moved on. A movie whose stage is wider than the
# screen is letterboxed in the package's background colour.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

if [ ! -f "$SOURCE_DIR/flash/my_shockwave_flash.h" ] || [ ! -x "$DEMO_MOVIE_TOOL" ]; then
  echo "note: this build has no Flash player control or no demo movie yet; nothing to play"
  finish
fi

test_movie "$WORK/movie.swf"
make_saver "$WORK/demo.scr" --background '#204080'
if start_saver "$WORK/demo.scr"; then
  sleep 1
  screenshot "$WORK/first.png"
  sleep 1.5
  screenshot "$WORK/later.png"
  check "the movie fills the screen with a picture, not a flat colour" \
    test "$(colors_in "$WORK/first.png" 0 0 1024 768)" -gt 16
  check "it has moved on a second and a half later" test "$(differ "$WORK/first.png" "$WORK/later.png")" -gt 100
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi

# A 1024 x 384 stage on the 1024 x 768 screen: bands of 192 pixels above and below.
python3 "$(dirname "$0")/wide_movie.py" "$WORK/wide.swf"
"$PACK" --background '#204080' "$SAVER" "$WORK/wide.swf" "$WORK/wide.scr" >/dev/null
if start_saver "$WORK/wide.scr"; then
  # Polls until the stage's colour shows (the first frame comes a moment after the window).
  for _ in $(seq 1 50); do
    screenshot "$WORK/wide.png"
    [ "$(pixel "$WORK/wide.png" 512 384)" = "200 30 30" ] && break
    sleep 0.2
  done
  check_eq "the stage shows the movie" "200 30 30" "$(pixel "$WORK/wide.png" 512 384)"
  check_eq "the band above is the package's colour" "32 64 128" "$(pixel "$WORK/wide.png" 512 100)"
  check_eq "the band below is the package's colour" "32 64 128" "$(pixel "$WORK/wide.png" 512 700)"
  check_eq "the stage begins where the band ends" "200 30 30" "$(pixel "$WORK/wide.png" 0 194)"
  end_saver
else
  fail "the saver window shows for the wide movie"
  kill_wine_programs
fi

# The same movie compressed with LZMA plays the same.
python3 "$(dirname "$0")/lzma_movie.py" "$WORK/wide.swf" "$WORK/wide-lzma.swf"
"$PACK" --background '#204080' "$SAVER" "$WORK/wide-lzma.swf" "$WORK/wide-lzma.scr" >/dev/null
if start_saver "$WORK/wide-lzma.scr"; then
  for _ in $(seq 1 50); do
    screenshot "$WORK/wide-lzma.png"
    [ "$(pixel "$WORK/wide-lzma.png" 512 384)" = "200 30 30" ] && break
    sleep 0.2
  done
  check_eq "the LZMA-compressed movie shows its stage" "200 30 30" "$(pixel "$WORK/wide-lzma.png" 512 384)"
  check_eq "with the band of the package's colour" "32 64 128" "$(pixel "$WORK/wide-lzma.png" 512 100)"
  end_saver
else
  fail "the saver window shows for the LZMA-compressed movie"
  kill_wine_programs
fi
finish
