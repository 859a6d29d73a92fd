#!/usr/bin/env bash
# Fixture: makes the Wine prefix once, starts a private Xvfb and a persistent wineserver.
set -euo pipefail
state=${SWFSAVER_WINE_STATE:?}
mkdir -p "$state"
bash "$(dirname "$0")/stop.sh" >/dev/null 2>&1 || true

source "$(dirname "$0")/env.sh"

# A display of our own: Xvfb picks a free number and tells it through -displayfd.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$state/display.fd" >"$state/xvfb.log" 2>&1 &
echo $! > "$state/xvfb.pid"
for _ in $(seq 1 100); do
  [ -s "$state/display.fd" ] && break
  sleep 0.1
done
[ -s "$state/display.fd" ] || { echo "Xvfb did not start"; cat "$state/xvfb.log"; exit 1; }
echo ":$(tr -d '\n' < "$state/display.fd")" > "$state/display"
export DISPLAY=$(cat "$state/display")

if [ ! -f "$WINEPREFIX/.swfsaver-ready" ]; then
  echo "making Wine prefix $WINEPREFIX"
  "$WINE" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
  touch "$WINEPREFIX/.swfsaver-ready"
fi
wineserver -p >/dev/null 2>&1  # a daemon: it must not hold the caller's output open
# Warm the prefix so that the first test does not pay for it.
"$WINE" cmd /c "echo %TEMP%" 2>/dev/null | tr -d '\r' > "$state/wine-temp"
"$WINE" winepath -u "$(cat "$state/wine-temp")" 2>/dev/null > "$state/wine-temp-unix"
echo "display $DISPLAY, temp $(cat "$state/wine-temp-unix")"
