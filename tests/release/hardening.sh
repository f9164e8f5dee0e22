#!/usr/bin/env bash
# The Linux binary hardened as distributions check it (hardening-check, from devscripts).
# Where the C library's start files lack control-flow protection (Debian 12's and 13's), main()
# must still begin with -fcf-protection's landing pad. Branch protection is ARM's alone.
#   hardening.sh BOWLVIEW CXX
set -euo pipefail
bin=$1 cxx=$2
skip=()
if ! readelf -n "$("$cxx" -print-file-name=Scrt1.o)" | grep 'x86 feature: IBT, SHSTK' >/dev/null; then
  skip=(--nocfprotection)
  objdump -d --disassemble=main "$bin" | grep -A1 '<main>:$' | grep endbr64 >/dev/null ||
    { echo "hardening: main() has no landing pad: no -fcf-protection" >&2; exit 1; }
fi
[[ $(hardening-check --help 2>&1) != *nobranchprotection* ]] || readelf -h "$bin" | grep -q AArch64 ||
  skip+=(--nobranchprotection)
hardening-check "${skip[@]}" "$bin"
