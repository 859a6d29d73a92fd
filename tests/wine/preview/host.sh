# Drives the test host program (tests/win32/preview_host): a 152x112 window at (200,150) painted
# magenta, which starts the saver with "/p <its handle>" and obeys commands from a file.
HOST_EXE="$RUN_DIR/tests/win32/preview_host/preview_host.exe"
HOST_X=200 HOST_Y=150 HOST_W=152 HOST_H=112
windows_path() { echo "Z:${1//\//\\}"; }

# The saver the host starts: packaged with the demo movie when its tool is built.
PREVIEW_SAVER="$SAVER"
DEMO_MOVIE_TOOL="$NATIVE_DIR/tools/demo/swfsaver-demo-movie"
if [ -x "$DEMO_MOVIE_TOOL" ] && "$DEMO_MOVIE_TOOL" "$WORK/demo.swf" >/dev/null 2>&1 &&
   "$PACK" --background '#204080' "$SAVER" "$WORK/demo.swf" "$WORK/preview.scr" >/dev/null 2>&1; then
  PREVIEW_SAVER="$WORK/preview.scr"
fi

# start_host NAME [host options...]: starts a host; its log is $WORK/NAME.log, commands NAME.cmd.
start_host() {
  local name=$1; shift
  : > "$WORK/$name.log"; : > "$WORK/$name.cmd"
  start_bg HOST_PID "$WINE" "$HOST_EXE" "$PREVIEW_SAVER" "$(windows_path "$WORK/$name.log")" \
    "$(windows_path "$WORK/$name.cmd")" "$@"
  wait_log "$name" '^started' 30 >/dev/null
}
host_command() { echo "$2" >> "$WORK/$1.cmd"; }

# wait_log NAME REGEX [TIMEOUT_S]: polls the host's log for a line; prints it.
wait_log() {
  local tries=$(( ${3:-10} * 10 ))
  for _ in $(seq 1 "$tries"); do
    local line
    line=$(tr -d '\r' < "$WORK/$1.log" | grep -E "$2" | tail -1)
    if [ -n "$line" ]; then echo "$line"; return 0; fi
    sleep 0.1
  done
  return 1
}

# The saver's Unix process (the newest one started with /p).
saver_pid() { pgrep -n -f '(swfsaver|preview)\.scr.*/p' ; }

# host_area_colors FILE: the number of magenta pixels in the host's area.
host_magenta() {
  convert "$1" -crop "${HOST_W}x${HOST_H}+${HOST_X}+${HOST_Y}" +repage -fill black +opaque '#FF00FF' \
    -fill white -opaque '#FF00FF' -format '%[fx:int(mean*w*h+0.5)]' info: 2>/dev/null
}

# masked FILE OUT: the screenshot with the host's area blacked out, to compare what lies outside.
masked() {
  convert "$1" -fill black -draw "rectangle $HOST_X,$HOST_Y $((HOST_X + HOST_W - 1)),$((HOST_Y + HOST_H - 1))" "$2"
}

# wait_movie_shown [TIMEOUT_S]: polls until no magenta is left in the host's area.
wait_movie_shown() {
  local tries=$(( ${1:-15} * 5 ))
  for _ in $(seq 1 "$tries"); do
    screenshot "$WORK/poll.png"
    [ "$(host_magenta "$WORK/poll.png")" = 0 ] && return 0
    sleep 0.2
  done
  return 1
}

# The saver's processor time so far, in clock ticks.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat" 2>/dev/null; }

# wait_saver_end NAME: waits for the saver's end in the host's log; sets END_CODE (or "none")
# and END_MS (milliseconds from the host's last command to the end).
wait_saver_end() {
  local line
  line=$(wait_log "$1" '^exit' 10)
  read -r _ END_CODE END_MS <<<"$line"
  END_CODE=${END_CODE:-none}
  END_MS=${END_MS:-99999}
}

# stop_host NAME: tells the host to quit and waits for it.
stop_host() {
  host_command "$1" quit
  wait_exit "$HOST_PID" 10
}
