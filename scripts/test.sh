#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build test windows package
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOWLVIEW_TESTS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"

# The unit, OpenGL and winx tests again, under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DBOWLVIEW_TESTS=ON -DBOWLVIEW_SANITIZE=ON \
  -DBOWLVIEW_WINDOWS_TESTS=OFF
cmake --build build-asan -j"$(nproc)" --target unit_tests gl_tests mesh_tests winx_tests
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir build-asan -L 'unit|gl|winx' --output-on-failure -j"$(nproc)"

# Release packages and installation: they must build from the same tree.
(cd build && cpack >/dev/null) && ls build/packages/*.deb build/packages/*.tar.gz
if [ -f build/windows/CMakeCache.txt ]; then
  (cd build/windows && cpack >/dev/null) && ls build/windows/packages/*.zip
fi
staging=$(mktemp -d)
cmake --install build --prefix "$staging" >/dev/null
test -x "$staging/bin/bowlview" && test -f "$staging/share/applications/bowlview.desktop"
rm -rf "$staging"
echo "test: packages built and installation checked"
