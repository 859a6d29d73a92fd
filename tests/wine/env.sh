# The Wine environment of the tests: the Windows build they run, its Wine prefix and loader.
# A 32-bit build runs through `wine`; where this machine cannot run 32-bit code the tests run the
# 64-bit build of the same sources through the 64-bit loader.
RUN_DIR=${SWFSAVER_WINE_RUN_DIR:?}
export WINEPREFIX="$RUN_DIR/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ "$(basename "$RUN_DIR")" = win64 ]; then
  WINE=$(command -v wine64 || echo /usr/lib/wine/wine64)
  WINE_SYSTEM_DIR="$WINEPREFIX/drive_c/windows/system32"
else
  WINE=wine
  WINE_SYSTEM_DIR="$WINEPREFIX/drive_c/windows/syswow64"
fi
