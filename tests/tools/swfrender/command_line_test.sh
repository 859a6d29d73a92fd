#!/bin/bash
# Usage: command_line_test.sh SWFRENDER DEMO_MOVIE_TOOL WORK_DIR
set -u
render=$1 demo=$2 work=$3
rm -rf "$work" && mkdir -p "$work"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

"$demo" "$work/demo.swf" || fail "the demo movie was not written"

# A picture at the stage size, nothing on stdout.
out=$("$render" "$work/demo.swf" --frames 3 --out "$work/stage.png" 2>"$work/err")
[ $? -eq 0 ] || fail "rendering the demo failed: $(cat "$work/err")"
[ -z "$out" ] || fail "stdout is not empty: $out"
size=$(identify -format '%wx%h' "$work/stage.png" 2>/dev/null)
[ "$size" = "640x480" ] || fail "picture size $size, expected 640x480"

# --size scales the stage; different frames differ.
"$render" "$work/demo.swf" --frames 40 --size 320x240 --out "$work/small.png" || fail "--size failed"
size=$(identify -format '%wx%h' "$work/small.png" 2>/dev/null)
[ "$size" = "320x240" ] || fail "picture size $size, expected 320x240"
"$render" "$work/demo.swf" --frames 1 --size 320x240 --out "$work/first.png"
diff=$(compare -metric AE -fuzz 10% "$work/small.png" "$work/first.png" null: 2>&1)
[ "${diff%%.*}" -gt 1000 ] 2>/dev/null || fail "frame 40 looks like frame 1 ($diff pixels differ)"

# --quality low draws edges without anti-aliasing: the same frame then has far fewer colours.
"$render" "$work/demo.swf" --frames 1 --size 320x240 --quality low --out "$work/low.png" || fail "--quality low failed"
smooth=$(identify -format '%k' "$work/first.png" 2>/dev/null)
rough=$(identify -format '%k' "$work/low.png" 2>/dev/null)
[ "${rough:-0}" -lt "${smooth:-0}" ] || fail "low quality has $rough colours, high quality $smooth"
"$render" "$work/demo.swf" --frames 1 --quality medium --out "$work/x.png" 2>/dev/null && fail "an unknown quality was accepted"

# --audio writes the sound of the frames played: 44.1 kHz 16-bit stereo, as long as they last.
rate=24  # the demo's frame rate
"$render" "$work/demo.swf" --frames 30 --audio "$work/sound.wav" 2>"$work/err" || fail "--audio failed: $(cat "$work/err")"
head -c 4 "$work/sound.wav" | grep -q RIFF || fail "the sound file is no WAV file"
[ "$(od -An -tu4 -j24 -N4 "$work/sound.wav" | tr -d ' ')" = 44100 ] || fail "the sound is not at 44.1 kHz"
[ "$(od -An -tu2 -j22 -N2 "$work/sound.wav" | tr -d ' ')" = 2 ] || fail "the sound is not stereo"
want=$(awk -v r="$rate" 'BEGIN { printf "%d", 44 + int(30 / r * 44100 + 0.5) * 4 }')
[ "$(stat -c %s "$work/sound.wav")" = "$want" ] || fail "sound file of $(stat -c %s "$work/sound.wav") bytes, expected $want (frame rate $rate)"

# A file that is not a movie: one line on stderr, non-zero exit, no picture.
head -c 300 /dev/urandom >"$work/noise.swf"
"$render" "$work/noise.swf" --frames 1 --out "$work/noise.png" 2>"$work/err" >"$work/out"
code=$?
[ $code -ne 0 ] || fail "a file of noise was accepted"
[ "$(wc -l <"$work/err")" -eq 1 ] || fail "expected one line on stderr: $(cat "$work/err")"
[ ! -s "$work/out" ] || fail "stdout is not empty for a bad file"
[ ! -e "$work/noise.png" ] || fail "a picture was written for a bad file"
"$render" "$work/missing.swf" --frames 1 --out "$work/x.png" 2>/dev/null && fail "a missing file was accepted"
"$render" "$work/demo.swf" --frames zero --out "$work/x.png" 2>/dev/null && fail "a bad frame count was accepted"

[ $failures -eq 0 ] && echo "all checks passed"
exit $failures
