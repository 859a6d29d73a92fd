# Shared by the sound tests: a packaged saver whose movie plays a 441 Hz tone for two seconds, and ALSA
# configurations of this test's own (ALSA_CONFIG_PATH, read by Wine's ALSA driver) whose default
# output writes what it is sent to a WAV file, or cannot be opened at all.
source "$(dirname "${BASH_SOURCE[0]}")/../saver/helpers.sh"

TONE_HZ=441
TONE_SECONDS=2
python3 "$(dirname "${BASH_SOURCE[0]}")/../saver/tone_movie.py" "$WORK/movie.swf" "$TONE_HZ" "$TONE_SECONDS"
"$PACK" "$SAVER" "$WORK/movie.swf" "$WORK/tone.scr" >/dev/null

# Wine picks its audio driver from HKCU\Software\Wine\Drivers "Audio" (by default it tries
# PulseAudio first): ALSA alone, so that the configuration below is what the program reaches.
"$WINE" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
restore_driver() { "$WINE" reg delete 'HKCU\Software\Wine\Drivers' /v Audio /f >/dev/null 2>&1; }

# capture_to FILE: from now on, programs started here send their sound into FILE.
capture_to() {
  cat > "$WORK/asound.conf" <<CONF
pcm.!default {
  type file
  slave.pcm { type null }
  file "$1"
  format "wav"
}
CONF
  export ALSA_CONFIG_PATH="$WORK/asound.conf"
}

# no_output: from now on, the default output names a sound card that does not exist.
no_output() {
  cat > "$WORK/asound.conf" <<CONF
pcm.!default { type hw card 63 }
CONF
  export ALSA_CONFIG_PATH="$WORK/asound.conf"
}

# capture_fact KEY FILE: one figure of analyse_capture.py about FILE.
capture_fact() {
  python3 "$(dirname "${BASH_SOURCE[0]}")/analyse_capture.py" "$2" | tr ' ' '\n' | sed -n "s/^$1=//p"
}
