#!/usr/bin/env bash
# --version and --help print and exit 0 without any display, as help2man expects of a GNU
# program; any other argument is ignored as before (so, with no display, the start fails).
#   options.sh BOWLVIEW VERSION
set -euo pipefail
bin=$1 version=$2
fail() { echo "options: $*" >&2; exit 1; }
while IFS='|' read -r args status first; do
  out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$bin" $args 2>&1 </dev/null) && s=0 || s=$?
  [ "$s" = "$status" ] && [ "${out%%$'\n'*}" = "$first" ] ||
    fail "'bowlview $args' exited with $s and printed: $out"
done <<EOF2
--version|0|bowlview $version
--help|0|Usage: bowlview [OPTION]
-x --help --version|0|Usage: bowlview [OPTION]
--verbose|1|winx: cannot open X display: DISPLAY is not set
EOF2
help2man --no-info "$bin" | grep "^\.TH BOWLVIEW.*\"bowlview $version\"" >/dev/null ||
  fail "help2man cannot read --help and --version"
