#!/usr/bin/env bash
# The HTML summary in a real browser: installs what it needs where it is missing
# (Debian's chromium; Node.js and npm from Debian only where the machine has none;
# puppeteer-core from the npm registry as package-lock.json pins it, no browser
# download) and runs summary-page.test.mjs against the build's programs. Ends by itself
# within five minutes.
#   tests/browser/run.sh [BUILD_DIR]      (default: build)
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
cd "$root/tests/browser"

missing=()
[ -x /usr/bin/chromium ] || missing+=(chromium)
command -v npm >/dev/null || missing+=(nodejs npm)
if [ ${#missing[@]} -gt 0 ]; then
  echo "browser test: installing ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -q >/dev/null
  $sudo apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null >/dev/null
fi

export PUPPETEER_SKIP_DOWNLOAD=1
# Installed again whenever the lock file changes.
if ! cmp -s package-lock.json node_modules/.installed-from-lock; then
  timeout 600 npm ci --no-audit --no-fund </dev/null
  cp package-lock.json node_modules/.installed-from-lock
fi
timeout 300 node summary-page.test.mjs "$build/bin/mornstave" "$build/bin/mornstave-benchdata" </dev/null
