# "/s": the borderless, topmost saver window over the whole primary screen; the watermark: a bitmap
# with a transparent-colour border flush bottom-right, its transparent pixels showing what lies
# beneath, present in five screenshots over three seconds; a JPEG centred and drawn whole.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

# A 60 x 40 bitmap: a blue 40 x 20 centre inside a 10-pixel magenta border (bottom-left: magenta).
convert -size 40x20 xc:'rgb(0,0,255)' -bordercolor 'rgb(255,0,255)' -border 10 BMP3:"$WORK/mark.bmp"
make_saver "$WORK/bitmap.scr" --watermark "$WORK/mark.bmp" --watermark-left right:0 --watermark-top bottom:0

pointer_at 500 300
if start_saver "$WORK/bitmap.scr"; then
  facts=$(probe window TfrmSCRViewEngine)
  check_eq "the window covers the primary screen" "0,0,1024,768" "$(fact rect "$facts")"
  check_eq "it is topmost" 1 "$(fact topmost "$facts")"
  check_eq "it has no caption" 0 "$(fact has_caption "$facts")"
  check_eq "and no border" 0 "$(fact has_border "$facts")"
  cursor=$(fact cursor_showing "$(probe cursor)")
  if [ "$cursor" = unknown ]; then echo "note: Wine cannot report the pointer's visibility here"
  else check_eq "the pointer is hidden (not interactive)" 0 "$cursor"; fi

  present=0
  for i in 1 2 3 4 5; do
    screenshot "$WORK/shot$i.png"
    # The blue centre sits 10 pixels inside the image's 60 x 40, flush at the bottom-right corner.
    [ "$(pixel "$WORK/shot$i.png" $((1024 - 30)) $((768 - 20)))" = "0 0 255" ] && present=$((present + 1))
    [ $i -lt 5 ] && sleep 0.75
  done
  check_eq "the watermark is in each of five screenshots over three seconds" 5 "$present"
  shot="$WORK/shot5.png"
  check_eq "its last column is flush with the right edge" "0 0 255" "$(pixel "$shot" 1013 748)"
  check "nothing of it lies further left than 60 pixels from the right" \
    test "$(pixel "$shot" $((1024 - 61)) 748)" != "0 0 255"
  # The magenta border is the bitmap's transparent colour: what lies beneath shows through.
  check "its transparent border is not drawn" test "$(pixel "$shot" $((1024 - 5)) $((768 - 5)))" != "255 0 255"
  check_eq "the border shows what is beneath it (as just left of the image)" \
    "$(pixel "$shot" $((1024 - 61)) $((768 - 5)))" "$(pixel "$shot" $((1024 - 5)) $((768 - 5)))"
  end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi

# A JPEG, centred on both axes, drawn whole.
convert -size 100x50 xc:'rgb(0,160,0)' -quality 95 "$WORK/mark.jpg"
rm -f "$WORK/movie.swf"
make_saver "$WORK/jpeg.scr" --watermark "$WORK/mark.jpg" --watermark-left centre --watermark-top centre
if start_saver "$WORK/jpeg.scr"; then
  sleep 1
  screenshot "$WORK/jpeg.png"
  green() { pixel "$WORK/jpeg.png" "$1" "$2" | awk '{ print ($1 < 40 && $2 > 120 && $3 < 40) ? 1 : 0 }'; }
  # Centred: left (1024 - 100) / 2 = 462, top (768 - 50) / 2 = 359.
  check_eq "the JPEG's top-left corner is at 462,359" 1 "$(green 462 359)"
  check_eq "its bottom-right corner at 561,408" 1 "$(green 561 408)"
  check_eq "and nothing of it outside" "0 0" "$(green 461 359) $(green 562 408)"
  end_saver
else
  fail "the JPEG saver shows"
  kill_wine_programs
fi
finish
