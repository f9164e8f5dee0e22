#!/usr/bin/env bash
# Builds and runs the benchmarks and prints one table. Not part of the tests' pass or fail.
#   bash bench/run.sh [FRAMES]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
frames=${1:-2000}

bash scripts/install-deps.sh build test wayland windows web bench
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release -DBOWLVIEW_TESTS=ON -DBOWLVIEW_BENCH=ON \
  >/dev/null
cmake --build build-bench -j"$(nproc)" --target bowlview cpu_bench frame_rate glut_bowl \
  session_bench >/dev/null
wine=no
if cmake --build build-bench -j"$(nproc)" --target session_bench_wine >/dev/null 2>&1; then
  wine=yes
fi
wayland=no  # built where the Wayland tests' support is
if cmake --build build-bench -j"$(nproc)" --target wayland_bench >/dev/null 2>&1; then
  wayland=yes
fi
b=$root/build-bench

displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfd" >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -f "$displayfd"; [ $wine = yes ] && bash tests/e2e/wine-prefix.sh destroy "$b/wine-prefix"' EXIT
for _ in $(seq 100); do [ -s "$displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfd")"
export vblank_mode=0  # unthrottled: no waiting for a vertical blank

value() { sed -n "s/.*$1=\(-\{0,1\}[0-9.]*\).*/\1/p"; }

echo "bench: frame rate, $frames frames each, on Xvfb with Mesa llvmpipe" >&2
rates=$("$b/bench/frame_rate" "$frames")
viewer_fps=$(echo "$rates" | value viewer_fps)
empty_fps=$(echo "$rates" | value empty_fps)
side=$(echo "$rates" | value size)
glut_fps=$("$b/bench/glut_bowl" "$side" "$frames" | value glut_fps)

echo "bench: CPU per frame on headless EGL" >&2
cpu=$("$b/bench/cpu_bench" --benchmark_format=csv --benchmark_min_time=2 2>/dev/null)
# Column 3 is wall time, column 4 the calling thread's CPU time: the viewer's own work, without
# what llvmpipe's rasteriser threads do for it.
ns_of() {
  echo "$cpu" | awk -F, -v n="\"$1\"" -v col="$2" \
    '$1 == n {printf "%.0f", $col * ($5 == "us" ? 1000 : ($5 == "ms" ? 1e6 : 1))}'
}
frame_ns=$(ns_of frameWithoutSwap 4)
frame_wall_ns=$(ns_of frameWithoutSwap 3)
surface_ns=$(ns_of drawSurfaceAlone 4)

echo "bench: start-up, memory, CPU minimised and at rest (about 40 s per build)" >&2
openbox >/dev/null 2>&1 &  # minimising needs a window manager
wm=$!
# Ready once it has taken the screen and finished starting: maps made while it starts can go
# unmanaged.
for _ in $(seq 100); do xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window && break; sleep 0.1; done
sleep 1
# Without any accessibility bus, then with one up on a private session bus, as on a desktop where
# a screen reader runs: the tree's share of the start and of the frames.
native=$(env -u DBUS_SESSION_BUS_ADDRESS -u AT_SPI_BUS_ADDRESS -u XDG_RUNTIME_DIR \
  "$b/bench/session_bench" native)
# Its own runtime directory, where the bus's launcher puts the bus: a desktop's stays untouched.
# shellcheck disable=SC2016  # expanded by the inner shell
a11y=$(XDG_RUNTIME_DIR=$(mktemp -d) dbus-run-session -- sh -c 'dbus-send --session --print-reply --dest=org.a11y.Bus \
  /org/a11y/bus org.a11y.Bus.GetAddress >/dev/null && "$1" native' sh "$b/bench/session_bench" \
  2>/dev/null || echo "failed")
wine_line="n/a"
if [ $wine = yes ]; then
  bash tests/e2e/wine-prefix.sh create "$b/wine-prefix"
  wine_line=$("$b/bench/session_bench_wine" wine || echo "failed")
fi
kill $wm 2>/dev/null || true

wl_line="n/a"
if [ $wayland = yes ]; then
  echo "bench: on sway headless, natively on Wayland and through its Xwayland (about 30 s)" >&2
  wl_line=$("$b/bench/wayland_bench" 5 || echo "failed")
fi

