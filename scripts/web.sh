#!/usr/bin/env bash
# The viewer in a browser tab: builds the page with Emscripten into build-web/page/ (index.html,
# the program's JavaScript and WebAssembly) and serves it on 127.0.0.1 until Ctrl-C.
#   bash scripts/web.sh [build]     (build: only build)
#   PORT=8000 by default.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh web
emcmake cmake -S . -B build-web -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-web -j"$(nproc)" >/dev/null
echo "web: the page is in build-web/page/"
[ "${1-}" = build ] && exit 0
port=${PORT:-8000}
echo "web: open http://127.0.0.1:$port/ in a browser (Ctrl-C stops the server)"
exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/page
