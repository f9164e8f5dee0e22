#!/usr/bin/env bash
# The test command: installs what is missing, builds, and runs every test through CTest.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh build test
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBOWLVIEW_TESTS=ON
cmake --build build -j"$(nproc)"
ctest --test-dir build --output-on-failure -j"$(nproc)"