echo "bench: the page and three.js's of the same scene in headless Chromium, in turn (about 80 s)" >&2
# three.js as the lock file pins it; without npm, our page is measured alone.
(cd bench && npm ci --no-audit --no-fund >/dev/null 2>&1) || echo "bench: npm ci failed in bench/" >&2
web_line=$( (bash scripts/web.sh build >/dev/null 2>&1 && node bench/web_bench.mjs build-web/page 10 3) ||
  echo "failed")

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "n/a" }'; }
share() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.0f %%", 100 * a / b; else print "n/a" }'; }
w() { echo "$wine_line" | value "$1"; }
web() { echo "$web_line" | value "${2:-web}_$1"; }  # our page's measure, or three.js's
# Natively on Wayland / through Xwayland.
wx() { echo "$(echo "$wl_line" | value "wayland_$1") / $(echo "$wl_line" | value "x11_$1")"; }
wx_cpu() {
  echo "$(echo "$wl_line" | value wayland_cpu_ms) ($(echo "$wl_line" | value wayland_session_cpu_ms))" \
    "/ $(echo "$wl_line" | value x11_cpu_ms) ($(echo "$wl_line" | value x11_session_cpu_ms))"
}

cat <<TABLE

| measure | native | Wine |
|---|---|---|
| frames per second, bowlview, ${side}x${side} | $viewer_fps | n/a |
| frames per second, bowlview's page in headless Chromium (SwiftShader's WebGL), $(web side)x$(web side), unthrottled | $(web fps) | n/a |
| frames per second, the same scene drawn with three.js (bench/three_page), same canvas and Chromium | $(web fps three) | n/a |
| CPU per frame in headless Chromium, bowlview's page / three.js: all of Chromium (of it the GPU process, SwiftShader) (ms) | $(web cpu_ms) ($(web gpu_ms)) / $(web cpu_ms three) ($(web gpu_ms three)) | n/a |
| CPU per frame in headless Chromium, bowlview's page / three.js: the page's scripts (ms) | $(web script_ms) / $(web script_ms three) | n/a |
| the page's size: index.html, JavaScript and WebAssembly (bytes) | $(echo "$web_line" | value page_bytes) | n/a |
| frames per second, empty frame (clear + swap) | $empty_fps | n/a |
| frames per second, freeglut baseline | $glut_fps | n/a |
| bowlview / empty frame | $(ratio "$viewer_fps" "$empty_fps") | n/a |
| bowlview / freeglut baseline | $(ratio "$viewer_fps" "$glut_fps") | n/a |
| frame without the swap, own CPU (ns; wall time with rasterising) | $frame_ns ($frame_wall_ns) | n/a |
| drawSurface alone, own CPU (ns), share of the frame | $surface_ns, $(share "$surface_ns" "$frame_ns") | n/a |
| start-up: process started to controls box up (ms) | $(echo "$native" | value box_ms) | $(w box_ms) |
| start-up: controls box dismissed to first frame (ms) | $(echo "$native" | value startup_ms) | $(w startup_ms) |
| start-up with an accessibility bus: to the box / box dismissed to first frame (ms) | $(echo "$a11y" | value box_ms) / $(echo "$a11y" | value startup_ms) | n/a |
| peak resident memory over 10 s spinning (MiB) | $(echo "$native" | value peak_rss_mib) | $(w peak_rss_mib) |
| resident memory growth from 2 s to 10 s spinning (KiB) | $(echo "$native" | value rss_growth_kib) | $(w rss_growth_kib) |
| CPU spinning, over 1 s after a drag (% of one core) | $(echo "$native" | value spinning_cpu_percent) | $(w spinning_cpu_percent) |
| CPU spinning with an accessibility bus, over 1 s after a drag (% of one core) | $(echo "$a11y" | value spinning_cpu_percent) | n/a |
| CPU then minimised, over 10 s (% of one core) | $(echo "$native" | value minimised_cpu_percent) | $(w minimised_cpu_percent) |
| CPU at rest over 10 s (% of one core) | $(echo "$native" | value rest_cpu_percent) | $(w rest_cpu_percent) |
| sway headless (pixman), Wayland / Xwayland: frames per second, unthrottled | $(wx fps) | n/a |
| sway headless, Wayland / Xwayland: CPU per frame, the viewer's (with sway's and Xwayland's) (ms) | $(wx_cpu) | n/a |
| sway headless, Wayland / Xwayland: CPU on another workspace, over 5 s (% of one core) | $(wx hidden_cpu_percent) | n/a |
TABLE
