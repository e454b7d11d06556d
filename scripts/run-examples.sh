#!/usr/bin/env bash
# Builds the console program if needed and describes the bundled example cards, in
# the terminal's encoding (UTF-8 under a UTF-8 locale).
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build --target mornstave -j2 >/dev/null
build/bin/mornstave examples/*.vnt
