#!/usr/bin/env bash
# The Windows installer under Wine: a silent install into the test's prefix, the installed
# viewer's start-up, keys and Esc through the end-to-end launcher, then a silent uninstall.
#   installer.sh INSTALLER E2E_WINE_TESTS WINEPREFIX
set -euo pipefail
installer=$1 tests=$2
export WINEPREFIX=$3 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
dir="$WINEPREFIX/drive_c/bowlview-installed"
fail() { echo "installer: $*" >&2; exit 1; }

DISPLAY= wine "$installer" /S '/D=C:\bowlview-installed'
wineserver -w
[ -f "$dir/bowlview.exe" ] || fail "no bowlview.exe in $dir"
[ -f "$dir/LICENSE.txt" ] || fail "no LICENSE.txt in $dir"
[ -f "$dir/Uninstall.exe" ] || fail "no uninstaller in $dir"
shortcuts() { find "$WINEPREFIX/drive_c" -iname 'bowlview.lnk'; }
[ -n "$(shortcuts)" ] || fail "no Start-menu shortcut"

BOWLVIEW_EXE="$dir/bowlview.exe" "$tests" --gtest_filter='Viewer.FogAndWireframeKeysAndNothingElseThenEscape' \
  || fail "the installed viewer did not start, take keys and end with Esc"

DISPLAY= wine "$dir/Uninstall.exe" /S
wineserver -w
[ ! -e "$dir/bowlview.exe" ] || fail "the uninstaller left bowlview.exe"
[ -z "$(shortcuts)" ] || fail "the uninstaller left the shortcut"
echo "installer: installed, started, ended with Esc, and uninstalled"
