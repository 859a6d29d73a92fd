# A saver whose movie is an embedded video (Sorenson H.263, made by the ffmpeg command): the
# screen shows the video's frames as they play, and each screenshot is one of the frames swfrender
# draws of the same movie.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

RENDER="$NATIVE_DIR/tools/swfrender"
FRAMES=24
if ! command -v ffmpeg >/dev/null || [ ! -x "$RENDER" ]; then
  fail "the ffmpeg command and swfrender are there"
  finish
fi
python3 "$(dirname "$0")/video_movie.py" "$WORK/video.swf" "$FRAMES" || { fail "the video movie is made"; finish; }

# Every frame as swfrender draws it on the 1024 x 768 screen (the 320 x 240 stage fills it),
# made small for the comparisons.
for f in $(seq 1 "$FRAMES"); do
  "$RENDER" "$WORK/video.swf" --frames "$f" --size 1024x768 --out "$WORK/frame$f.png" 2>>"$WORK/render.err"
  convert "$WORK/frame$f.png" -resize 256x192 "$WORK/small$f.png"
done
check "swfrender decodes every frame" test ! -s "$WORK/render.err"

# closest SHOT: the frame swfrender drew that the screenshot is nearest to, and how many of its
# 256 x 192 pixels differ from it ("FRAME PIXELS").
closest() {
  convert "$1" -resize 256x192 "$WORK/shot-small.png"
  local best="" fewest=999999 f n
  for f in $(seq 1 "$FRAMES"); do
    n=$(compare -metric AE -fuzz 8% "$WORK/shot-small.png" "$WORK/small$f.png" null: 2>&1 | cut -d' ' -f1)
    n=${n%%.*}
    if [ -n "$n" ] && [ "$n" -lt "$fewest" ]; then best=$f; fewest=$n; fi
  done
  echo "$best $fewest"
}

"$PACK" --background '#000000' "$SAVER" "$WORK/video.swf" "$WORK/video.scr" >/dev/null
if start_saver "$WORK/video.scr"; then
  # The first picture comes a moment after the window: poll until the pattern shows.
  for _ in $(seq 1 50); do
    screenshot "$WORK/first.png"
    [ "$(colors_in "$WORK/first.png" 0 0 1024 768)" -gt 16 ] && break
    sleep 0.2
  done
  sleep 0.7  # about eight frames at 12 a second
  screenshot "$WORK/later.png"
  end_saver
  read -r first_frame first_off <<<"$(closest "$WORK/first.png")"
  read -r later_frame later_off <<<"$(closest "$WORK/later.png")"
  total=$((256 * 192))
  echo "note: first screenshot nearest frame $first_frame ($first_off of $total pixels differ)," \
    "later one frame $later_frame ($later_off)"
  check "the two screenshots differ" test "$(differ "$WORK/first.png" "$WORK/later.png")" -gt 10000
  # Neighbouring frames differ in about an eighth of their pixels; a shown frame matches its own
  # to within 1%.
  check "the first screenshot is a frame of the video" test "${first_off:-$total}" -lt $((total / 100))
  check "the later screenshot is a frame of the video" test "${later_off:-$total}" -lt $((total / 100))
  check "the later screenshot shows another frame" test "$first_frame" != "$later_frame"
else
  fail "the saver window shows"
  kill_wine_programs
fi
finish
