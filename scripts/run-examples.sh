#!/usr/bin/env bash
# Builds the console program if needed and describes the bundled example cards,
# converting the CP932 report for a UTF-8 terminal.
set -euo pipefail
cd "$(dirname "$0")/.."

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build build --target mornstave -j2 >/dev/null
build/bin/mornstave examples/*.vnt 2>&1 | iconv -f CP932 -t UTF-8
