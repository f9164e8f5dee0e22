#!/usr/bin/env bash
# Checks that the packages build the same twice: the .deb, the .tar.gz, the Windows .exe, its
# .zip and its installer, made in two build folders at two times with the same
# SOURCE_DATE_EPOCH (the last commit's time unless set), compared byte for byte; diffoscope
# shows what differs.
#   scripts/reproducible.sh [FIRST]
# Without FIRST, both package sets are built afresh (in build-repro/first and .../second); with
# it, FIRST's packages, already built (the test command passes its own build/), are compared
# with one set built afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh build windows package
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
}

first=${1:-build-repro/first} second=build-repro/second
[ $# -gt 0 ] || build "$first"
build "$second"
status=0
for f in packages/*.deb packages/*.tar.gz windows/bowlview.exe windows/packages/*.zip \
  windows/packages/*.exe; do
  # The names come from the first folder; a package missing there is a failure too.
  for p in "$first"/$f; do
    if cmp -s "$p" "$second/${p#"$first"/}"; then
      echo "reproducible: ${p#"$first"/} is the same"
    else
      echo "reproducible: ${p#"$first"/} differs" >&2
      command -v diffoscope >/dev/null && diffoscope "$p" "$second/${p#"$first"/}" | head -n 60 >&2
      status=1
    fi
  done
done
exit $status
