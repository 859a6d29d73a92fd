# An earlier movie file is replaced only by a complete new movie: a movie field that runs past
# the end of the file, or one of length 0, leaves it as it was and leaves no partial file.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

make_movie "$WORK/movie.swf" 200000
"$PACK" "$SAVER" "$WORK/movie.swf" "$WORK/Kept.scr"
end=$(image_end "$WORK/Kept.scr")
target="$WINE_TEMP_UNIX/Kept.tmp"
echo "an earlier movie" > "$WORK/earlier"

# Empty captions, no about text, no picture: the movie length stands 41 bytes into the block.
movie_length_at=$(( end + 41 ))
check_eq "the movie field is where the block puts it" "$((end + 45 + 200000))" "$(stat -c %s "$WORK/Kept.scr")"

mkdir -p "$WORK/cut" "$WORK/empty"   # same file name, so the same movie file
cp "$WORK/Kept.scr" "$WORK/cut/Kept.scr"
truncate -s $(( end + 45 + 130000 )) "$WORK/cut/Kept.scr"   # two whole pieces and a part
cp "$WORK/Kept.scr" "$WORK/empty/Kept.scr"
poke "$WORK/empty/Kept.scr" "$movie_length_at" 00000000

for variant in cut empty; do
  cp "$WORK/earlier" "$target"
  start_bg pid "$WINE" "$WORK/$variant/Kept.scr" /a
  wait_exit "$pid" 30
  check_eq "$variant movie: exit code" 0 "$EXIT_CODE"
  check "$variant movie: the earlier file is untouched" cmp -s "$WORK/earlier" "$target"
  check_eq "$variant movie: no partial file" 0 "$(leftovers)"
done
finish
