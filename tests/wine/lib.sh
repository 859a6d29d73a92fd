# Sourced by every Wine test: the environment of the wine fixture and small helpers to drive and
# look at Windows programs. Waits poll with a bounded time-out; nothing sleeps for a fixed time
# to let something happen.
set -uo pipefail

state=${SWFSAVER_WINE_STATE:?run through ctest, or export the variables of tests/wine/CMakeLists.txt}
source "$(dirname "${BASH_SOURCE[0]}")/env.sh"
export DISPLAY=$(cat "$state/display" 2>/dev/null || echo ":99")
WIN32_DIR=$SWFSAVER_WIN32_DIR   # the product build (i686)
NATIVE_DIR=$SWFSAVER_NATIVE_DIR
SOURCE_DIR=$SWFSAVER_SOURCE_DIR
SAVER="$RUN_DIR/swfsaver.scr"   # the build the tests run (see env.sh); start it with "$WINE"
PACK="$NATIVE_DIR/tools/pack/swfsaver-pack"
# The Wine user's temporary folder, as the program sees it and on the Unix side.
WINE_TEMP_UNIX=$(cat "$state/wine-temp-unix")

# A scratch folder for this test, emptied at the start.
TEST_NAME=$(basename "${BASH_SOURCE[1]:-$0}" .sh)
WORK="$state/work/$TEST_NAME"
rm -rf "$WORK"
mkdir -p "$WORK"

failures=0
_bg_pids=()

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
check() {  # check "what" command...: runs the command, fail/ok by its status
  local what=$1; shift
  if "$@"; then ok "$what"; else fail "$what"; fi
}
check_eq() {  # check_eq "what" expected actual
  if [ "$2" == "$3" ]; then ok "$1"; else fail "$1: expected '$2', got '$3'"; fi
}

# Ends the test: kills what it started and exits non-zero when anything failed.
finish() {
  for p in "${_bg_pids[@]}"; do kill "$p" 2>/dev/null; done
  if [ "$failures" -gt 0 ]; then echo "$failures check(s) failed"; exit 1; fi
  echo "all checks passed"; exit 0
}
trap 'for p in "${_bg_pids[@]}"; do kill "$p" 2>/dev/null; done' EXIT

# start_bg VAR cmd...: starts a program in the background; VAR receives its pid.
start_bg() {
  local __var=$1; shift
  "$@" >>"$WORK/background.log" 2>&1 &
  local __started=$!
  _bg_pids+=("$__started")
  printf -v "$__var" '%s' "$__started"
}

# wait_exit PID TIMEOUT_S: waits for a program started with start_bg; sets EXIT_CODE to its exit
# code, or to "timeout" (the program is then still running). Call it directly, not in $(...).
EXIT_CODE=""
wait_exit() {
  local pid=$1 tenths=$(( ${2%.*} * 10 )) n=0
  while kill -0 "$pid" 2>/dev/null; do
    if [ "$n" -ge "$tenths" ]; then EXIT_CODE=timeout; return 1; fi
    sleep 0.1; n=$((n + 1))
  done
  wait "$pid"; EXIT_CODE=$?
}

# wait_for_window TITLE [TIMEOUT_S]: polls for a top-level window with that exact title;
# prints the X window id (the newest one).
wait_for_window() {
  local title=$1 limit=${2:-20} tries
  tries=$(( ${limit%.*} * 10 ))
  for _ in $(seq 1 "$tries"); do
    local ids
    ids=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -n 1)
    if [ -n "$ids" ]; then echo "$ids"; return 0; fi
    sleep 0.1
  done
  return 1
}

# window_absent TITLE: true when no visible window has that title.
window_absent() { [ -z "$(xdotool search --onlyvisible --name "^${1}\$" 2>/dev/null)" ]; }

screenshot() { import -window root "$1" 2>/dev/null; }

# pixel FILE X Y: prints the pixel as "R G B" (0..255).
pixel() {
  convert "$1" -format "%[fx:int(255*p{$2,$3}.r)] %[fx:int(255*p{$2,$3}.g)] %[fx:int(255*p{$2,$3}.b)]" info: 2>/dev/null
}

# colors_in FILE X Y W H: number of distinct colours in a region (a flat area has 1).
colors_in() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -format "%k" info: 2>/dev/null
}

# differ FILE1 FILE2 [X Y W H]: prints how many pixels differ (in the region when given).
differ() {
  local a=$1 b=$2
  if [ $# -ge 6 ]; then
    convert "$a" -crop "${5}x${6}+${3}+${4}" +repage "$WORK/.d1.png"
    convert "$b" -crop "${5}x${6}+${3}+${4}" +repage "$WORK/.d2.png"
    a="$WORK/.d1.png"; b="$WORK/.d2.png"
  fi
  compare -metric AE -fuzz 5% "$a" "$b" null: 2>&1 | cut -d' ' -f1
}

# Kills every Wine process of the prefix that a failed test may have left (the wineserver stays).
kill_wine_programs() {
  for p in "${_bg_pids[@]}"; do kill "$p" 2>/dev/null; done
  pkill -f '\.scr' 2>/dev/null || true
}
