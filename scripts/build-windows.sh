#!/usr/bin/env bash
# Cross-builds both Windows programs (and the end-to-end test driver) into
# build-win/bin with MinGW-w64.  Idempotent; needs no network once the
# packages are installed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${MST_BUILD_WIN:-$root/build-win}

if ! command -v x86_64-w64-mingw32-g++-posix >/dev/null || ! command -v x86_64-w64-mingw32-windres >/dev/null; then
  echo "[build-windows] installing the MinGW-w64 cross compilers" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -q >/dev/null
  apt-get install -y -q --no-install-recommends \
    g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 >/dev/null
fi

generator=()
if command -v ninja >/dev/null; then generator=(-G Ninja); fi
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" "${generator[@]}" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j2
