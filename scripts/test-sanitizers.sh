#!/usr/bin/env bash
# Builds every unit test with GCC's AddressSanitizer and UndefinedBehaviorSanitizer
# in build-asan/ and runs them. Any sanitizer report aborts the test that caused it,
# so a clean ctest run means no memory error, leak or undefined behaviour was seen.
#   scripts/test-sanitizers.sh
set -euo pipefail
cd "$(dirname "$0")/.."

jobs=${MORNSTAVE_JOBS:-2}

# GCC keeps the real CP932 literals; the report text is compared byte for byte.
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_COMPILER=g++ -DMORNSTAVE_SANITIZE=ON -DMORNSTAVE_TESTS=ON
cmake --build build-asan -j"$jobs"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
ctest --test-dir build-asan --output-on-failure -j"$jobs" --timeout 900
