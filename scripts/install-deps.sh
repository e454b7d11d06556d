#!/usr/bin/env bash
# Installs, from Debian's packages, whatever the build and the tests need and the
# machine lacks. Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
  # native build and unit tests
  cmake g++ make googletest libgtest-dev libbenchmark-dev
  # header-only libraries: option parsing and JSON (also serve the cross build)
  libcli11-dev nlohmann-json3-dev
  # validating the JSON export against its schema
  python3-jsonschema
  # the git textconv test of --diff's docs
  git
  # fuzzing and sanitizers
  clang libclang-rt-14-dev
  # Windows programs: cross compiler and resource compiler
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev zip
  # running them: Wine inside a virtual X server, Japanese locale and fonts
  wine wine64 xvfb xauth x11-apps locales fonts-ipafont-gothic imagemagick
  # reading reports on a UTF-8 terminal
  libc-bin
  # the HTML summary in a real browser (tests/browser; puppeteer-core comes from npm)
  chromium
  # the WebAssembly library and page (scripts/build-web.sh); brings clang, lld,
  # binaryen, Node.js and the node modules it runs on
  emscripten
  # its shortest digits for doubles, as the native library writes them (header-only)
  libfmt-dev
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  echo "install-deps: nothing to install"
  exit 0
fi

echo "install-deps: installing ${missing[*]}"
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}" </dev/null
