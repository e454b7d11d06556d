#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test:
# native unit tests, the HTML summary in a browser, the WebAssembly library and page,
# the sanitizer build, the Windows programs under Wine and a short fuzzing run. Ends
# with one line "check: N passed, M failed" over the stages.
set -uo pipefail
cd "$(dirname "$0")/.."

jobs=2
passed=0
failed=0
failures=()

stage() {
  local name=$1; shift
  echo "==== $name"
  if "$@"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1))
    failures+=("$name")
    echo "==== $name FAILED"
  fi
}

native() {
  cmake -S . -B build -DCMAKE_BUILD_TYPE=Release &&
    cmake --build build -j"$jobs" &&
    ctest --test-dir build --output-on-failure -j"$jobs" --timeout 600
}

# From a clean build-web/, as CI has it; the tests compare with the native build.
web() {
  rm -rf build-web && scripts/build-web.sh build-web && tests/web/run.sh build-web build
}

scripts/install-deps.sh || { echo "check: 0 passed, 1 failed"; exit 1; }

stage "native build and unit tests" native
stage "HTML summary in headless Chromium" tests/browser/run.sh build
stage "WebAssembly library and page" web
stage "unit tests under ASan and UBSan" scripts/test-sanitizers.sh
stage "Windows build" scripts/build-windows.sh
stage "Windows programs under Wine" scripts/test-windows.sh
stage "short fuzzing run" scripts/fuzz.sh 60

echo
for name in "${failures[@]}"; do echo "failed stage: $name"; done
echo "check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
