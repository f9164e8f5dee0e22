#!/usr/bin/env bash
# Checks that the packages build the same twice: the .deb, the .tar.gz, the Windows .exe, its
# .zip and its installer, and the web page's .zip, made in two build folders at two times with
# the same SOURCE_DATE_EPOCH (the last commit's time unless set), compared byte for byte;
# diffoscope shows what differs.
#   scripts/reproducible.sh [FIRST [FIRST_WEB]]
# Without FIRST, both package sets are built afresh (in build-repro/first and .../second); with
# it, FIRST's packages, already built (the test command passes its own build/, and build-web/
# for the page, else FIRST/web), are compared with one set built afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build windows web package
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}

# One package set in a new folder: the Linux viewer and its packages, then the Windows
# viewer and its packages in windows/ below, configured as the test build configures them.
build() {
  rm -rf "$1"
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$1" -j"$(nproc)" --target bowlview >/dev/null
  (cd "$1" && cpack >/dev/null)
  cmake -S . -B "$1/windows" -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$1/windows" -j"$(nproc)" --target bowlview >/dev/null
  (cd "$1/windows" && cpack >/dev/null)
  emcmake cmake -S . -B "$1/web" -DCMAKE_BUILD_TYPE=Release >/dev/null
  cmake --build "$1/web" -j"$(nproc)" >/dev/null
  (cd "$1/web" && cpack >/dev/null)
}

first=${1:-build-repro/first} second=build-repro/second
first_web=${2:-$first/web}
[ $# -gt 0 ] || build "$first"
build "$second"
status=0
# One package as the first set has it against the second's.
compare() {
  if cmp -s "$1" "$2"; then
    echo "reproducible: ${2#"$second"/} is the same"
  else
    echo "reproducible: ${2#"$second"/} differs" >&2
    command -v diffoscope >/dev/null && diffoscope "$1" "$2" | head -n 60 >&2
    status=1
  fi
}
# The names come from the first folders; a package missing there is a failure too.
for f in packages/*.deb packages/*.tar.gz windows/bowlview.exe windows/packages/*.zip \
  windows/packages/*.exe; do
  for p in "$first"/$f; do compare "$p" "$second/${p#"$first"/}"; done
done
for p in "$first_web"/packages/*.zip; do compare "$p" "$second/web/${p#"$first_web"/}"; done
exit $status
