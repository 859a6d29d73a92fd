# A watermark that cannot be loaded ends start-up: the "Error" box with the run-time error 217
# and its address, then exit code 217, in whatever mode the saver was started.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

READER="$RUN_DIR/tests/win32/app_box_reader/app_box_reader.exe"
make_movie "$WORK/movie.swf" 5000
convert -size 8x6 xc:'#3366CC' BMP3:"$WORK/mark.bmp"
"$PACK" --watermark "$WORK/mark.bmp" "$SAVER" "$WORK/movie.swf" "$WORK/Marked.scr"
end=$(image_end "$WORK/Marked.scr")
picture=$(( end + 37 ))   # length of the picture field: behind empty strings and both positions

cp "$WORK/Marked.scr" "$WORK/BadHeader.scr"
poke "$WORK/BadHeader.scr" $(( picture + 4 + 14 )) 14000000   # a bitmap header size of 20
cp "$WORK/Marked.scr" "$WORK/PastEnd.scr"
poke "$WORK/PastEnd.scr" "$picture" 00ffffff                   # longer than the rest of the file

for saver in BadHeader PastEnd; do
  for argument in /s /a; do
    start_bg pid "$WINE" "$WORK/$saver.scr" $argument
    text=$("$WINE" "$READER" "Error" 20 2>/dev/null | tr -d '\r')
    wait_exit "$pid" 20
    check_eq "$saver $argument: exit code" 217 "$EXIT_CODE"
    if [[ "$text" =~ ^Runtime\ error\ 217\ at\ [0-9A-F]{8,16}$ ]]; then
      ok "$saver $argument: the Error box shows the run-time error"
    else
      fail "$saver $argument: box text '$text'"
    fi
    [ "$EXIT_CODE" = timeout ] && kill "$pid" 2>/dev/null
  done
done

# The undamaged saver starts normally.
start_bg pid "$WINE" "$WORK/Marked.scr" /a
wait_exit "$pid" 20
check_eq "intact watermark: exit code" 0 "$EXIT_CODE"
finish
