# Every start writes the packaged movie to the Wine user's temporary folder as <base name>.tmp,
# byte for byte, whatever the mode; the base name keeps all but the last extension. A saver
# without a package writes no file.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

make_movie "$WORK/movie.swf" 150000    # more than two copy pieces
"$PACK" --caption "Movie file test" "$SAVER" "$WORK/movie.swf" "$WORK/Sample.Saver.scr"
target="$WINE_TEMP_UNIX/Sample.Saver.tmp"

for argument in /a /s /c /p; do
  rm -f "$target"
  start_bg pid "$WINE" "$WORK/Sample.Saver.scr" $argument
  if run_until_file "$pid" "$target" 30; then
    check "$argument: Sample.Saver.tmp holds the movie byte for byte" cmp -s "$WORK/movie.swf" "$target"
  else
    fail "$argument: no Sample.Saver.tmp in the temporary folder"
  fi
  stop_program "$pid"
done
check_eq "no partial movie files left" 0 "$(leftovers)"

# The same movie again replaces the file (a second start with other bytes shows it is rewritten).
make_movie "$WORK/other.swf" 1000
"$PACK" "$SAVER" "$WORK/other.swf" "$WORK/Sample.Saver.scr"
start_bg pid "$WINE" "$WORK/Sample.Saver.scr" /a
wait_exit "$pid" 30
check_eq "/a with a new movie: exit code" 0 "$EXIT_CODE"
check "/a with a new movie: the file is replaced" cmp -s "$WORK/other.swf" "$target"

# Started through its short 8.3 path, the saver still takes its long name as the base name.
SHORT_PATH="$RUN_DIR/tests/win32/package_short_path/package_short_path.exe"
cp "$WORK/Sample.Saver.scr" "$WORK/Long Saver Name.v2.scr"
short=$("$WINE" "$SHORT_PATH" "Z:${WORK//\//\\}\\Long Saver Name.v2.scr" 2>/dev/null | tr -d '\r')
check "a short path differs from the long name" test -n "$short" -a "${short##*\\}" != "Long Saver Name.v2.scr"
rm -f "$WINE_TEMP_UNIX/Long Saver Name.v2.tmp"
start_bg pid "$WINE" "$short" /a
wait_exit "$pid" 30
check_eq "started by its short path ($short): exit code" 0 "$EXIT_CODE"
check "started by its short path: the movie file has the long base name" \
  cmp -s "$WORK/other.swf" "$WINE_TEMP_UNIX/Long Saver Name.v2.tmp"

# Without a package nothing is written.
cp "$SAVER" "$WORK/Plain.scr"
rm -f "$WINE_TEMP_UNIX/Plain.tmp"
start_bg pid "$WINE" "$WORK/Plain.scr" /a
wait_exit "$pid" 30
check_eq "without a package: exit code" 0 "$EXIT_CODE"
check "without a package: no movie file" test ! -e "$WINE_TEMP_UNIX/Plain.tmp"
finish
