# "/s" plays the package's movie over the whole screen: a screenshot shows it (more than a flat
# panel), letterboxed in the package's background colour where the stage's shape differs from the
# screen's, and a later screenshot shows that it has moved on.
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
  # Letterboxing: where the picture does not reach an edge, the band is the package's colour.
  edges="$(pixel "$WORK/first.png" 0 384) / $(pixel "$WORK/first.png" 512 0)"
  check "an edge band shows the package's background colour ($edges)" grep -q "32 64 128" <<< "$edges"
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi
finish
