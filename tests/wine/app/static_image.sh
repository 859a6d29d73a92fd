# The product (the i686 build) needs no DLL beyond the system's and ends exactly at its image
# end, so that nothing behind its sections is taken for a package data block.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/pe_image_end.sh"

product="$WIN32_DIR/swfsaver.scr"
check "the i686 saver exists" test -f "$product"

# bcrypt: every Windows since Vista has it; the sound decoders' library seeds its random numbers there.
system_dlls="kernel32 user32 gdi32 advapi32 bcrypt shell32 ole32 oleaut32 comctl32 comdlg32 msimg32 msvcrt winmm shlwapi version"
for dll in $(i686-w64-mingw32-objdump -p "$product" | awk '/DLL Name:/ {print tolower($3)}'); do
  name=${dll%.dll}
  if [[ " $system_dlls " == *" $name "* ]]; then ok "imports system DLL $dll"; else fail "imports non-system DLL $dll"; fi
done
check "the image is a 32-bit Windows program" bash -c "i686-w64-mingw32-objdump -f '$product' | grep -q 'pei-i386'"

# The image end computed here agrees with the file's size; the packaging tool, when built,
# must report the same.
end=$(pe_image_end "$product")
size=$(stat -c %s "$product")
check_eq "the file ends at its image end" "$end" "$size"
if [ -x "$PACK" ]; then
  check "the packaging tool reports the same image end" bash -c "'$PACK' --inspect '$product' | grep -q '^image end: $end\$'"
fi

# Its resources: the manifest asking for the common controls 6.0.0.0 (visual styles), the icon,
# and the two form layouts.
types=$(i686-w64-mingw32-objdump -p "$product" | sed -n 's/^[0-9a-f]*   Entry: ID: 0x0000\(..\),.*/\1/p' | tr '\n' ' ')
strings -a "$product" > "$WORK/strings.txt"
check "the manifest names Microsoft.Windows.Common-Controls" grep -q 'name="Microsoft.Windows.Common-Controls" version="6.0.0.0"' "$WORK/strings.txt"
check "the saver window's layout is stored" grep -q '^object frmSCRViewEngine TfrmSCRViewEngine' "$WORK/strings.txt"
check "the about dialog's layout is stored" grep -q '^object frmConfig TfrmConfig' "$WORK/strings.txt"
check "an icon group is stored" grep -q '0e' <<<"$types"
check "a manifest resource is stored" grep -q '18' <<<"$types"

# A file with bytes behind the image is told apart by the same computation.
cp "$product" "$WORK/longer.scr"
printf 'tail' >> "$WORK/longer.scr"
check_eq "four bytes behind the image are seen" "$((end + 4))" "$(stat -c %s "$WORK/longer.scr")"
check_eq "the image end ignores bytes behind it" "$end" "$(pe_image_end "$WORK/longer.scr")"
finish
