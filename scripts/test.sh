#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."
# Our warnings are errors here, in every build the test command makes (a user's build keeps them
# warnings).
export BOWLVIEW_WERROR=ON

bash scripts/install-deps.sh build test wayland windows web package
# The page first (build-web/page/): the web tests (-L web) load it in headless Chromium.
bash scripts/web.sh build
# Debian 13's root (none where this machine is Debian 13: "/"): the Wayland sessions run again
# on its compositors (debian13.*), and the README's build is made and tested there.
root=$(bash scripts/debian13.sh path)
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOWLVIEW_TESTS=ON \
  -DBOWLVIEW_COMPOSITOR_ROOT="$root"
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
if [ "$root" != / ]; then
  # shellcheck disable=SC2016  # expanded in the root
  bash scripts/debian13.sh run sh -ec 'cd "$1"
    cmake -S . -B build-debian13 -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOWLVIEW_TESTS=ON \
      -DBOWLVIEW_WINDOWS_TESTS=OFF
    cmake --build build-debian13 -j"$(nproc)" --target bowlview unit_tests gl_tests mesh_tests
    ctest --test-dir build-debian13 --output-on-failure -j"$(nproc)" -L "unit|gl"' sh "$PWD"
fi

# The unit, OpenGL and winx tests again, one session of the viewer on X and one on Wayland with
# an output unplugged under the box, under AddressSanitizer and UndefinedBehaviorSanitizer.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DBOWLVIEW_TESTS=ON -DBOWLVIEW_SANITIZE=ON \
  -DBOWLVIEW_WINDOWS_TESTS=OFF
cmake --build build-asan -j"$(nproc)" --target unit_tests gl_tests mesh_tests winx_tests \
  bowlview e2e_tests wayland_tests
UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
  ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -L 'unit|gl|winx|e2e|wayland' \
  -R '^(Viewer\.FogAndWireframeKeysAndNothingElseThenEscape|OnWayland\.AnOutputUnpluggedUnderTheBox|OnXvfb\..*|[^VO].*)$'

# Release packages and installation: they must build from the same tree, and pass the
# checkers a distribution runs. (The Windows .zip and installer are built, and the installer
# tested under Wine, by the main build's tests.)
(cd build && cpack >/dev/null)
(cd build-web && cpack >/dev/null)
deb=$(ls build/packages/*.deb)
ls build/packages/*.tar.gz build/windows/packages/*.zip build/windows/packages/*.exe \
  build-web/packages/bowlview-*-web.zip
unzip -l build-web/packages/*-web.zip | grep -E ' bowlview-[^/]*-web/(index.html|bowlview.js|bowlview.wasm|manifest.webmanifest|service_worker.js|icons/bowlview-(32|128|256).png)$' | wc -l | grep -qx 8
lintian --fail-on error,warning --info "$deb"
desktop-file-validate packaging/*.desktop
appstreamcli validate --no-net packaging/*.metainfo.xml
unzip -l build/windows/packages/*.zip | grep LICENSE.txt >/dev/null
# Reproducible: the same packages again, byte for byte, from a second build in another folder.
bash scripts/reproducible.sh build build-web
# The .exe's resources: its manifest (UTF-8) and version information (UTF-16).
x86_64-w64-mingw32-objdump -p build/windows/bowlview.exe | grep 'Resource Directory' >/dev/null
strings build/windows/bowlview.exe | grep 'PerMonitorV2' >/dev/null
strings -el build/windows/bowlview.exe | grep 'the bowlview authors' >/dev/null
staging=$(mktemp -d)
cmake --install build --prefix "$staging" >/dev/null
for f in bin/bowlview share/applications/org.bowlview.bowlview.desktop \
  share/metainfo/org.bowlview.bowlview.metainfo.xml share/icons/hicolor/48x48/apps/bowlview.png \
  share/icons/hicolor/scalable/apps/bowlview.svg share/man/man1/bowlview.1.gz \
  share/doc/bowlview/copyright; do
  test -e "$staging/$f" || { echo "test: $f is not installed" >&2; exit 1; }
done
rm -rf "$staging"
echo "test: packages built and checked, installation checked"
