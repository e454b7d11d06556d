#!/usr/bin/env bash
# The WebAssembly library in Node against the native program, then the page in
# Debian's headless Chromium (puppeteer-core from tests/browser, installed as there).
# Ends by itself within ten minutes.
#   tests/web/run.sh [WEB_BUILD_DIR] [NATIVE_BUILD_DIR]      (default: build-web build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
web=$(cd "${1:-$root/build-web}" && pwd)
native=$(cd "${2:-$root/build}" && pwd)

timeout 300 node "$root/tests/web/library.test.mjs" "$web/mornstave.mjs" "$native/bin/mornstave" \
  "$native/bin/mornstave-benchdata" "$root/examples" </dev/null
timeout 300 node "$root/tests/web/doc-example.test.mjs" "$web/mornstave.mjs" "$root/examples" "$root/docs/web.md" </dev/null

cd "$root/tests/browser"
export PUPPETEER_SKIP_DOWNLOAD=1
if ! cmp -s package-lock.json node_modules/.installed-from-lock; then
  timeout 600 npm ci --no-audit --no-fund </dev/null
  cp package-lock.json node_modules/.installed-from-lock
fi
timeout 300 node web-page.test.mjs "$web/mornstave.html" "$native/bin/mornstave" "$native/bin/mornstave-benchdata" \
  "$root/examples" </dev/null
