# The Windows build of the packaging tool writes the same saver as the host build, replaces an
# existing output, reads packages back with --inspect and refuses bad input with exit code 2.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

TOOL="$RUN_DIR/tools/swfsaver-pack.exe"
win() { echo "Z:${1//\//\\}"; }   # the Unix path as Wine's Z: drive sees it

make_movie "$WORK/movie.swf" 80000
convert -size 9x4 xc:'#CC3366' BMP3:"$WORK/mark.bmp"
printf 'About {this}\nsaver\n' > "$WORK/about.txt"
options=(--caption "Tool test" --button Close --background '#102030' --interactive --watermark-left centre
         --watermark-top bottom:3)

"$PACK" "${options[@]}" --about "$WORK/about.txt" --watermark "$WORK/mark.bmp" \
  "$SAVER" "$WORK/movie.swf" "$WORK/host.scr"
echo "stale" > "$WORK/windows.scr"
"$WINE" "$TOOL" "${options[@]}" --about "$(win "$WORK/about.txt")" --watermark "$(win "$WORK/mark.bmp")" \
  "$(win "$SAVER")" "$(win "$WORK/movie.swf")" "$(win "$WORK/windows.scr")" > "$WORK/tool.log" 2>&1
check_eq "Windows tool: exit code" 0 "$?"
check "Windows tool: the same saver as the host tool, replacing the old file" cmp -s "$WORK/host.scr" "$WORK/windows.scr"

"$WINE" "$TOOL" --inspect "$(win "$WORK/windows.scr")" 2>/dev/null | tr -d '\r' > "$WORK/inspect.txt"
"$PACK" --inspect "$WORK/host.scr" > "$WORK/inspect-host.txt"
check "Windows tool: --inspect prints what the host tool prints" cmp -s "$WORK/inspect-host.txt" "$WORK/inspect.txt"

"$WINE" "$TOOL" --background chartreuse "$(win "$SAVER")" "$(win "$WORK/movie.swf")" "$(win "$WORK/bad.scr")" \
  > /dev/null 2>&1
check_eq "Windows tool: a bad colour gives exit code 2" 2 "$?"
check "Windows tool: nothing written for bad input" test ! -e "$WORK/bad.scr"
finish
