# Shared by the about dialog tests: a packaged saver with a known caption, RTF text and button.
PROBE="$RUN_DIR/tests/win32/window_probe/window_probe.exe"

# probe ARGS...: runs the window probe; prints its key=value lines without carriage returns.
probe() { "$WINE" "$PROBE" "$@" 2>/dev/null | tr -d '\r'; }
# fact KEY LINES: the value of KEY in the probe's output.
fact() { printf '%s\n' "$2" | sed -n "s/^$1=//p" | head -n 1; }

# make_movie FILE: a minimal valid movie (one empty frame), enough for the about dialog.
make_movie() {
  python3 - "$1" <<'PY'
import struct, sys
body = bytes([0x50, 0x00, 0x00, 0x00, 0x00])  # RECT: nbits 10, all zero, padded
body += struct.pack('<HH', 12 << 8, 1) + bytes([0x40, 0x00, 0x00, 0x00])  # ShowFrame, End
data = b'FWS' + bytes([6]) + struct.pack('<I', 8 + len(body)) + body
open(sys.argv[1], 'wb').write(data)
PY
}

ABOUT_CAPTION="Test About Caption"
ABOUT_BUTTON="Close Me"
ABOUT_URL="http://example.com/swfsaver-test"

# make_about_saver OUTPUT: the saver packaged with the about texts above.
make_about_saver() {
  make_movie "$WORK/movie.swf"
  printf '%s' '{\rtf1\ansi\deff0{\fonttbl{\f0 Arial;}}{\colortbl;\red200\green0\blue0;}\qc\f0\fs28 {\cf1\b Bold red title}\par\fs20 Visit '"$ABOUT_URL"' for more\par}' > "$WORK/about.rtf"
  "$PACK" --caption "$ABOUT_CAPTION" --button "$ABOUT_BUTTON" --about "$WORK/about.rtf" \
    "$SAVER" "$WORK/movie.swf" "$1" >/dev/null
}

# wait_visible CLASS [TIMEOUT_S]: polls until the program's window of that class is visible.
wait_visible() {
  local tries=$(( ${2:-30} * 4 ))
  for _ in $(seq 1 "$tries"); do
    [ "$(fact visible "$(probe window "$1")")" = 1 ] && return 0
    sleep 0.25
  done
  return 1
}
