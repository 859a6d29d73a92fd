#!/usr/bin/env bash
# Fixture: stops the wineserver and the private Xvfb of start.sh.
state=${SWFSAVER_WINE_STATE:?}
source "$(dirname "$0")/env.sh"
[ -d "$WINEPREFIX" ] && wineserver -k 2>/dev/null
if [ -f "$state/xvfb.pid" ]; then
  kill "$(cat "$state/xvfb.pid")" 2>/dev/null || true
  rm -f "$state/xvfb.pid"
fi
rm -f "$state/display" "$state/display.fd"
exit 0
