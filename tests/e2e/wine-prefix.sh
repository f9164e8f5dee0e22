#!/usr/bin/env bash
# A Wine prefix for one test run: created before the Windows build's end-to-end tests, and
# taken down (its wineserver ended, its folder removed) after them.
#   wine-prefix.sh create DIR | destroy DIR
set -euo pipefail
action=$1
export WINEPREFIX=$2 WINEDEBUG=-all
# No Mono or Gecko installers: nothing here needs them, and they would try to download.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
case "$action" in
  create)
    rm -rf "$WINEPREFIX"
    DISPLAY= wineboot -i >/dev/null 2>&1
    wineserver -w
    [ -f "$WINEPREFIX/system.reg" ] || { echo "wine-prefix: wineboot made no prefix" >&2; exit 1; }
    # Captions 18 pixels high (-15 twips each), as Wine 8 makes them: Wine 10 makes them 25, and
    # the tests know the frame Wine keeps to itself (tests/e2e/launcher.h).
    DISPLAY= wine reg add 'HKCU\Control Panel\Desktop\WindowMetrics' /v CaptionHeight /d -270 /f \
      >/dev/null 2>&1
    wineserver -w
    ;;
  destroy)
    wineserver -k 2>/dev/null || true
    rm -rf "$WINEPREFIX"
    ;;
  *) echo "wine-prefix: create DIR or destroy DIR" >&2; exit 2 ;;
esac
