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

# Without a package nothing is written.
cp "$SAVER" "$WORK/Plain.scr"
rm -f "$WINE_TEMP_UNIX/Plain.tmp"
start_bg pid "$WINE" "$WORK/Plain.scr" /a
wait_exit "$pid" 30
check_eq "without a package: exit code" 0 "$EXIT_CODE"
check "without a package: no movie file" test ! -e "$WINE_TEMP_UNIX/Plain.tmp"
finish
