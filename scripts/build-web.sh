#!/usr/bin/env bash
# Builds the WebAssembly library and the one-file page with Debian's emscripten:
# build-web/mornstave.mjs and build-web/mornstave.html.
#   scripts/build-web.sh [BUILD_DIR]      (default: build-web)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-web}
# Debian's emscripten runs on the machine's node with Debian's node modules (acorn).
export NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
# Its cache lives in the package; a private copy keeps a non-root build possible.
if [ ! -w /usr/share/emscripten/cache ] && [ -z "${EM_CACHE:-}" ]; then
  export EM_CACHE=$build/emscripten-cache
fi
emcmake cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORNSTAVE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target mornstave_web_files
echo "build-web: $build/mornstave.mjs $build/mornstave.html"
