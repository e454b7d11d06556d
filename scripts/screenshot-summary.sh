#!/usr/bin/env bash
# Retakes docs/summary.png, the README's picture of the HTML summary: the page made
# from the example cards, shot by Debian's headless Chromium.
#   scripts/screenshot-summary.sh
set -euo pipefail
cd "$(dirname "$0")/.."

[ -f build/CMakeCache.txt ] || cmake -S . -B build -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build --target mornstave -j2 >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/mornstave-shot.XXXXXX")
trap 'rm -rf "$work"' EXIT
build/bin/mornstave --summary -r examples -o "$work/summary.html"
timeout 120 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync \
  --user-data-dir="$work/profile" --hide-scrollbars --window-size=1280,860 \
  --screenshot="$PWD/docs/summary.png" "file://$work/summary.html" </dev/null 2>/dev/null
echo "docs/summary.png: $(wc -c < docs/summary.png) bytes"
