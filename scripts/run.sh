#!/usr/bin/env bash
# The run command: installs what is missing, builds, and starts the viewer on your desktop
# (Wayland or X). Where there is none, it runs the viewer on a private Xvfb instead, drives a short
# session (spin, drag, click, f, p, Esc) and writes screenshots and an animated GIF of it.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

# The viewer alone, in a build of its own: nothing here looks for what only the tests need.
bash scripts/install-deps.sh build
cmake -S . -B build-viewer -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOWLVIEW_TESTS=OFF >/dev/null
cmake --build build-viewer -j"$(nproc)" --target bowlview >/dev/null
viewer=$root/build-viewer/bowlview

# A desktop to run on: a Wayland session (the viewer is native there), or an X display.
if [ -n "${WAYLAND_DISPLAY:-}" ] || [ -S "${XDG_RUNTIME_DIR:-/nonexistent}/wayland-0" ]; then
  exec "$viewer"
fi
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  exec "$viewer"
fi

bash scripts/install-deps.sh record

echo "run: no desktop reachable (WAYLAND_DISPLAY='${WAYLAND_DISPLAY:-}', DISPLAY='${DISPLAY:-}'); recording a session on a private Xvfb"
out=$root/out/session
rm -rf "$out"
mkdir -p "$out/frames"

displayfd=$(mktemp)
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$displayfd" >/dev/null 2>&1 &
xvfb=$!
viewer_pid=
cleanup() {
  [ -n "$viewer_pid" ] && kill "$viewer_pid" 2>/dev/null || true
  kill "$xvfb" 2>/dev/null || true
  rm -f "$displayfd"
}
trap cleanup EXIT
for _ in $(seq 100); do [ -s "$displayfd" ] && break; sleep 0.1; done
export DISPLAY=":$(head -n1 "$displayfd")"

wait_for() {  # wait_for NAME: the id of the first window with exactly that name
  for _ in $(seq 200); do
    id=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n1 || true)
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.05
  done
  echo "run: no window named '$1' appeared" >&2
  return 1
}
frame=0
shot() {  # shot [NAME]: one frame of the GIF, and a named screenshot when NAME is given
  local f
  f=$(printf '%s/frames/%04d.png' "$out" "$frame")
  import -window root -crop "${side}x${side}+0+0" +repage "$f"
  frame=$((frame + 1))
  [ -n "${1:-}" ] && cp "$f" "$out/$1.png"
  return 0
}
frames() { for _ in $(seq "$1"); do shot; sleep 0.08; done; }

"$viewer" &
viewer_pid=$!
box=$(wait_for "bowlview - by the bowlview authors")
import -window root "$out/controls-box.png"
xdotool mousemove --window "$box" 20 20 sleep 0.2 key Return
win=$(wait_for " KEYS:f,p and MOUSE ")
side=$(xdotool getwindowgeometry "$win" | awk '/Geometry/ {split($2, s, "x"); print s[1]}')
sleep 0.5

shot spinning; frames 12
# A drag across the bowl that ends away from where it began leaves it spinning.
xdotool mousemove 250 450 mousedown 1
for x in $(seq 270 20 550); do xdotool mousemove "$x" $((450 - (x - 250) / 3)); sleep 0.02; done
xdotool mouseup 1
shot dragged; frames 12
# A click stops it.
xdotool mousemove 400 400 click 1
sleep 0.3; shot stopped; frames 4
xdotool mousemove 5 5 key f; sleep 0.3; shot fog; frames 4
xdotool key f p; sleep 0.3; shot wireframe; frames 4
xdotool key p Escape
status=0; wait "$viewer_pid" || status=$?
viewer_pid=

MAGICK_THREAD_LIMIT=1 convert -delay 8 -loop 0 "$out"/frames/*.png -resize 50% +dither -colors 64 \
  "$out/session.gif"
rm -rf "$out/frames"
echo "run: the viewer exited with status $status"
echo "run: screenshots:"
for f in controls-box spinning dragged stopped fog wireframe; do echo "  $out/$f.png"; done
echo "run: animation:"
echo "  $out/session.gif"
