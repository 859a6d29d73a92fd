#!/usr/bin/env bash
# Processor use of the packaged demo saver running full-screen under Wine on a private Xvfb, and
# the frames it puts on the screen per second. Prints figures; it is a measurement, not a test.
#
#   tests/benchmarks/saver_cpu.sh WINDOWS_BUILD NATIVE_BUILD [SECONDS] [WIDTHxHEIGHT]
#
# WINDOWS_BUILD holds swfsaver.scr (build/win32, or build/win64 where 32-bit code cannot run);
# NATIVE_BUILD holds the demo-movie and packaging tools. Defaults: 10 s at 1920x1080. The Wine
# prefix is kept in WINDOWS_BUILD/saver-cpu between runs.
#
# Frames are counted from Wine's GDI trace: each frame the saver shows is one paint of its window,
# which ends in one blit (of the whole frame, or of the part that changed) to the window's device
# context, the destination that most blits have.
set -euo pipefail
windows_build=$(cd "${1:?windows build folder}" && pwd)
native_build=$(cd "${2:?native build folder}" && pwd)
seconds=${3:-10}
size=${4:-1920x1080}

work="$windows_build/saver-cpu"
mkdir -p "$work"
"$native_build/tools/demo/swfsaver-demo-movie" "$work/demo.swf"
"$native_build/tools/pack/swfsaver-pack" --caption "swfsaver demo" --button "Close" \
  "$windows_build/swfsaver.scr" "$work/demo.swf" "$work/Demo.scr" >/dev/null

# A 64-bit build (made where 32-bit code cannot run) goes through Wine's 64-bit loader.
if file "$windows_build/swfsaver.scr" | grep -q 'x86-64'; then
  wine_loader=$(command -v wine64 || echo /usr/lib/wine/wine64)
else
  wine_loader=wine
fi
export WINEPREFIX="$work/wineprefix" WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid="" saver_pid=""
cleanup() {
  [ -n "$saver_pid" ] && kill "$saver_pid" 2>/dev/null || true
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
rm -f "$work/display"
exec 3>"$work/display"
Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
exec 3>&-
for _ in $(seq 1 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$(tr -d '\n' < "$work/display")"

if [ ! -f "$WINEPREFIX/.ready" ]; then
  WINEDEBUG=-all "$wine_loader" wineboot -i >/dev/null 2>&1 || true
  WINEDEBUG=-all wineserver -w
  touch "$WINEPREFIX/.ready"
fi

WINEDEBUG=-all,trace+bitblt "$wine_loader" "$work/Demo.scr" /s 2>"$work/trace.log" >/dev/null &
saver_pid=$!

# The saver's process is the one started (Wine runs the program in it); wait for its full-screen
# window, then for the movie to be painting: the window shows well before the first frame (the
# movie is read and the sound device opened first), and that start-up is not what a saver running
# for hours costs.
shown=""
for _ in $(seq 1 300); do
  kill -0 "$saver_pid" 2>/dev/null || break
  for id in $(xdotool search --onlyvisible --name '.*' 2>/dev/null); do
    [ "$(xdotool getwindowgeometry "$id" 2>/dev/null | awk '/Geometry:/ {print $2}')" = "$size" ] && shown=1
  done
  [ -n "$shown" ] && break
  sleep 0.1
done
[ -n "$shown" ] || { echo "the saver showed no full-screen window" >&2; exit 1; }
rate=$(python3 - "$work/demo.swf" <<'EOF'
import struct, sys, zlib
data = open(sys.argv[1], "rb").read()
body = zlib.decompress(data[8:]) if data[:1] == b"C" else data[8:]
skip = (5 + 4 * (body[0] >> 3) + 7) // 8
print(body[skip + 1] + body[skip] / 256)
EOF
)
blits() { grep -ac "NtGdiStretchBlt" "$work/trace.log" || true; }
blits0=$(blits) painting=""
for _ in $(seq 1 300); do
  kill -0 "$saver_pid" 2>/dev/null || break
  # A second's worth of paints, beyond the few blits that draw the window's icons.
  [ $(($(blits) - blits0)) -ge "${rate%.*}" ] && { painting=1; break; }
  sleep 0.1
done
[ -n "$painting" ] || { echo "the saver showed no frames" >&2; exit 1; }
sleep 2

processor_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
# Nanoseconds the saver's threads spent ready to run but waiting for a processor: on a busy machine
# this, not the saver, is what holds the frame rate down.
runqueue_wait() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{n += $2} END {printf "%.0f", n}'; }
server_pid=""
for p in $(pgrep wineserver || true); do
  tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" && server_pid=$p
done
saver0=$(processor_ticks "$saver_pid") x0=$(processor_ticks "$xvfb_pid")
server0=$([ -n "$server_pid" ] && processor_ticks "$server_pid" || echo 0)
wait0=$(runqueue_wait "$saver_pid")
lines0=$(wc -l < "$work/trace.log") start=$(date +%s.%N)
sleep "$seconds"
saver1=$(processor_ticks "$saver_pid") x1=$(processor_ticks "$xvfb_pid")
server1=$([ -n "$server_pid" ] && processor_ticks "$server_pid" || echo 0)
lines1=$(wc -l < "$work/trace.log") end=$(date +%s.%N)
wait1=$(runqueue_wait "$saver_pid")
kill "$saver_pid" 2>/dev/null || true
saver_pid=""

ticks=$(getconf CLK_TCK)
measured=$(sed -n "$((lines0 + 1)),${lines1}p" "$work/trace.log" | grep -a "NtGdiStretchBlt" || true)
window_dc=$(sed -n 's/.* dst \(0x[0-9a-f]*\) .*/\1/p' <<<"$measured" | sort | uniq -c | sort -rn | awk 'NR == 1 {print $2}')
frames=$(grep -ac " dst $window_dc " <<<"$measured" || true)
awk -v s="$saver1" -v s0="$saver0" -v x="$x1" -v x0="$x0" -v w="$server1" -v w0="$server0" -v t="$ticks" \
    -v a="$start" -v b="$end" -v f="$frames" -v r="$rate" -v size="$size" -v q="$wait1" -v q0="$wait0" \
    -v load="$(cut -d' ' -f1 /proc/loadavg)" 'BEGIN {
  wall = b - a
  printf "demo saver, %s, %.1f s: processor %.1f%% of one core (wineserver %.1f%%, X server %.1f%%)\n",
         size, wall, 100 * (s - s0) / t / wall, 100 * (w - w0) / t / wall, 100 * (x - x0) / t / wall
  printf "frames shown: %d, %.1f per second (the movie'\''s rate: %g); processor %.1f ms per frame\n",
         f, f / wall, r, (f > 0 ? 1000 * (s - s0) / t / f : 0)
  printf "waiting for a processor: %.0f%% of the time (load average %s)\n", 100 * (q - q0) / 1e9 / wall, load
}'
