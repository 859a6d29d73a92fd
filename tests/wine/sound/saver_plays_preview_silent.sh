# The full-screen saver sends its movie's sound to the system's output: what reaches it is loud,
# has the tone's pitch and lasts as long as the tone, and the saver still ends at once on input. The preview of the same
# package sends nothing.
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/helpers.sh"

capture_to "$WORK/saver.wav"
if start_saver "$WORK/tone.scr"; then
  # Polls until a second more than the tone has come out (the output may run ahead of the clock).
  for _ in $(seq 1 150); do
    [ "$(capture_fact frames "$WORK/saver.wav")" -ge $(( (TONE_SECONDS + 1) * 44100 )) ] && break
    sleep 0.1
  done
  check "the saver is still running" still_running 0.1
  # A key ends it while its sound plays: the feed stops and the device closes, with no hang.
  xdotool key space
  wait_exit "$pid" 10
  check_eq "a key ends it with 0 while the sound plays" 0 "$EXIT_CODE"
  [ "$EXIT_CODE" = timeout ] && end_saver
else
  fail "the saver window shows"
  kill_wine_programs
fi
python3 "$(dirname "$0")/analyse_capture.py" "$WORK/saver.wav"
frames=$(capture_fact frames "$WORK/saver.wav")
check "at least three seconds of output came ($frames frames)" test "$frames" -ge $(( (TONE_SECONDS + 1) * 44100 ))
check "it is loud (rms $(capture_fact rms "$WORK/saver.wav"))" \
  awk -v r="$(capture_fact rms "$WORK/saver.wav")" 'BEGIN {exit !(r > 0.1)}'
check "its pitch is the tone's, within 2% ($(capture_fact hz "$WORK/saver.wav") Hz)" \
  awk -v f="$(capture_fact hz "$WORK/saver.wav")" -v t="$TONE_HZ" 'BEGIN {exit !(f > t * 0.98 && f < t * 1.02)}'

check "the tone lasts its $TONE_SECONDS seconds, within 1% ($(capture_fact sounding "$WORK/saver.wav") s)" \
  awk -v s="$(capture_fact sounding "$WORK/saver.wav")" -v t="$TONE_SECONDS" 'BEGIN {exit !(s > t * 0.99 && s < t * 1.01)}'

# The preview: started by the test host with "/p", shown for a while, then ended.
capture_to "$WORK/preview.wav"
source "$(dirname "$0")/../preview/host.sh"
PREVIEW_SAVER="$WORK/tone.scr"
start_host preview
if wait_movie_shown 15; then ok "the preview shows"; else fail "the preview shows"; fi
sleep 2  # an observation period: the preview plays for two seconds
host_command preview hide
wait_saver_end preview
stop_host preview
python3 "$(dirname "$0")/analyse_capture.py" "$WORK/preview.wav"
check "the preview is silent (rms $(capture_fact rms "$WORK/preview.wav"))" \
  awk -v r="$(capture_fact rms "$WORK/preview.wav")" 'BEGIN {exit !(r < 0.001)}'
restore_driver
finish
