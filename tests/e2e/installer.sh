#!/usr/bin/env bash
# The Windows installer under Wine (all users, /S alone, current user): installed silently,
# started through its Start-menu shortcut, entered for Windows, uninstalled without a trace.
#   installer.sh INSTALLER VERSION E2E_WINE_TESTS WINEPREFIX
set -euo pipefail
export LC_ALL=C
installer=$1 version=$2 tests=$3
export WINEPREFIX=$4 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
fail() { echo "installer: $*" >&2; exit 1; }
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\bowlview'

strings -el "$installer" | grep -x 'bowlview installer' >/dev/null || fail "no version information"
strings "$installer" | grep '<dpiAware[^>]*>true</dpiAware>' >/dev/null || fail "no DPI awareness"

# The prefix's files, the user's name as USER; not the temporary folder, where Wine (as
# Windows) keeps the uninstaller's copy of itself until the next boot.
files() {
  (cd "$WINEPREFIX/drive_c" && find . -path './users/*/Temp' -prune -o -print) |
    sed 's|^\./users/[^/]*/|./users/USER/|' | sort
}
added() { comm -13 <(echo "$before") <(files); }
before=$(files)

while IFS='|' read -r -u 3 switch hive dir menu; do
  mode="/S $switch"
  DISPLAY= wine "$installer" /S $switch || fail "$mode: the installer failed"
  wineserver -w
  expected=$({
    [ "$hive" = HKLM ] || echo ./users/USER/AppData/Local/Programs
    for f in "" /LICENSE.txt /README.txt /Uninstall.exe /bowlview.exe; do echo "./$dir$f"; done
    echo "./$menu/bowlview.lnk"
  } | sort)
  [ "$(added)" = "$expected" ] || fail "$mode: installed"$'\n'"$(added)"$'\n'"instead of"$'\n'"$expected"
  lnk=$(compgen -G "$WINEPREFIX/drive_c/${menu/USER/*}/bowlview.lnk")
  BOWLVIEW_EXE=$lnk "$tests" --gtest_filter='Viewer.FogAndWireframeKeysAndNothingElseThenEscape' \
    || fail "$mode: the shortcut did not start the viewer (box, window, keys, Esc)"

  entry=$(wine reg query "$hive\\$key" | tr -d '\r' | grep ' REG_' | sed 's/^ *//; s/  */ /g')
  loc=$(sed -n 's/^InstallLocation REG_SZ //p' <<<"$entry")
  folder=$(compgen -G "$WINEPREFIX/drive_c/${dir/USER/*}")
  [ "$(winepath -u "$loc")" -ef "$folder" ] || fail "$mode: InstallLocation is '$loc'"
  kib=$(($(cat "$folder"/* | wc -c) / 1024))
  diff <(echo "$entry") - <<EOF || fail "$mode: not the uninstall entry above"
DisplayIcon REG_SZ $loc\\bowlview.exe
DisplayName REG_SZ bowlview
DisplayVersion REG_SZ $version
EstimatedSize REG_DWORD $(printf '%#x' "$kib")
InstallLocation REG_SZ $loc
NoModify REG_DWORD 0x1
NoRepair REG_DWORD 0x1
Publisher REG_SZ the bowlview authors
QuietUninstallString REG_SZ "$loc\\Uninstall.exe" /S
UninstallString REG_SZ "$loc\\Uninstall.exe"
URLInfoAbout REG_SZ https://bowlview.org/
EOF

  DISPLAY= wine "$loc\\Uninstall.exe" /S || fail "$mode: the uninstaller failed"
  wineserver -w
  [ -z "$(added)" ] || fail "$mode: the uninstaller left"$'\n'"$(added)"
  ! grep -il bowlview "$WINEPREFIX"/*.reg || fail "$mode: the uninstaller left registry keys"
done 3<<'EOF'
/AllUsers|HKLM|Program Files/bowlview|ProgramData/Microsoft/Windows/Start Menu/Programs
|HKCU|users/USER/AppData/Local/Programs/bowlview|users/USER/AppData/Roaming/Microsoft/Windows/Start Menu/Programs
/CurrentUser|HKCU|users/USER/AppData/Local/Programs/bowlview|users/USER/AppData/Roaming/Microsoft/Windows/Start Menu/Programs
EOF
echo "installer: for all users, by default and for the current user: installed, started" \
  "through the shortcut, entered for Windows, and uninstalled without a trace"
